#include "platform/data/field.h"

#include <cmath>
#include <optional>

#include "platform/data/database_error.h"
#include "platform/data/dataset.h"
#include "platform/text/ascii_text.h"
#include "platform/text/edit_mask.h"
#include "platform/text/float_format.h"
#include "platform/text/text_fold.h"

namespace platform {
namespace {

// The text of a value the way fields show values of other kinds.
std::string ValueToText(const Variant& v) {
  switch (v.kind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null: return {};
    case Variant::Kind::String: return v.asString();
    case Variant::Kind::Double: return FloatToStr(v.asDouble());
    case Variant::Kind::Integer: return std::to_string(v.asInteger());
    case Variant::Kind::DateTime: return DateTimeToStr(v.asDateTime());
    case Variant::Kind::Bool: return v.asBool() ? "True" : "False";
    default: break;
  }
  throw EConvertError(std::string("Um valor do tipo ") + Variant::KindName(v.kind()) +
                      " não pode ser convertido em texto");
}

[[noreturn]] void NotInteger(const std::string& text) {
  throw EConvertError("'" + text + "' não é um valor inteiro válido");
}

std::int64_t WholeNumber(double value, const std::string& text) {
  if (!std::isfinite(value) || value != std::floor(value) || std::fabs(value) > 9007199254740992.0)
    NotInteger(text);
  return static_cast<std::int64_t>(value);
}

// The usual texts of a truth value, any case and accents; nullopt for others.
std::optional<bool> CommonBoolText(std::string_view text) {
  const std::string folded = FoldForCompare(TrimBlanks(text));
  if (folded == "true" || folded == "s" || folded == "sim" || folded == "1") return true;
  if (folded == "false" || folded == "n" || folded == "nao" || folded == "0") return false;
  return std::nullopt;
}

// NaN and the infinities are no value of a field: no price, no date.
double RequireFinite(double value, const std::string& label) {
  if (!std::isfinite(value))
    throw EConvertError("Valor numérico inválido para o campo '" + label + "': " + FloatToStr(value));
  return value;
}

bool IsNumericType(FieldType type) {
  return type == FieldType::Float || type == FieldType::Integer;
}

}  // namespace

// ---------------------------------------------------------------------------- TField

TField::TField(FieldType type, std::string fieldName, int size)
    : type_(type), fieldName_(std::move(fieldName)), size_(size),
      alignment_(IsNumericType(type) ? taRightJustify : taLeftJustify) {}

TField::~TField() {
  if (dataSet_) dataSet_->RemoveField(this);
}

void TField::SetFieldName(std::string name) {
  if (dataSet_ && dataSet_->Active())
    throw EDatabaseError("O nome do campo '" + fieldName_ + "' não pode mudar com o dataset aberto");
  fieldName_ = std::move(name);
}

void TField::SetDisplayLabel(std::string label) {
  displayLabel_ = std::move(label);
  LayoutChanged();
}

int TField::DisplayWidth() const {
  if (displayWidth_ > 0) return displayWidth_;
  switch (type_) {
    case FieldType::String: return size_ > 0 ? size_ : 20;
    case FieldType::Boolean: return 5;
    default: return 10;
  }
}

void TField::SetDisplayWidth(int width) {
  displayWidth_ = width;
  LayoutChanged();
}

void TField::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  LayoutChanged();
}

void TField::SetEditMask(std::string mask) {
  editMask_ = std::move(mask);
  LayoutChanged();
}

void TField::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  LayoutChanged();
}

int TField::Index() const {
  if (!dataSet_) return -1;
  const auto& fields = dataSet_->Fields();
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i] == this) return static_cast<int>(i);
  return -1;
}

void TField::SetIndex(int index) {
  if (dataSet_) dataSet_->MoveField(this, index);
}

