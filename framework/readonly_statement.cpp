#include "framework/readonly_statement.h"

#include <charconv>

#include "framework/sql_text.h"
#include "platform/data/database_error.h"
#include "platform/data/sql_params.h"
#include "platform/text/date_time.h"

namespace framework::sql {

namespace {

// A parameter's value as the text bound to the statement.
std::string BoundText(const platform::TParam& param) {
  const platform::Variant& value = param.Value();
  switch (value.kind()) {
    case platform::Variant::Kind::String:
      return value.asString();
    case platform::Variant::Kind::Integer:
      return std::to_string(value.asInteger());
    case platform::Variant::Kind::Bool:
      return value.asBool() ? "1" : "0";
    case platform::Variant::Kind::DateTime:
      return platform::DateTimeToISO(value.asDateTime());
    case platform::Variant::Kind::Double: {
      char buffer[32];
      auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value.asDouble());
      return std::string(buffer, end);
    }
    default:
      throw platform::EDatabaseError("Parâmetro " + param.Name() + " da consulta com valor que não é texto.");
  }
}

}  // namespace

std::vector<Param> BoundValues(const std::string& sql, const platform::TParams& params) {
  CheckReadOnlyStatement(sql);
  std::vector<Param> values;
  for (const platform::SqlParamRef& ref : platform::FindSqlParams(sql)) {
    const platform::TParam* param = params.FindParam(ref.name);
    if (!param || param->IsNull()) throw platform::EDatabaseError("Parâmetro " + ref.name + " da consulta sem valor.");
    values.push_back(BoundText(*param));
  }
  return values;
}

std::string NumberedText(const std::string& sql, const ReadOnlyBackend& backend) {
  return platform::ReplaceSqlParams(
      sql, [&](std::size_t index, const std::string&) { return backend.placeholder(static_cast<int>(index) + 1); });
}

}  // namespace framework::sql
