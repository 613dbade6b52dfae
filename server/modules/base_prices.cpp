#include "server/modules/base_prices.h"

#include "contracts/server/price_limits.h"
#include "server/modules/refusal.h"

namespace server::modules {

void ResetTempTable(store::Connection& connection, const std::string& name, const std::string& columns,
                    TempRows rows) {
  std::string create = "CREATE TEMP TABLE IF NOT EXISTS " + name + " (" + columns + ")";
  if (connection.backend() == store::Backend::PostgreSQL)
    create += " ON COMMIT DELETE ROWS";
  else if (rows == TempRows::KeyOrder)
    create += " WITHOUT ROWID";
  connection.executeScript(create);
  connection.execute("DELETE FROM " + name);
}

std::int64_t FillBasePrices(store::Connection& connection, const SelectBuilder& select) {
  // Written once and read in sequence: a key would only cost its upkeep (the products
  // come one each from their source's own key).
  ResetTempTable(connection, kBasePriceTable, "CDPRODUTO VARCHAR(10) NOT NULL, VRPRECOPROD DOUBLE PRECISION",
                 TempRows::InsertionOrder);
  store::SqlBuilder sql(connection.backend());
  std::string statement = std::string("INSERT INTO ") + kBasePriceTable + " (CDPRODUTO, VRPRECOPROD) SELECT K.CDPRODUTO, " +
                          "K.VRPRECOPROD FROM (" + select(sql) + ") K";
  // SQLite reads its key-ordered tables in product order anyway; PostgreSQL would give
  // up a hash join for a sort or two index scans.
  if (connection.backend() == store::Backend::SQLite) statement += " ORDER BY K.CDPRODUTO";
  std::int64_t products = connection.execute(statement, sql.params());
  // PostgreSQL keeps no statistics of temporary tables by itself. The planner needs only
  // the row count and that the products are distinct, which a small sample shows as well
  // as the default one, ten times the size, for a tenth of the time.
  if (connection.backend() == store::Backend::PostgreSQL)
    connection.executeScript(std::string("SET LOCAL default_statistics_target = 10; ANALYZE ") + kBasePriceTable);
  return products;
}

std::string RowidSlice(store::SqlBuilder& sql, const std::string& alias, std::int64_t from, std::int64_t to) {
  return alias + ".rowid > " + sql.integerParam(from) + " AND " + alias + ".rowid <= " + sql.integerParam(to);
}

std::string RowidSliceBounds(store::SqlBuilder& sql, const std::string& table, const std::string& condition,
                             const std::string& customer, std::int64_t from, std::int64_t to) {
  const std::string rows = " FROM " + table + " B WHERE " + RowidSlice(sql, "B", from, to) +
                           (condition.empty() ? "" : " AND " + condition);
  return "SELECT " + sql.textParam(customer) + " AS CDCLIENTE, (SELECT B.CDPRODUTO" + rows +
         " ORDER BY B.rowid LIMIT 1) AS LO, (SELECT B.CDPRODUTO" + rows + " ORDER BY B.rowid DESC LIMIT 1) AS HI";
}

void RefuseUnsoundBasePrices(store::Connection& connection, const std::string* keptFor) {
  store::SqlBuilder sql(connection.backend());
  // Only the offending prices are read; a null is one that could not be computed, and
  // NaN, which PostgreSQL sorts above every number, is over the ceiling there.
  std::string statement = std::string("SELECT B.VRPRECOPROD FROM ") + kBasePriceTable +
                          " B WHERE (B.VRPRECOPROD IS NULL OR B.VRPRECOPROD <= 0 OR B.VRPRECOPROD > " +
                          sql.doubleParam(contracts::server::kMaxPrice) + ")";
  if (keptFor)
    statement += " AND NOT EXISTS (SELECT 1 FROM TABPRECLIE O WHERE O.CDCLIENTE = " + sql.textParam(*keptFor) +
                 " AND O.CDPRODUTO = B.CDPRODUTO)";
  bool nonPositive = false, unsound = false;
  connection.query(statement, sql.params(), [&](const store::Row& row) {
    unsound = true;
    if (!row.isNull(0) && row.real(0) <= 0) nonPositive = true;
  });
  if (nonPositive) throw Refusal(kPrecoZerNeg);
  if (unsound) throw Refusal(PricesOverCeiling());
}

}  // namespace server::modules