void TField::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (ownedByDataSet_)
    throw EDatabaseError("O campo '" + fieldName_ + "' pertence ao seu dataset e não pode mudar de dataset");
  if (dataSet && dataSet->Active())
    throw EDatabaseError("Campos não podem ser acrescentados a um dataset aberto");
  if (dataSet_) dataSet_->RemoveField(this);
  if (dataSet) dataSet->AddFieldPointer(this);
}

bool TField::CanModify() const {
  return dataSet_ && dataSet_->Active() && dataSet_->CanModify() && !readOnly_;
}

void TField::LayoutChanged() {
  if (dataSet_ && dataSet_->Active()) dataSet_->DataEvent(DataEventKind::LayoutChange);
}

bool TField::IsNull() const { return AsVariant().isBlank(); }

Variant TField::AsVariant() const {
  if (!dataSet_) throw EDatabaseError("O campo '" + fieldName_ + "' não pertence a um dataset");
  return dataSet_->GetFieldValue(*this);
}

void TField::SetAsVariant(const Variant& value) {
  if (!dataSet_) throw EDatabaseError("O campo '" + fieldName_ + "' não pertence a um dataset");
  dataSet_->SetFieldValue(*this, Coerce(value));
}

std::string TField::AsString() const { return ValueToText(AsVariant()); }

void TField::SetAsString(std::string_view text) {
  if (type_ == FieldType::String) {
    SetAsVariant(Variant(text));
  } else if (TrimBlanks(text).empty()) {
    Clear();
  } else {
    SetAsVariant(TextToValue(std::string(text)));
  }
}

double TField::AsFloat() const {
  const Variant v = AsVariant();
  switch (v.kind()) {
    case Variant::Kind::Double:
    case Variant::Kind::Integer: return v.asDouble();
    case Variant::Kind::DateTime: return v.asDateTime().value;
    case Variant::Kind::Bool: return v.asBool() ? 1 : 0;
    case Variant::Kind::String: return TrimBlanks(v.asString()).empty() ? 0 : StrToFloat(v.asString());
    default: return 0;
  }
}

void TField::SetAsFloat(double value) { SetAsVariant(Variant(value)); }

TDateTime TField::AsDateTime() const {
  const Variant v = AsVariant();
  switch (v.kind()) {
    case Variant::Kind::DateTime: return v.asDateTime();
    case Variant::Kind::Double:
    case Variant::Kind::Integer: return TDateTime{v.asDouble()};
    case Variant::Kind::String:
      return TrimBlanks(v.asString()).empty() ? TDateTime{} : StrToDateTime(v.asString());
    case Variant::Kind::Bool: throw EConvertError("Um valor lógico não é uma data");
    default: return TDateTime{};
  }
}

void TField::SetAsDateTime(TDateTime value) { SetAsVariant(Variant(value)); }

std::int64_t TField::AsInteger() const {
  const Variant v = AsVariant();
  switch (v.kind()) {
    case Variant::Kind::Integer: return v.asInteger();
    case Variant::Kind::Double: return std::llround(v.asDouble());
    case Variant::Kind::DateTime: return std::llround(v.asDateTime().value);
    case Variant::Kind::Bool: return v.asBool() ? 1 : 0;
    case Variant::Kind::String: {
      if (TrimBlanks(v.asString()).empty()) return 0;
      return WholeNumber(StrToFloat(v.asString()), v.asString());
    }
    default: return 0;
  }
}

void TField::SetAsInteger(std::int64_t value) { SetAsVariant(Variant(value)); }

bool TField::AsBoolean() const {
  const Variant v = AsVariant();
  switch (v.kind()) {
    case Variant::Kind::Bool: return v.asBool();
    case Variant::Kind::Integer:
    case Variant::Kind::Double: return v.asDouble() != 0;
    case Variant::Kind::String: {
      if (TrimBlanks(v.asString()).empty()) return false;
      if (const auto b = CommonBoolText(v.asString())) return *b;
      throw EConvertError("'" + v.asString() + "' não é um valor lógico válido");
    }
    case Variant::Kind::DateTime: throw EConvertError("Uma data não é um valor lógico");
    default: return false;
  }
}

