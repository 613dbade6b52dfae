#pragma once
// SqlBuilder: assembles one statement's text together with its parameter list, so
// every value enters as a placeholder and the few differences between the SQL of
// SQLite and PostgreSQL stay here.
//
//   SqlBuilder b(conn.backend());
//   std::string sql = "SELECT ... WHERE CDCLIENTE = " + b.param(code);
//   conn.query(sql, b.params(), ...);
//
// Placeholders are $1, $2, ... in the order the values were added. Typed placeholders
// carry a cast on PostgreSQL where the type cannot be inferred from the context (a
// value in a SELECT list, arithmetic); SQLite needs none and stores dates as text.
#include <optional>
#include <string>

#include "server/store/connection.h"

namespace server::store {

class SqlBuilder {
 public:
  explicit SqlBuilder(Backend backend) : backend_(backend) {}

  Backend backend() const noexcept { return backend_; }
  const Params& params() const noexcept { return params_; }

  // An untyped value: where the statement's context gives the type.
  std::string param(platform::Variant value);
  std::string textParam(std::string value);
  std::string integerParam(std::int64_t value);
  std::string doubleParam(double value);
  // A date as ISO-8601 text (yyyy-mm-dd), or NULL.
  std::string dateParam(const std::optional<std::string>& iso);
  // A time stamp as ISO-8601 text (yyyy-mm-ddThh:nn:ss).
  std::string timestampParam(const std::string& iso);

  // The expression rounding a price to three decimals (price_round.h).
  std::string roundPrice(const std::string& expression) const;
  // " FOR UPDATE OF <alias>" on PostgreSQL (locks the rows read from that table);
  // SQLite's write transaction already holds the database's write lock.
  std::string forUpdateOf(const std::string& alias) const;

 private:
  std::string next(platform::Variant value);

  Backend backend_;
  Params params_;
};

// "$n" placeholders rewritten as "?n" (SQLite's numbered form), leaving quoted text alone.
std::string ToSQLitePlaceholders(std::string_view sql);

}  // namespace server::store
