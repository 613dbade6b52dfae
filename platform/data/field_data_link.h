#pragma once
// TFieldDataLink: a data link bound to one field by name, for controls that show or
// edit a single field (data text, data edit, data combo).
//
// The field is looked up by FieldName whenever the dataset opens, the link changes
// source or the fields' layout changes; Field() is nullptr while there is none. The
// control reacts through the std::function members:
//   OnDataChange     the field's value or the current record changed: redisplay
//                    (Field()->DisplayText(), or Text() while editing)
//   OnEditingChange  edit or insert began or ended
//   OnActiveChange   the dataset opened or closed
//   OnUpdateData     a post is starting and the control's text was changed
//                    (Modified): write it with Field()->SetText; raise to refuse
//   OnFocusRequest   TField::FocusControl for this field: focus the control and return
//                    whether it took the focus
// The control calls SetModified() when the person changes its text, and Reset() to
// throw the change away and redisplay the field.
#include <functional>
#include <string>

#include "platform/data/data_link.h"

namespace platform {

class TField;

class TFieldDataLink : public TDataLink {
 public:
  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(std::string name);
  TField* Field() const { return field_; }
  // The field exists and can be modified, and the link is not read-only.
  bool CanModify() const;
  bool Modified() const { return modified_; }
  void SetModified() { modified_ = true; }
  void Reset();

  std::function<void()> OnDataChange;
  std::function<void()> OnEditingChange;
  std::function<void()> OnActiveChange;
  std::function<void()> OnUpdateData;
  std::function<bool()> OnFocusRequest;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void DataSetChanged() override { RecordChanged(nullptr); }
  void RecordChanged(TField* field) override;
  void LayoutChanged() override;
  void UpdateData() override;
  void FocusControl(TField* field, bool& handled) override;

 private:
  void UpdateField();
  static void Call(const std::function<void()>& handler);

  std::string fieldName_;
  TField* field_ = nullptr;
  bool modified_ = false;
};

}  // namespace platform
