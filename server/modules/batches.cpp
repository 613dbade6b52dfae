#include "server/modules/batches.h"

#include <limits>

#include "server/modules/caller.h"
#include "server/store/sql_builder.h"

namespace server::modules {

std::int64_t OpenBatch(store::Connection& connection, char origin, const std::string& customer, const std::string& now) {
  store::SqlBuilder sql(connection.backend());
  // On PostgreSQL a number taken by a transaction not yet committed may lie above the
  // highest one seen here, but the batch's own come later still.
  std::string statement =
      "INSERT INTO TABPRECLIELOTE (IDORIGALT, CDCLIENTE, DTHRALT, QTPRECO, CDUSUARIO, NRSEQHISTINI) VALUES (" +
      sql.textParam(std::string(1, origin)) + ", " + sql.textParam(customer) + ", " + sql.timestampParam(now) + ", " +
      sql.integerParam(kUnfinishedBatch) + ", " + sql.textParam(ChangeAuthor(connection)) +
      ", " + kLastHistoryNumber + " + 1) RETURNING NRLOTE";
  std::int64_t number = 0;
  connection.query(statement, sql.params(), [&](const store::Row& row) { number = row.integer(0); });
  return number;
}

void CloseBatch(store::Connection& connection, std::int64_t batch, std::int64_t prices) {
  connection.execute(std::string("UPDATE TABPRECLIELOTE SET QTPRECO = $1, NRSEQHISTFIN = ") + kLastHistoryNumber +
                         " WHERE NRLOTE = $2",
                     {prices, batch});
}

std::string InBatch(const std::string& alias, const std::string& batch) {
  const std::string range = " FROM TABPRECLIELOTE R WHERE R.NRLOTE = " + batch + ")";
  const std::string noEnd = std::to_string(std::numeric_limits<std::int64_t>::max());
  return alias + ".NRLOTE = " + batch + " AND " + alias + ".NRSEQHIST >= (SELECT COALESCE(R.NRSEQHISTINI, 0)" + range +
         " AND " + alias + ".NRSEQHIST <= (SELECT COALESCE(R.NRSEQHISTFIN, " + noEnd + ")" + range;
}

void DropEmptyBatch(store::Connection& connection, std::int64_t batch) {
  connection.execute(
      "DELETE FROM TABPRECLIELOTE WHERE NRLOTE = $1 AND QTPRECO = 0 AND NOT EXISTS "
      "(SELECT 1 FROM COMPPRECLIELOTE F WHERE F.NRLOTE = $1)",
      {batch});
}

std::optional<BatchInfo> FindBatch(store::Connection& connection, std::int64_t batch, bool lock) {
  store::SqlBuilder sql(connection.backend());
  std::string statement =
      "SELECT L.NRLOTE, L.IDORIGALT, L.CDCLIENTE, L.DTHRALT, L.QTPRECO, L.NRLOTEDESF, L.CDUSUARIO FROM TABPRECLIELOTE L "
      "WHERE L.NRLOTE = " +
      sql.param(platform::Variant(batch)) + (lock ? sql.forUpdateOf("L") : "");
  std::optional<BatchInfo> info;
  connection.query(statement, sql.params(), [&](const store::Row& row) {
    BatchInfo found;
    found.number = row.integer(0);
    found.origin = row.text(1).empty() ? 0 : row.text(1)[0];
    found.customer = row.text(2);
    found.time = row.text(3);
    found.prices = row.integer(4);
    if (!row.isNull(5)) found.undoneBy = row.integer(5);
    found.user = row.text(6);
    info = std::move(found);
  });
  return info;
}

}  // namespace server::modules
