#include "server/modules/base_prices.h"

#include "contracts/server/price_limits.h"
#include "server/modules/refusal.h"

namespace server::modules {

void ResetTempTable(store::Connection& connection, const std::string& name, const std::string& columns) {
  std::string create = "CREATE TEMP TABLE IF NOT EXISTS " + name + " (" + columns + ")";
  create += connection.backend() == store::Backend::PostgreSQL ? " ON COMMIT DELETE ROWS" : " WITHOUT ROWID";
  connection.executeScript(create);
  connection.execute("DELETE FROM " + name);
}

std::int64_t FillBasePrices(store::Connection& connection, const SelectBuilder& select) {
  ResetTempTable(connection, kBasePriceTable,
                 "CDPRODUTO VARCHAR(10) NOT NULL PRIMARY KEY, VRPRECOPROD DOUBLE PRECISION NOT NULL");
  store::SqlBuilder sql(connection.backend());
  std::string statement = std::string("INSERT INTO ") + kBasePriceTable + " (CDPRODUTO, VRPRECOPROD) SELECT K.CDPRODUTO, " +
                          "K.VRPRECOPROD FROM (" + select(sql) + ") K";
  std::int64_t products = connection.execute(statement, sql.params());
  // PostgreSQL keeps no statistics of temporary tables by itself.
  if (connection.backend() == store::Backend::PostgreSQL)
    connection.executeScript(std::string("ANALYZE ") + kBasePriceTable);
  return products;
}

void RefuseUnsoundBasePrices(store::Connection& connection, const std::string* keptFor) {
  store::SqlBuilder sql(connection.backend());
  std::string statement = "SELECT SUM(CASE WHEN B.VRPRECOPROD <= 0 THEN 1 ELSE 0 END), SUM(CASE WHEN B.VRPRECOPROD > " +
                          sql.doubleParam(contracts::server::kMaxPrice) + " THEN 1 ELSE 0 END) FROM " +
                          kBasePriceTable + " B";
  if (keptFor)
    statement += " WHERE NOT EXISTS (SELECT 1 FROM TABPRECLIE O WHERE O.CDCLIENTE = " + sql.textParam(*keptFor) +
                 " AND O.CDPRODUTO = B.CDPRODUTO)";
  bool nonPositive = false, overCeiling = false;
  connection.query(statement, sql.params(), [&](const store::Row& row) {
    nonPositive = !row.isNull(0) && row.integer(0) > 0;
    overCeiling = !row.isNull(1) && row.integer(1) > 0;
  });
  if (nonPositive) throw Refusal(kPrecoZerNeg);
  if (overCeiling) throw Refusal(PricesOverCeiling());
}

}  // namespace server::modules
