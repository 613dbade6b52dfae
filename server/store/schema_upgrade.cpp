#include "server/store/schema_upgrade.h"

#include <string>

#include "server/store/schema.h"
#include "server/store/store_error.h"
#include "server/store/transaction.h"

namespace server::store {
namespace {

constexpr const char* kHistoryColumns =
    "NRSEQHIST, CDCLIENTE, CDPRODUTO, VRPRECOANT, DTVALINIANT, DTVALFINANT, VRPRECONOV, DTVALININOV, "
    "DTVALFINNOV, IDORIGALT, DTHRALT";

// SQLite cannot change a CHECK: the history is copied into a table of the new shape.
void RebuildSQLiteHistory(Connection& c) {
  c.executeScript("DROP INDEX IF EXISTS IXTABPRECLIEHIST_CLIEPROD;"
                  "ALTER TABLE TABPRECLIEHIST RENAME TO TABPRECLIEHIST_V1;");
  c.executeScript(HistorySql(Backend::SQLite, "TABPRECLIEHIST", 2));
  c.executeScript(std::string("INSERT INTO TABPRECLIEHIST (") + kHistoryColumns + ") SELECT " + kHistoryColumns +
                  " FROM TABPRECLIEHIST_V1;DROP TABLE TABPRECLIEHIST_V1;");
}

// PostgreSQL names an unnamed column CHECK <table>_<column>_check.
void AlterPostgreSQLHistory(Connection& c) {
  c.executeScript("DROP INDEX IF EXISTS IXTABPRECLIEHIST_CLIEPROD;"
                  "ALTER TABLE TABPRECLIEHIST ADD COLUMN NRLOTE BIGINT;"
                  "ALTER TABLE TABPRECLIEHIST DROP CONSTRAINT IF EXISTS tabprecliehist_idorigalt_check;"
                  "ALTER TABLE TABPRECLIEHIST ADD CONSTRAINT tabprecliehist_idorigalt_check "
                  "CHECK (IDORIGALT = 'M' OR IDORIGALT = 'R' OR IDORIGALT = 'C' OR IDORIGALT = 'D');");
}

void MigrateFrom1To2(Connection& c) {
  if (c.backend() == Backend::SQLite)
    RebuildSQLiteHistory(c);
  else
    AlterPostgreSQLHistory(c);
  c.executeScript(HistoryIndexSql(c.backend(), 2));
  c.executeScript(BatchSql(c.backend(), 2));
  c.execute("INSERT INTO SCHEMAVERSAO (NRVERSAO) VALUES (2)");
}

// The changes and batches made so far get the user kUserBeforeSignIn; from now on each
// names its own (PostgreSQL drops the default, SQLite cannot and keeps it).
void MigrateFrom2To3(Connection& c) {
  for (const char* table : {"TABPRECLIEHIST", "TABPRECLIELOTE"}) {
    c.executeScript(std::string("ALTER TABLE ") + table + " ADD COLUMN CDUSUARIO VARCHAR(20) NOT NULL DEFAULT '" +
                    kUserBeforeSignIn + "'");
    if (c.backend() == Backend::PostgreSQL)
      c.executeScript(std::string("ALTER TABLE ") + table + " ALTER COLUMN CDUSUARIO DROP DEFAULT");
  }
  c.executeScript(UsersSql(c.backend()));
  c.execute("UPDATE SCHEMAVERSAO SET NRVERSAO = 3");
}

// The history is read in the order of its numbers; the indexes by time go.
void MigrateFrom3To4(Connection& c) {
  c.executeScript("DROP INDEX IF EXISTS IXTABPRECLIEHIST_CLIEPROD;DROP INDEX IF EXISTS IXTABPRECLIEHIST_CLIEHORA;");
  c.executeScript(HistoryIndexSql(c.backend(), 4));
  c.execute("UPDATE SCHEMAVERSAO SET NRVERSAO = 4");
}

// The import origin joins the CHECKs of the history and the batches. SQLite copies both
// tables into ones of the new shape, keeping every column (numbers included), and makes
// the history's indexes again.
void RebuildSQLiteOrigins(Connection& c) {
  const std::string history = kHistoryColumns + std::string(", NRLOTE, CDUSUARIO");
  const std::string batches = "NRLOTE, IDORIGALT, CDCLIENTE, DTHRALT, QTPRECO, NRLOTEDESF, CDUSUARIO";
  c.executeScript("ALTER TABLE TABPRECLIEHIST RENAME TO TABPRECLIEHIST_V4;"
                  "ALTER TABLE TABPRECLIELOTE RENAME TO TABPRECLIELOTE_V4;");
  c.executeScript(HistorySql(Backend::SQLite, "TABPRECLIEHIST", 5) + BatchTableSql(Backend::SQLite, "TABPRECLIELOTE", 5));
  c.executeScript("INSERT INTO TABPRECLIEHIST (" + history + ") SELECT " + history + " FROM TABPRECLIEHIST_V4;" +
                  "INSERT INTO TABPRECLIELOTE (" + batches + ") SELECT " + batches + " FROM TABPRECLIELOTE_V4;" +
                  "DROP TABLE TABPRECLIEHIST_V4; DROP TABLE TABPRECLIELOTE_V4;");
  c.executeScript(HistoryIndexSql(Backend::SQLite, 5));
}

void AlterPostgreSQLOrigins(Connection& c) {
  for (const auto& [table, origins] : {std::pair{"TABPRECLIEHIST", "'M', 'R', 'C', 'D', 'I'"},
                                       std::pair{"TABPRECLIELOTE", "'R', 'C', 'D', 'I'"}}) {
    const std::string constraint = std::string(table) + "_idorigalt_check";
    c.executeScript(std::string("ALTER TABLE ") + table + " DROP CONSTRAINT IF EXISTS " + constraint + "; ALTER TABLE " +
                    table + " ADD CONSTRAINT " + constraint + " CHECK (IDORIGALT IN (" + origins + "));");
  }
}

void MigrateFrom4To5(Connection& c) {
  (c.backend() == Backend::SQLite ? RebuildSQLiteOrigins : AlterPostgreSQLOrigins)(c);
  c.execute("UPDATE SCHEMAVERSAO SET NRVERSAO = 5");
}

void MigrateFrom5To6(Connection& c) {
  c.executeScript(AppliedCallsSql(c.backend()));
  c.execute("UPDATE SCHEMAVERSAO SET NRVERSAO = 6");
}

void MigrateFrom6To7(Connection& c) {
  c.executeScript("DROP INDEX IF EXISTS IXTABPRECLIEHIST_LOTE;");
  c.executeScript(HistoryIndexSql(c.backend(), 7));
  c.execute("UPDATE SCHEMAVERSAO SET NRVERSAO = 7");
}

// Each batch gets the range of its changes' numbers, read on the batch index, which
// SQLite then drops. A finished batch without changes gets an empty range, an
// unfinished one (its count -1) none at its end.
void MigrateFrom7To8(Connection& c) {
  c.executeScript("ALTER TABLE TABPRECLIELOTE ADD COLUMN NRSEQHISTINI BIGINT;"
                  "ALTER TABLE TABPRECLIELOTE ADD COLUMN NRSEQHISTFIN BIGINT;");
  c.execute("UPDATE TABPRECLIELOTE SET NRSEQHISTINI = COALESCE((SELECT MIN(H.NRSEQHIST) FROM TABPRECLIEHIST H WHERE "
            "H.NRLOTE = TABPRECLIELOTE.NRLOTE), 1), NRSEQHISTFIN = CASE WHEN QTPRECO = $1 THEN NULL ELSE "
            "COALESCE((SELECT MAX(H.NRSEQHIST) FROM TABPRECLIEHIST H WHERE H.NRLOTE = TABPRECLIELOTE.NRLOTE), 0) END",
            {std::int64_t{-1}});  // the count of an unfinished batch
  if (c.backend() == Backend::SQLite) c.executeScript("DROP INDEX IF EXISTS IXTABPRECLIEHIST_LOTE;");
  c.execute("UPDATE SCHEMAVERSAO SET NRVERSAO = 8");
}

}  // namespace

int SchemaVersionOf(Connection& connection) {
  if (!TableExists(connection, "SCHEMAVERSAO")) return 1;
  auto version = connection.queryInteger("SELECT MAX(NRVERSAO) FROM SCHEMAVERSAO", {});
  return version ? static_cast<int>(*version) : 1;
}

int UpgradeSchema(Connection& connection) {
  return RunInTransaction(connection, TxMode::Write, [&] {
    int found = SchemaVersionOf(connection);
    if (found > kSchemaVersion)
      throw StoreError(StoreError::Kind::Other, "O banco de dados está na versão " + std::to_string(found) +
                                                    " do esquema, mais nova que a " + std::to_string(kSchemaVersion) +
                                                    " deste servidor.");
    if (found == 1) MigrateFrom1To2(connection);
    if (found <= 2) MigrateFrom2To3(connection);
    if (found <= 3) MigrateFrom3To4(connection);
    if (found <= 4) MigrateFrom4To5(connection);
    if (found <= 5) MigrateFrom5To6(connection);
    if (found <= 6) MigrateFrom6To7(connection);
    if (found <= 7) MigrateFrom7To8(connection);
    return found;
  });
}

}  // namespace server::store
