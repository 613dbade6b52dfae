#include "server/modules/price_writer.h"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <chrono>
#include <ctime>

#include "server/modules/caller.h"
#include "server/modules/price_lock.h"
#include "server/store/store_error.h"

namespace server::modules {
namespace {

std::string HistoryInsert(const PriceSet& set) {
  return "INSERT INTO " + set.history +
         " (CDCLIENTE, CDPRODUTO, VRPRECOANT, DTVALINIANT, DTVALFINANT, VRPRECONOV, DTVALININOV, DTVALFINNOV, "
         "IDORIGALT, DTHRALT, NRLOTE, CDUSUARIO) ";
}

constexpr const char* kSameKey = " ON O.CDCLIENTE = N.CDCLIENTE AND O.CDPRODUTO = N.CDPRODUTO";

// New dates of an existing price: the set's, or its own when they are kept.
std::string NewDate(const PriceSet& set, const char* column) {
  return std::string(set.keepDates ? "O." : "N.") + column;
}

// New dates of a price the set creates (no O) or changes.
std::string CreatedOrNewDate(const PriceSet& set, const char* column) {
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

// Origin, time, batch and user of a history row.
std::string ChangeColumns(store::SqlBuilder& sql, const store::Connection& c, const PriceSet& set,
                          const std::string& now) {
  return sql.textParam(std::string(1, set.origin)) + ", " + sql.timestampParam(now) + ", " +
         BatchParam(sql, set.batch) + ", " + sql.textParam(ChangeAuthor(c));
}

// The history columns of prices the row `alias` creates: nothing before, then its
// values; the change columns follow.
std::string CreatedPriceHistory(const std::string& alias) {
  const std::string a = alias + ".";
  return "SELECT " + a + "CDCLIENTE, " + a + "CDPRODUTO, NULL, NULL, NULL, " + a + "VRPRECOPROD, " + a + "DTVALINI, " +
         a + "DTVALFIN, ";
}

// The proposed prices N the set's table has not yet.
std::string Absent(const PriceSet& set) {
  return " WHERE NOT EXISTS (SELECT 1 FROM " + set.prices +
         " O WHERE O.CDCLIENTE = N.CDCLIENTE AND O.CDPRODUTO = N.CDPRODUTO)";
}

std::string PriceInsert(const PriceSet& set) {
  return "INSERT INTO " + set.prices + " (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) SELECT N.CDCLIENTE, "
         "N.CDPRODUTO, N.VRPRECOPROD, N.DTVALINI, N.DTVALFIN FROM (";
}

// PostgreSQL: one statement inserts the absent prices in key order and records those it
// inserted. A price another transaction is creating makes it wait for that one's end;
// created there, it is left to the locking step.
std::int64_t CreateAbsentPricesPostgreSQL(store::Connection& c, const PriceSet& set, const std::string& now) {
  store::SqlBuilder sql(c.backend());
  std::string select = set.select(sql);
  std::string statement =
      "WITH I AS (" + PriceInsert(set) + select + ") N" + Absent(set) +
      " ORDER BY N.CDCLIENTE, N.CDPRODUTO ON CONFLICT (CDCLIENTE, CDPRODUTO) DO NOTHING RETURNING CDCLIENTE, "
      "CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) " +
      HistoryInsert(set) + CreatedPriceHistory("I") + ChangeColumns(sql, c, set, now) + " FROM I";
  return c.execute(statement, sql.params());
}

// Locks every price of the set (PostgreSQL); false when one that was there when the
// creating step looked was removed before its lock came: it is neither created nor
// locked yet.
bool LockSetPrices(store::Connection& c, const PriceSet& set) {
  store::SqlBuilder sql(c.backend());
  std::string select = set.select(sql);
  auto locked = LockPriceRows(
      c, set.prices + " T JOIN (" + select + ") N ON T.CDCLIENTE = N.CDCLIENTE AND T.CDPRODUTO = N.CDPRODUTO",
      sql.params());
  if (!locked) return true;
  store::SqlBuilder counting(c.backend());
  std::string all = set.select(counting);
  return *locked == c.queryInteger("SELECT COUNT(*) FROM (" + all + ") N", counting.params()).value_or(0);
}

// How many times the prices removed under a write are created again before the write
// gives up as a transient conflict (its transaction then starts over).
constexpr int kLockRounds = 5;

// The locked prices the set changes: their history rows, then the change itself.
std::int64_t ChangeLockedPrices(store::Connection& c, const PriceSet& set, const std::string& now) {
  store::SqlBuilder history(c.backend());
  std::string select = set.select(history);
  std::int64_t changed = c.execute(
      HistoryInsert(set) +
          "SELECT N.CDCLIENTE, N.CDPRODUTO, O.VRPRECOPROD, O.DTVALINI, O.DTVALFIN, N.VRPRECOPROD, " +
          NewDate(set, "DTVALINI") + ", " + NewDate(set, "DTVALFIN") + ", " + ChangeColumns(history, c, set, now) +
          " FROM (" + select + ") N JOIN " + set.prices + " O" + kSameKey + " WHERE " + Differs(set, "O", "N"),
      history.params());
  if (changed == 0) return 0;
  store::SqlBuilder sql(c.backend());
  select = set.select(sql);
  std::string assign = "VRPRECOPROD = N.VRPRECOPROD";
  if (!set.keepDates) assign += ", DTVALINI = N.DTVALINI, DTVALFIN = N.DTVALFIN";
  const std::string& table = set.prices;
  c.execute("UPDATE " + table + " SET " + assign + " FROM (" + select + ") N WHERE " + table +
                ".CDCLIENTE = N.CDCLIENTE AND " + table + ".CDPRODUTO = N.CDPRODUTO AND " + Differs(set, table, "N"),
            sql.params());
  return changed;
}

// PostgreSQL: the absent prices created, then the existing ones locked and changed.
std::int64_t WritePriceSetPostgreSQL(store::Connection& c, const PriceSet& set, const std::string& now) {
  std::int64_t created = CreateAbsentPricesPostgreSQL(c, set, now);
  if (!set.overwrite) return created;  // the existing prices are kept: not written
  // A price removed meanwhile is created now, out of key order: a cycle of waits this
  // may make the database breaks as a deadlock, and the transaction starts over.
  for (int round = 1; !LockSetPrices(c, set); ++round) {
    if (round == kLockRounds)
      throw store::StoreError(store::StoreError::Kind::Transient,
                              "Erro no banco de dados: preços excluídos seguidamente enquanto a gravação os bloqueava.");
    created += CreateAbsentPricesPostgreSQL(c, set, now);
  }
  return created + ChangeLockedPrices(c, set, now);
}

// Whether the set creates every price it yields: its bounds show that no customer of it
// has a price in the set's table from the first to the last product the set gives that
// customer (SQLite, where nothing else writes meanwhile). A set that is wrong about its
// bounds breaks on the key of a price it then inserts, never overwriting one unseen.
bool CreatesEveryPrice(store::Connection& c, const PriceSet& set) {
  if (!set.bounds) return false;
  store::SqlBuilder sql(c.backend());
  std::string bounds = set.bounds(sql);
  return !c.exists("SELECT 1 FROM (" + bounds + ") K JOIN " + set.prices +
                       " O ON O.CDCLIENTE = K.CDCLIENTE AND O.CDPRODUTO >= K.LO AND O.CDPRODUTO <= K.HI LIMIT 1",
                   sql.params());
}

// SQLite, every price of the set new: its history rows have nothing before, and the
// prices go in as they are, with no lookup of an existing one (the first recalculation
// of a customer looked each of its prices up twice).
std::int64_t CreateEveryPriceSQLite(store::Connection& c, const PriceSet& set, const std::string& now) {
  store::SqlBuilder history(c.backend());
  std::string select = set.select(history);
  std::int64_t count = c.execute(
      HistoryInsert(set) + CreatedPriceHistory("N") + ChangeColumns(history, c, set, now) + " FROM (" + select + ") N",
      history.params());
  if (count == 0) return 0;
  store::SqlBuilder sql(c.backend());
  select = set.select(sql);
  c.execute(PriceInsert(set) + select + ") N", sql.params());
  return count;
}

// SQLite, alone in writing: nothing can create, change or remove a price between two
// statements, so one pass records every price the set creates or changes (the values it
// replaces, from the table as it stands) and a second writes them all.
std::int64_t WritePriceSetSQLite(store::Connection& c, const PriceSet& set, const std::string& now) {
  if (CreatesEveryPrice(c, set)) return CreateEveryPriceSQLite(c, set, now);
  store::SqlBuilder history(c.backend());
  std::string select = set.select(history);
  std::string written = "O.CDCLIENTE IS NULL";
  if (set.overwrite) written += " OR " + Differs(set, "O", "N");
  std::int64_t count = c.execute(
      HistoryInsert(set) + "SELECT N.CDCLIENTE, N.CDPRODUTO, O.VRPRECOPROD, O.DTVALINI, O.DTVALFIN, N.VRPRECOPROD, " +
          CreatedOrNewDate(set, "DTVALINI") + ", " + CreatedOrNewDate(set, "DTVALFIN") + ", " +
          ChangeColumns(history, c, set, now) + " FROM (" + select + ") N LEFT JOIN " + set.prices + " O" + kSameKey +
          " WHERE " + written,
      history.params());
  if (count == 0) return 0;
  store::SqlBuilder sql(c.backend());
  select = set.select(sql);
  if (!set.overwrite) {
    // Only the absent ones: a kept price's proposed value need not pass the table's checks.
    c.execute(PriceInsert(set) + select + ") N" + Absent(set), sql.params());
    return count;
  }
  // Each proposed row meets its own price by its key (SQLite scans the whole table for an
  // UPDATE ... FROM). The WHERE clause keeps SQLite from reading ON CONFLICT as a join
  // constraint.
  c.execute(PriceInsert(set) + select +
                ") N WHERE 1 = 1 ON CONFLICT (CDCLIENTE, CDPRODUTO) DO UPDATE SET VRPRECOPROD = excluded.VRPRECOPROD" +
                (set.keepDates ? "" : ", DTVALINI = excluded.DTVALINI, DTVALFIN = excluded.DTVALFIN") + " WHERE " +
                Differs(set, set.prices, "excluded"),
            sql.params());
  return count;
}

}  // namespace

std::int64_t WritePriceSet(store::Connection& connection, const PriceSet& set, const std::string& now) {
  return connection.backend() == store::Backend::PostgreSQL ? WritePriceSetPostgreSQL(connection, set, now)
                                                            : WritePriceSetSQLite(connection, set, now);
}

std::string NowISO() {
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  return fmt::format("{:%Y-%m-%dT%H:%M:%S}", local);
}

}  // namespace server::modules
