#include "server/modules/price_writer.h"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <chrono>
#include <ctime>

#include "server/modules/caller.h"

namespace server::modules {
namespace {

// New dates of a price: the set's, or the existing price's when they are kept.
std::string NewDate(const PriceSet& set, const char* column) {
  if (!set.keepDates) return std::string("N.") + column;
  return std::string("CASE WHEN O.CDCLIENTE IS NULL THEN N.") + column + " ELSE O." + column + " END";
}

// Whether an existing price O differs from the new one in what the set writes.
std::string Differs(const PriceSet& set, const std::string& oldRow, const std::string& newRow) {
  std::string price = oldRow + ".VRPRECOPROD <> " + newRow + ".VRPRECOPROD";
  if (set.keepDates) return price;
  return "(" + price + " OR " + oldRow + ".DTVALINI IS DISTINCT FROM " + newRow + ".DTVALINI OR " +
         oldRow + ".DTVALFIN IS DISTINCT FROM " + newRow + ".DTVALFIN)";
}

std::string BatchParam(store::SqlBuilder& sql, std::int64_t batch) {
  if (batch == 0) return "CAST(NULL AS BIGINT)";
  return "CAST(" + sql.param(platform::Variant(batch)) + " AS BIGINT)";
}

std::int64_t WriteHistory(store::Connection& connection, const PriceSet& set, const std::string& now) {
  store::SqlBuilder sql(connection.backend());
  std::string select = set.select(sql);
  std::string changed = "O.CDCLIENTE IS NULL";
  if (set.overwrite) changed += " OR " + Differs(set, "O", "N");
  std::string statement =
      "INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECOANT, DTVALINIANT, DTVALFINANT, "
      "VRPRECONOV, DTVALININOV, DTVALFINNOV, IDORIGALT, DTHRALT, NRLOTE, CDUSUARIO) "
      "SELECT N.CDCLIENTE, N.CDPRODUTO, O.VRPRECOPROD, O.DTVALINI, O.DTVALFIN, N.VRPRECOPROD, " +
      NewDate(set, "DTVALINI") + ", " + NewDate(set, "DTVALFIN") + ", " +
      sql.textParam(std::string(1, set.origin)) + ", " + sql.timestampParam(now) + ", " + BatchParam(sql, set.batch) +
      ", " + sql.textParam(ChangeAuthor(connection)) +
      " FROM (" + select +
      ") N LEFT JOIN TABPRECLIE O ON O.CDCLIENTE = N.CDCLIENTE AND O.CDPRODUTO = N.CDPRODUTO WHERE " +
      changed;
  return connection.execute(statement, sql.params());
}

void WritePrices(store::Connection& connection, const PriceSet& set) {
  store::SqlBuilder sql(connection.backend());
  std::string select = set.select(sql);
  // Prices to keep are left out of the insert itself: the databases check a row's
  // constraints before they find its conflict, so a kept product's computed price
  // must not even be proposed. DO NOTHING covers a price another user adds meanwhile.
  std::string where = " WHERE NOT EXISTS (SELECT 1 FROM TABPRECLIE O WHERE O.CDCLIENTE = N.CDCLIENTE AND "
                      "O.CDPRODUTO = N.CDPRODUTO)";
  std::string conflict = " ON CONFLICT (CDCLIENTE, CDPRODUTO) DO NOTHING";
  if (set.overwrite) {
    where = " WHERE 1 = 1";
    conflict = " ON CONFLICT (CDCLIENTE, CDPRODUTO) DO UPDATE SET VRPRECOPROD = excluded.VRPRECOPROD";
    if (!set.keepDates) conflict += ", DTVALINI = excluded.DTVALINI, DTVALFIN = excluded.DTVALFIN";
    conflict += " WHERE " + Differs(set, "TABPRECLIE", "excluded");
  }
  // A WHERE clause also keeps SQLite from reading ON CONFLICT as a join constraint.
  connection.execute(
      "INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) "
      "SELECT N.CDCLIENTE, N.CDPRODUTO, N.VRPRECOPROD, N.DTVALINI, N.DTVALFIN FROM (" +
          select + ") N" + where + conflict,
      sql.params());
}

}  // namespace

std::int64_t WritePriceSet(store::Connection& connection, const PriceSet& set, const std::string& now) {
  std::int64_t changed = WriteHistory(connection, set, now);
  if (changed > 0) WritePrices(connection, set);
  return changed;
}

std::string NowISO() {
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  return fmt::format("{:%Y-%m-%dT%H:%M:%S}", local);
}

}  // namespace server::modules
