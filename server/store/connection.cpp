#include "server/store/connection.h"

#include "server/store/store_error.h"

namespace server::store {

const char* BackendName(Backend backend) noexcept {
  return backend == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

std::optional<platform::TDateTime> Row::date(int col) const {
  if (isNull(col)) return std::nullopt;
  std::string_view iso = textView(col);
  auto value = platform::TryISOToDateTime(iso);
  if (!value)
    throw StoreError(StoreError::Kind::Other, "Data inválida no banco de dados: '" + std::string(iso) + "'");
  return value;
}

bool Connection::exists(std::string_view sql, const Params& params) {
  bool found = false;
  query(sql, params, [&](const Row&) { found = true; });
  return found;
}

std::optional<std::string> Connection::queryText(std::string_view sql, const Params& params) {
  std::optional<std::string> value;
  query(sql, params, [&](const Row& row) {
    if (!value && !row.isNull(0)) value = row.text(0);
  });
  return value;
}

std::optional<std::int64_t> Connection::queryInteger(std::string_view sql, const Params& params) {
  std::optional<std::int64_t> value;
  query(sql, params, [&](const Row& row) {
    if (!value && !row.isNull(0)) value = row.integer(0);
  });
  return value;
}

}  // namespace server::store