void TField::SetAsBoolean(bool value) { SetAsVariant(Variant(value)); }

void TField::Clear() { SetAsVariant(Variant::Null()); }

std::string TField::DefaultText(const Variant& value, bool) const { return ValueToText(value); }

std::string TField::GetTextOf(bool displayText) const {
  if (OnGetText) {
    std::string text;
    const TFieldGetTextEvent handler = OnGetText;
    handler(const_cast<TField&>(*this), text, displayText);
    return text;
  }
  const Variant value = AsVariant();
  if (value.isBlank()) return {};
  return DefaultText(value, displayText);
}

void TField::SetText(const std::string& text) {
  if (OnSetText) {
    const TFieldSetTextEvent handler = OnSetText;
    handler(*this, text);
    return;
  }
  if (text.empty() || (type_ != FieldType::String && TrimBlanks(text).empty())) {
    Clear();
    return;
  }
  SetAsVariant(TextToValue(text));
}

void TField::FocusControl() {
  if (!dataSet_ || !dataSet_->Active()) return;
  bool handled = false;
  dataSet_->DataEvent(DataEventKind::FocusControl, DataEventInfo{this, 0, &handled});
}

// ---------------------------------------------------------------------- TStringField

TStringField::TStringField(std::string fieldName, int size)
    : TField(FieldType::String, std::move(fieldName), size) {}

std::string TStringField::DefaultText(const Variant& value, bool displayText) const {
  std::string text = TField::DefaultText(value, displayText);
  return displayText && !EditMask().empty() ? FormatMaskText(EditMask(), text) : text;
}

Variant TStringField::TextToValue(const std::string& text) const { return Variant(text); }

Variant TField::Coerce(const Variant& value) const {
  if (value.isBlank()) return Variant::Null();
  if (value.kind() == Variant::Kind::String)
    return TrimBlanks(value.asString()).empty() ? Variant::Null() : TextToValue(value.asString());
  if (auto converted = CoerceValue(value)) return *converted;
  throw EConvertError(std::string("Um valor do tipo ") + Variant::KindName(value.kind()) +
                      " não pode ser gravado no campo '" + DisplayLabel() + "'");
}

std::optional<Variant> TStringField::CoerceValue(const Variant& value) const {
  return Variant(ValueToText(value));
}

// A text is kept as it is, blanks included.
Variant TStringField::Coerce(const Variant& value) const {
  return value.kind() == Variant::Kind::String ? value : TField::Coerce(value);
}

// ----------------------------------------------------------------------- TFloatField

void TFormattedField::SetDisplayFormat(std::string format) {
  displayFormat_ = std::move(format);
  LayoutChanged();
}

TFloatField::TFloatField(std::string fieldName) : TFormattedField(FieldType::Float, std::move(fieldName)) {}

std::string TFloatField::DefaultText(const Variant& value, bool displayText) const {
  const double number = value.kind() == Variant::Kind::DateTime ? value.asDateTime().value : value.asDouble();
  const std::string& format = displayText || editFormat_.empty() ? displayFormat_ : editFormat_;
  return format.empty() ? FloatToStr(number) : FormatFloat(format, number);
}

Variant TFloatField::TextToValue(const std::string& text) const { return Variant(StrToFloat(text)); }

std::optional<Variant> TFloatField::CoerceValue(const Variant& value) const {
  switch (value.kind()) {
    case Variant::Kind::Double: return Variant(RequireFinite(value.asDouble(), DisplayLabel()));
    case Variant::Kind::Integer: return Variant(value.asDouble());
    case Variant::Kind::DateTime: return Variant(RequireFinite(value.asDateTime().value, DisplayLabel()));
    case Variant::Kind::Bool: return Variant(value.asBool() ? 1.0 : 0.0);
    default: return std::nullopt;
  }
}

