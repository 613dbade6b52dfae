#include "server/modules/base_prices.h"

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

std::int64_t CountNonPositiveBasePrices(store::Connection& connection, const std::string* keptFor) {
  std::string statement = std::string("SELECT COUNT(*) FROM ") + kBasePriceTable + " B WHERE B.VRPRECOPROD <= 0";
  store::Params params;
  if (keptFor) {
    statement += " AND NOT EXISTS (SELECT 1 FROM TABPRECLIE O WHERE O.CDCLIENTE = $1 AND O.CDPRODUTO = B.CDPRODUTO)";
    params.push_back(*keptFor);
  }
  return connection.queryInteger(statement, params).value_or(0);
}

}  // namespace server::modules
