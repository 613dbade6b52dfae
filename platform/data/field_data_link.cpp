#include "platform/data/field_data_link.h"

#include "platform/data/dataset.h"

namespace platform {

void TFieldDataLink::Call(const std::function<void()>& handler) {
  if (!handler) return;
  const std::function<void()> copy = handler;  // the handler may replace itself
  copy();
}

void TFieldDataLink::SetFieldName(std::string name) {
  if (name == fieldName_) return;
  fieldName_ = std::move(name);
  UpdateField();
  RecordChanged(nullptr);
}

void TFieldDataLink::UpdateField() {
  TDataSet* dataSet = Active() ? DataSet() : nullptr;
  field_ = dataSet && !fieldName_.empty() ? dataSet->FindField(fieldName_) : nullptr;
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && field_ && field_->CanModify(); }

void TFieldDataLink::Reset() {
  modified_ = false;
  Call(OnDataChange);
}

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  modified_ = false;
  Call(OnActiveChange);
  Call(OnDataChange);
}

void TFieldDataLink::EditingChanged() {
  if (!Editing()) modified_ = false;
  Call(OnEditingChange);
}

void TFieldDataLink::RecordChanged(TField* field) {
  if (field && field != field_) return;
  modified_ = false;
  Call(OnDataChange);
}

void TFieldDataLink::LayoutChanged() {
  UpdateField();
  RecordChanged(nullptr);
}

void TFieldDataLink::UpdateData() {
  if (!modified_) return;
  if (field_) Call(OnUpdateData);
  modified_ = false;
}

void TFieldDataLink::FocusControl(TField* field, bool& handled) {
  if (field == nullptr || field != field_ || !OnFocusRequest) return;
  const std::function<bool()> handler = OnFocusRequest;
  handled = handler();
}

}  // namespace platform
