#include "server/store/sql_builder.h"

#include <cctype>

namespace server::store {

std::string SqlBuilder::next(platform::Variant value) {
  params_.push_back(std::move(value));
  return "$" + std::to_string(params_.size());
}

std::string SqlBuilder::param(platform::Variant value) { return next(std::move(value)); }

std::string SqlBuilder::textParam(std::string value) {
  std::string p = next(platform::Variant(std::move(value)));
  return backend_ == Backend::PostgreSQL ? "CAST(" + p + " AS VARCHAR)" : p;
}

std::string SqlBuilder::integerParam(std::int64_t value) {
  std::string p = next(platform::Variant(value));
  return backend_ == Backend::PostgreSQL ? "CAST(" + p + " AS INTEGER)" : p;
}

std::string SqlBuilder::doubleParam(double value) {
  std::string p = next(platform::Variant(value));
  return backend_ == Backend::PostgreSQL ? "CAST(" + p + " AS DOUBLE PRECISION)" : p;
}

std::string SqlBuilder::dateParam(const std::optional<std::string>& iso) {
  std::string p = next(iso ? platform::Variant(*iso) : platform::Variant::Null());
  return backend_ == Backend::PostgreSQL ? "CAST(" + p + " AS DATE)" : p;
}

std::string SqlBuilder::timestampParam(const std::string& iso) {
  std::string p = next(platform::Variant(iso));
  return backend_ == Backend::PostgreSQL ? "CAST(" + p + " AS TIMESTAMP)" : p;
}

std::string SqlBuilder::roundPrice(const std::string& expression) const {
  if (backend_ == Backend::PostgreSQL)
    return "CAST(ROUND(CAST(" + expression + " AS NUMERIC), 3) AS DOUBLE PRECISION)";
  return "VQR_ROUND3(" + expression + ")";
}

std::string SqlBuilder::forUpdateOf(const std::string& alias) const {
  return backend_ == Backend::PostgreSQL ? " FOR UPDATE OF " + alias : "";
}

std::string ToSQLitePlaceholders(std::string_view sql) {
  std::string out;
  out.reserve(sql.size());
  char quote = 0;
  for (std::size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '$' && i + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
      c = '?';
    }
    out += c;
  }
  return out;
}

}  // namespace server::store