// -------------------------------------------------------------------- TDateTimeField

TDateTimeField::TDateTimeField(std::string fieldName) : TFormattedField(FieldType::DateTime, std::move(fieldName)) {}

std::string TDateTimeField::DefaultText(const Variant& value, bool displayText) const {
  const TDateTime dt = value.kind() == Variant::Kind::DateTime ? value.asDateTime() : TDateTime{value.asDouble()};
  if (displayText && !displayFormat_.empty()) return FormatDateTime(displayFormat_, dt);
  return DateTimeToStr(dt);
}

Variant TDateTimeField::TextToValue(const std::string& text) const { return Variant(StrToDateTime(text)); }

std::optional<Variant> TDateTimeField::CoerceValue(const Variant& value) const {
  switch (value.kind()) {
    case Variant::Kind::DateTime: return Variant(TDateTime{RequireFinite(value.asDateTime().value, DisplayLabel())});
    case Variant::Kind::Double:
    case Variant::Kind::Integer: return Variant(TDateTime{RequireFinite(value.asDouble(), DisplayLabel())});
    default: return std::nullopt;
  }
}

// --------------------------------------------------------------------- TIntegerField

TIntegerField::TIntegerField(std::string fieldName) : TFormattedField(FieldType::Integer, std::move(fieldName)) {}

std::string TIntegerField::DefaultText(const Variant& value, bool displayText) const {
  if (displayText && !displayFormat_.empty()) return FormatFloat(displayFormat_, value.asDouble());
  return value.kind() == Variant::Kind::Integer ? std::to_string(value.asInteger()) : ValueToText(value);
}

Variant TIntegerField::TextToValue(const std::string& text) const {
  const auto number = TryStrToFloat(text);
  if (!number) NotInteger(text);
  return Variant(WholeNumber(*number, text));
}

std::optional<Variant> TIntegerField::CoerceValue(const Variant& value) const {
  switch (value.kind()) {
    case Variant::Kind::Integer: return value;
    case Variant::Kind::Double: return Variant(WholeNumber(value.asDouble(), FloatToStr(value.asDouble())));
    case Variant::Kind::Bool: return Variant(std::int64_t{value.asBool() ? 1 : 0});
    default: return std::nullopt;
  }
}

// --------------------------------------------------------------------- TBooleanField

TBooleanField::TBooleanField(std::string fieldName) : TField(FieldType::Boolean, std::move(fieldName), 0) {}

void TBooleanField::SetDisplayValues(std::string values) {
  displayValues_ = std::move(values);
  LayoutChanged();
}

std::string TBooleanField::trueText() const { return displayValues_.substr(0, displayValues_.find(';')); }

std::string TBooleanField::falseText() const {
  const std::size_t sep = displayValues_.find(';');
  return sep == std::string::npos ? std::string() : displayValues_.substr(sep + 1);
}

std::string TBooleanField::DefaultText(const Variant& value, bool) const {
  const bool b = value.kind() == Variant::Kind::Bool ? value.asBool() : value.asDouble() != 0;
  return b ? trueText() : falseText();
}

Variant TBooleanField::TextToValue(const std::string& text) const {
  const std::string folded = FoldForCompare(TrimBlanks(text));
  if (!trueText().empty() && folded == FoldForCompare(trueText())) return Variant(true);
  if (!falseText().empty() && folded == FoldForCompare(falseText())) return Variant(false);
  if (const auto b = CommonBoolText(text)) return Variant(*b);
  throw EConvertError("'" + text + "' não é um valor lógico válido");
}

std::optional<Variant> TBooleanField::CoerceValue(const Variant& value) const {
  switch (value.kind()) {
    case Variant::Kind::Bool: return value;
    case Variant::Kind::Integer:
    case Variant::Kind::Double: return Variant(value.asDouble() != 0);
    default: return std::nullopt;
  }
}

}  // namespace platform
