#pragma once
// TParam and TParams: named parameters of a query or a report, set and read by name.
//
// Names compare ignoring ASCII case. A parameter holds a Variant (Null until set); the
// As* accessors convert like fields do (pt-BR numbers, dd/mm/yyyy dates; an empty text
// reads as 0). ParseSQL creates one parameter per distinct ":NAME" of a SQL text, so a
// query declares exactly the parameters its text uses.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/date_time.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/variant.h"

namespace platform {

class TParam {
 public:
  explicit TParam(std::string name, FieldType type = FieldType::String)
      : name_(std::move(name)), type_(type) {}

  const std::string& Name() const { return name_; }
  FieldType DataType() const { return type_; }
  void SetDataType(FieldType type) { type_ = type; }

  const Variant& Value() const { return value_; }
  void SetValue(Variant value) { value_ = value.isEmpty() ? Variant::Null() : std::move(value); }
  bool IsNull() const { return value_.isBlank(); }
  void Clear() { value_ = Variant::Null(); }

  // Setting a text keeps it as text (the database converts); the kind of the
  // parameter becomes String.
  std::string AsString() const;
  void SetAsString(std::string_view text);
  double AsFloat() const;
  void SetAsFloat(double value);
  std::int64_t AsInteger() const;
  void SetAsInteger(std::int64_t value);
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime value);

 private:
  std::string name_;
  FieldType type_;
  Variant value_ = Variant::Null();
};

class TParams {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TParam& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  // Raises EDatabaseError when a parameter of that name exists.
  TParam& CreateParam(std::string name, FieldType type = FieldType::String);
  TParam* FindParam(std::string_view name) const;
  // Raises EDatabaseError "Parâmetro 'X' não encontrado".
  TParam& ParamByName(std::string_view name) const;
  void Clear() { items_.clear(); }
  // Keeps the parameters the text uses (with their values), drops the others and
  // creates the missing ones, in order of first use.
  void ParseSQL(std::string_view sql);

 private:
  std::vector<std::unique_ptr<TParam>> items_;
};

}  // namespace platform
