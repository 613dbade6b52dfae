#pragma once
// TField: one column of a dataset, seen through the dataset's current record.
//
// A field holds no value of its own: every read goes to the dataset's current record
// (its edit buffer while editing), every write to the edit buffer. Writing requires the
// dataset to be in edit or insert state, refuses read-only fields, converts the value
// to the field's kind (raising EConvertError with nothing changed when it cannot),
// marks the record modified and notifies the data links (RecordChanged(field)) and
// OnChange.
//
// Texts:
//   Text()         the edit text, what an editor starts with
//   DisplayText()  the text shown in grids and labels
//   SetText(t)     what an editor writes back; OnSetText, when assigned, replaces the
//                  default conversion. Default: empty text = null; otherwise the text
//                  is converted for the kind (pt-BR numbers, dd/mm/yyyy dates) or
//                  EConvertError is raised with the value unchanged.
// OnGetText, when assigned, produces both texts (displayText tells which); it starts
// from an empty text.
//
// Fields are declared before data arrives (persistent fields) or created from the
// packet's columns (TClientDataSet::SetData without declared fields). A field created
// by the dataset is owned by it; a field constructed by the caller and attached with
// SetDataSet is not, and detaches itself when destroyed.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text/date_time.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/variant.h"

namespace platform {

class TDataSet;

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

class TField {
 public:
  using TFieldGetTextEvent = std::function<void(TField& sender, std::string& text, bool displayText)>;
  using TFieldSetTextEvent = std::function<void(TField& sender, const std::string& text)>;
  using TFieldNotifyEvent = std::function<void(TField& sender)>;

  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;
  virtual ~TField();

  FieldType DataType() const { return type_; }

  // Identity and layout. Changing a layout property of a field of an open dataset
  // notifies the data links (LayoutChanged).
  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(std::string name);  // only while the dataset is closed
  const std::string& Name() const { return name_; }  // component name, e.g. "cdsPrecoClieVRPRECOPROD"
  void SetName(std::string name) { name_ = std::move(name); }
  // FieldName unless a label was set.
  const std::string& DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  void SetDisplayLabel(std::string label);
  // Maximum length of a string field in characters (0 = no limit).
  int Size() const { return size_; }
  void SetSize(int size) { size_ = size; }
  // Width in characters; defaults by kind (strings: Size, 20 when 0; numbers 10;
  // dates 10; booleans 5).
  int DisplayWidth() const;
  void SetDisplayWidth(int width);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  const std::string& EditMask() const { return editMask_; }
  void SetEditMask(std::string mask);
  // Defaults: numbers right, everything else left.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  // Position in the dataset's field list; -1 when not in a dataset.
  int Index() const;
  void SetIndex(int index);
  TDataSet* DataSet() const { return dataSet_; }
  // Attaches the field to a closed dataset (or detaches it with nullptr).
  void SetDataSet(TDataSet* dataSet);
  // Column of the dataset's data this field reads; -1 while unbound.
  int ColumnIndex() const { return column_; }
  // The dataset is open and modifiable and the field is not read-only (what a control
  // asks before starting an edit).
  bool CanModify() const;

  // Value of the current record.
  bool IsNull() const;
  Variant AsVariant() const;
  Variant Value() const { return AsVariant(); }
  void SetAsVariant(const Variant& value);
  void SetValue(const Variant& value) { SetAsVariant(value); }
  // "" for null; numbers with the decimal comma, dates dd/mm/yyyy [hh:nn:ss].
  std::string AsString() const;
  void SetAsString(std::string_view text);
  // 0 for null and for an empty text.
  double AsFloat() const;
  void SetAsFloat(double value);
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime value);
  std::int64_t AsInteger() const;
  void SetAsInteger(std::int64_t value);
  bool AsBoolean() const;
  void SetAsBoolean(bool value);
  // Sets null.
  void Clear();

  std::string Text() const { return GetTextOf(false); }
  std::string DisplayText() const { return GetTextOf(true); }
  void SetText(const std::string& text);

  // Asks the controls showing this dataset to focus this field's control (a grid
  // selects the field's column). Does nothing when the dataset is closed.
  void FocusControl();

  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;
  TFieldNotifyEvent OnChange;    // after a value was written
  TFieldNotifyEvent OnValidate;  // after writing, before OnChange; raising undoes the write

 protected:
  TField(FieldType type, std::string fieldName, int size);

