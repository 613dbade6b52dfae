#include "platform/data/params.h"

#include <algorithm>
#include <cmath>

#include "platform/data/database_error.h"
#include "platform/data/field_names.h"
#include "platform/data/sql_params.h"
#include "platform/text/float_format.h"

namespace platform {

std::string TParam::AsString() const {
  switch (value_.kind()) {
    case Variant::Kind::Double: return FloatToStr(value_.asDouble());
    case Variant::Kind::Array:
    case Variant::Kind::Packet: throw EConvertError("O parâmetro '" + name_ + "' não contém um valor simples");
    default: return value_.toString();
  }
}

void TParam::SetAsString(std::string_view text) {
  type_ = FieldType::String;
  value_ = Variant(text);
}

double TParam::AsFloat() const {
  switch (value_.kind()) {
    case Variant::Kind::Double:
    case Variant::Kind::Integer: return value_.asDouble();
    case Variant::Kind::DateTime: return value_.asDateTime().value;
    case Variant::Kind::String: {
      const std::string& text = value_.asString();
      return text.find_first_not_of(' ') == std::string::npos ? 0 : StrToFloat(text);
    }
    case Variant::Kind::Bool: return value_.asBool() ? 1 : 0;
    default: return 0;
  }
}

void TParam::SetAsFloat(double value) {
  type_ = FieldType::Float;
  value_ = Variant(value);
}

std::int64_t TParam::AsInteger() const {
  if (value_.kind() == Variant::Kind::Integer) return value_.asInteger();
  return std::llround(AsFloat());
}

void TParam::SetAsInteger(std::int64_t value) {
  type_ = FieldType::Integer;
  value_ = Variant(value);
}

TDateTime TParam::AsDateTime() const {
  switch (value_.kind()) {
    case Variant::Kind::DateTime: return value_.asDateTime();
    case Variant::Kind::String: {
      const std::string& text = value_.asString();
      return text.find_first_not_of(' ') == std::string::npos ? TDateTime{} : StrToDateTime(text);
    }
    default: return TDateTime{AsFloat()};
  }
}

void TParam::SetAsDateTime(TDateTime value) {
  type_ = FieldType::DateTime;
  value_ = Variant(value);
}

TParam& TParams::CreateParam(std::string name, FieldType type) {
  if (FindParam(name)) throw EDatabaseError("Parâmetro '" + name + "' já existe");
  items_.push_back(std::make_unique<TParam>(std::move(name), type));
  return *items_.back();
}

TParam* TParams::FindParam(std::string_view name) const {
  for (const auto& item : items_)
    if (SameFieldName(item->Name(), name)) return item.get();
  return nullptr;
}

TParam& TParams::ParamByName(std::string_view name) const {
  if (TParam* param = FindParam(name)) return *param;
  throw EDatabaseError("Parâmetro '" + std::string(name) + "' não encontrado");
}

void TParams::ParseSQL(std::string_view sql) {
  std::vector<std::unique_ptr<TParam>> next;
  for (const SqlParamRef& ref : FindSqlParams(sql)) {
    const bool listed = std::any_of(next.begin(), next.end(),
                                    [&ref](const auto& p) { return SameFieldName(p->Name(), ref.name); });
    if (listed) continue;
    auto existing = std::find_if(items_.begin(), items_.end(),
                                 [&ref](const auto& p) { return p && SameFieldName(p->Name(), ref.name); });
    if (existing != items_.end())
      next.push_back(std::move(*existing));
    else
      next.push_back(std::make_unique<TParam>(ref.name));
  }
  items_ = std::move(next);
}

}  // namespace platform
