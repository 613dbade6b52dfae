#include "framework/readonly_backend.h"

#include <charconv>

#include "platform/data/database_error.h"
#include "platform/data/field_names.h"
#include "platform/text/date_time.h"

namespace framework::sql {

bool IsPostgresTarget(std::string_view target) {
  return target.starts_with("postgresql://") || target.starts_with("postgres://");
}

std::unique_ptr<ReadOnlyBackend> OpenReadOnly(const std::string& target) {
  if (IsPostgresTarget(target)) return OpenPostgresReadOnly(target);
  return OpenSqliteReadOnly(target);
}

const platform::ColumnDef* FindHint(const std::vector<platform::ColumnDef>& hints, const std::string& name) {
  for (const platform::ColumnDef& hint : hints)
    if (platform::SameFieldName(hint.name, name)) return &hint;
  return nullptr;
}

}  // namespace framework::sql

namespace framework::sql {

namespace {

[[noreturn]] void BadCell(std::string_view text, const std::string& column, const char* kind) {
  throw platform::EDatabaseError("Valor \"" + std::string(text) + "\" da coluna " + column + " não é " + kind + ".");
}

}  // namespace

void AppendTextCell(platform::DataPacket& packet, platform::FieldType type, std::string_view text,
                    const std::string& column) {
  using platform::FieldType;
  const char* end = text.data() + text.size();
  switch (type) {
    case FieldType::String:
      packet.appendString(text);
      return;
    case FieldType::Integer: {
      std::int64_t value = 0;
      auto [ptr, ec] = std::from_chars(text.data(), end, value);
      if (ec != std::errc() || ptr != end) BadCell(text, column, "um número inteiro");
      packet.appendInteger(value);
      return;
    }
    case FieldType::Float: {
      double value = 0;
      auto [ptr, ec] = std::from_chars(text.data(), end, value);
      if (ec != std::errc() || ptr != end) BadCell(text, column, "um número");
      packet.appendFloat(value);
      return;
    }
    case FieldType::DateTime: {
      const auto value = platform::TryISOToDateTime(text);
      if (!value) BadCell(text, column, "uma data");
      packet.appendDateTime(*value);
      return;
    }
    case FieldType::Boolean:
      if (text == "t" || text == "true" || text == "1") {
        packet.appendBool(true);
      } else if (text == "f" || text == "false" || text == "0") {
        packet.appendBool(false);
      } else {
        BadCell(text, column, "um valor lógico");
      }
      return;
  }
  BadCell(text, column, "de um tipo conhecido");
}

}  // namespace framework::sql