  // The default texts of a non-null value.
  virtual std::string DefaultText(const Variant& value, bool displayText) const;
  // Converts a non-empty text to the field's kind; raises EConvertError.
  virtual Variant TextToValue(const std::string& text) const = 0;
  // Converts any variant to the field's kind: Empty, Null and a blank text give Null,
  // another text goes through TextToValue, other kinds through CoerceValue; a kind
  // the field cannot hold raises EConvertError.
  virtual Variant Coerce(const Variant& value) const;
  // Converts a value that is neither blank nor text; nullopt when the kind does not fit.
  virtual std::optional<Variant> CoerceValue(const Variant& value) const = 0;

  // Notifies the dataset's controls that a layout property changed.
  void LayoutChanged();

 private:
  friend class TDataSet;
  std::string GetTextOf(bool displayText) const;

  FieldType type_;
  std::string fieldName_;
  std::string name_;
  std::string displayLabel_;
  int size_ = 0;
  int displayWidth_ = 0;  // 0 = default
  bool visible_ = true;
  bool readOnly_ = false;
  std::string editMask_;
  TAlignment alignment_ = taLeftJustify;
  TDataSet* dataSet_ = nullptr;
  int column_ = -1;
  bool ownedByDataSet_ = false;
  bool createdForData_ = false;  // created by the dataset from the data's columns
};

// Text. Assigning a text longer than Size characters raises EDatabaseError naming the
// field (nothing is cut); values loaded from a packet are kept as they come.
class TStringField : public TField {
 public:
  explicit TStringField(std::string fieldName = {}, int size = 0);

 protected:
  // With an EditMask, the display text is the value laid into the mask
  // (FormatMaskText), so a code stored without its literals shows with them: "101001"
  // under "0.00.000;0;_" shows "1.01.001". The edit text stays as stored.
  std::string DefaultText(const Variant& value, bool displayText) const override;
  Variant TextToValue(const std::string& text) const override;
  Variant Coerce(const Variant& value) const override;
  std::optional<Variant> CoerceValue(const Variant& value) const override;
};

// A field whose display text follows a DisplayFormat (each kind says which format).
class TFormattedField : public TField {
 public:
  const std::string& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(std::string format);

 protected:
  TFormattedField(FieldType type, std::string fieldName) : TField(type, std::move(fieldName), 0) {}

  std::string displayFormat_;
};

// Double. DisplayFormat and EditFormat are FormatFloat formats ("###,#0.000");
// an empty EditFormat edits with the DisplayFormat; both empty: FloatToStr. NaN and
// the infinities are refused (EConvertError), whatever way they are written, so a
// float field never shows "INF" nor sends it on.
class TFloatField : public TFormattedField {
 public:
  explicit TFloatField(std::string fieldName = {});
  const std::string& EditFormat() const { return editFormat_; }
  void SetEditFormat(std::string format) { editFormat_ = std::move(format); }

 protected:
  std::string DefaultText(const Variant& value, bool displayText) const override;
  Variant TextToValue(const std::string& text) const override;
  std::optional<Variant> CoerceValue(const Variant& value) const override;

 private:
  std::string editFormat_;
};

// Date and time. Text: "dd/mm/yyyy" followed by " hh:nn:ss" when not midnight;
// DisplayFormat (FormatDateTime) changes the display text only. NaN and the
// infinities are refused like in a float field.
class TDateTimeField : public TFormattedField {
 public:
  explicit TDateTimeField(std::string fieldName = {});

 protected:
  std::string DefaultText(const Variant& value, bool displayText) const override;
  Variant TextToValue(const std::string& text) const override;
  std::optional<Variant> CoerceValue(const Variant& value) const override;
};

// 64-bit integer. A whole number is required; a fractional value is refused.
class TIntegerField : public TFormattedField {
 public:
  explicit TIntegerField(std::string fieldName = {});

 protected:
  std::string DefaultText(const Variant& value, bool displayText) const override;
  Variant TextToValue(const std::string& text) const override;
  std::optional<Variant> CoerceValue(const Variant& value) const override;
};

// Boolean. DisplayValues "Sim;Não" names the true and false texts (default
// "True;False"); texts read back are those, or True/False, S/N, 1/0, any case.
class TBooleanField : public TField {
 public:
  explicit TBooleanField(std::string fieldName = {});
  const std::string& DisplayValues() const { return displayValues_; }
  void SetDisplayValues(std::string values);

 protected:
  std::string DefaultText(const Variant& value, bool displayText) const override;
  Variant TextToValue(const std::string& text) const override;
  std::optional<Variant> CoerceValue(const Variant& value) const override;

 private:
  std::string trueText() const;
  std::string falseText() const;
  std::string displayValues_ = "True;False";
};

}  // namespace platform
