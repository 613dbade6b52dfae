// The store behaves the same on SQLite and PostgreSQL: transactions, bound values,
// exact doubles, nulls, error kinds, bulk loads, the schema, the pool, concurrency.
#include <gtest/gtest.h>

#include <cctype>
#include <cfloat>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>

#include "server/store/schema.h"
#include "server/store/schema_upgrade.h"
#include "server/store/sql_builder.h"
#include "server/store/store_error.h"
#include "server/store/transaction.h"
#include "server/store/writer_queue.h"
#include "tests/server/backend_fixture.h"

namespace servertest {
namespace {

using server::store::Connection;
using server::store::Params;
using server::store::Store;
using server::store::StoreError;
using server::store::Transaction;
using server::store::TxMode;
using platform::Variant;

class StoreTest : public BackendTest {
 protected:
  void addBranch(Connection& c, const std::string& code, const std::string& name) {
    c.execute("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ($1, $2)", {code, name});
  }
  StoreError::Kind failureKind(const std::function<void()>& work) {
    try {
      work();
    } catch (const StoreError& e) {
      return e.kind();
    }
    ADD_FAILURE() << "no StoreError raised";
    return StoreError::Kind::Other;
  }
};

TEST_P(StoreTest, TransactionKeepsNothingUnlessCommitted) {
  {
    Transaction tx(db());
    addBranch(db(), "001", "Matriz");
  }
  EXPECT_EQ(count("FILIAL"), 0);
  EXPECT_FALSE(db().inTransaction());
  {
    Transaction tx(db());
    addBranch(db(), "001", "Matriz");
    tx.commit();
  }
  EXPECT_EQ(count("FILIAL"), 1);
}

TEST_P(StoreTest, HostileTextIsStoredVerbatimNeverExecuted) {
  const std::string hostile = "x'); DROP TABLE FILIAL;-- $1 ? ?1 :a \"q\"";
  addBranch(db(), "001", hostile);
  EXPECT_EQ(rows("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = $1", {"001"}),
            (std::vector<std::vector<std::string>>{{hostile}}));
  EXPECT_TRUE(server::store::HasSchema(db()));
}

TEST_P(StoreTest, DoublesRoundTripBitForBit) {
  db().execute("INSERT INTO FILIAL VALUES ('001', 'Matriz')");
  db().execute("INSERT INTO TIPOCUSTO VALUES (1, 'Custo Médio')");
  const std::vector<double> values{0.1 + 0.2, 1.0 / 3.0, 123456789.123456789, 5e-324, 1e-300, DBL_MAX, 2.675};
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::string product = "P" + std::to_string(i);
    db().execute("INSERT INTO PRODUTO VALUES ($1, $1, 'x', 3)", {product});
    db().execute("INSERT INTO CUSTOPRODUTO VALUES ('001', $1, 1, $2)", {product, values[i]});
  }
  for (std::size_t i = 0; i < values.size(); ++i) {
    double read = 0;
    db().query("SELECT VRCUSTO FROM CUSTOPRODUTO WHERE CDPRODUTO = $1", {"P" + std::to_string(i)},
               [&](const server::store::Row& row) { read = row.real(0); });
    EXPECT_EQ(read, values[i]) << "value " << i;
  }
}

TEST_P(StoreTest, NullAndEmptyTextStayDistinct) {
  db().execute("INSERT INTO CLIENTE VALUES ('1', '11', 'A', NULL, 'J')");
  db().execute("INSERT INTO CLIENTE VALUES ('2', '22', 'B', '', 'J')");
  EXPECT_EQ(rows("SELECT NMFANTCLIE FROM CLIENTE ORDER BY CDCLIENTE"),
            (std::vector<std::vector<std::string>>{{"<null>"}, {""}}));
  bool nullRead = false;
  db().query("SELECT NMFANTCLIE FROM CLIENTE WHERE CDCLIENTE = $1", {"2"},
             [&](const server::store::Row& row) { nullRead = row.isNull(0); });
  EXPECT_FALSE(nullRead);
}

TEST_P(StoreTest, ConstraintFailuresAreReportedAsSuchAndTheConnectionGoesOn) {
  addBranch(db(), "001", "Matriz");
  EXPECT_EQ(failureKind([&] { addBranch(db(), "001", "Outra"); }), StoreError::Kind::Constraint);
  EXPECT_EQ(failureKind([&] {
              Transaction tx(db());
              addBranch(db(), "002", "Filial");
              addBranch(db(), "001", "Repetida");  // aborts the transaction on PostgreSQL
              tx.commit();
            }),
            StoreError::Kind::Constraint);
  EXPECT_FALSE(db().inTransaction());
  addBranch(db(), "003", "Depois da falha");
  EXPECT_EQ(count("FILIAL"), 2);
  EXPECT_TRUE(db().usable());
}

TEST_P(StoreTest, ForeignKeysAndChecksAreEnforced) {
  db().execute("INSERT INTO CLIENTE VALUES ('1', '11', 'A', NULL, 'J')");
  db().execute("INSERT INTO PRODUTO VALUES ('P1', '101001', 'Cola', 3)");
  auto price = [&](const Params& p) {
    return failureKind([&] { db().execute("INSERT INTO TABPRECLIE VALUES ($1, $2, $3, $4, $5)", p); });
  };
  using K = StoreError::Kind;
  Variant none = Variant::Null();
  EXPECT_EQ(price({"9", "P1", 1.0, none, none}), K::Constraint) << "unknown customer";
  EXPECT_EQ(price({"1", "P9", 1.0, none, none}), K::Constraint) << "unknown product";
  EXPECT_EQ(price({"1", "P1", 0.0, none, none}), K::Constraint) << "zero price";
  EXPECT_EQ(price({"1", "P1", 1.0, none, "2026-01-01"}), K::Constraint) << "end without start";
  EXPECT_EQ(price({"1", "P1", 1.0, "2026-02-01", "2026-01-01"}), K::Constraint) << "start after end";
  EXPECT_EQ(count("TABPRECLIE"), 0);
}

// A write may skip the foreign keys' lookups only for rows read in a snapshot nobody
// has committed after, and the checks come back with the next transaction.
TEST_P(StoreTest, AWriteOfReadReferencesIsCheckedOnceAnotherConnectionCommittedAndOnlyForItsOwnTransaction) {
  db().executeScript("INSERT INTO CLIENTE VALUES ('1', '11', 'A', NULL, 'J');"
                     "INSERT INTO PRODUTO VALUES ('P1', '101001', 'Cola', 3);"
                     "INSERT INTO PRODUTO VALUES ('P2', '101002', 'Suco', 3)");
  auto readSnapshot = [&] {
    Transaction tx(db(), TxMode::Read);
    std::int64_t seen = db().commitsSeen().value_or(0);
    tx.commit();
    return seen;
  };
  auto price = [&](const char* product) {
    db().execute("INSERT INTO TABPRECLIE VALUES ('1', $1, 1.0, NULL, NULL)", {std::string(product)});
  };
  auto orphanRefused = [&] { return failureKind([&] { price("P9"); }) == StoreError::Kind::Constraint; };

  std::int64_t seen = readSnapshot();
  store().connect()->execute("DELETE FROM PRODUTO WHERE CDPRODUTO = 'P2'");
  EXPECT_FALSE(db().beginWriteOfReadReferences(seen));
  EXPECT_EQ(failureKind([&] { price("P2"); }), StoreError::Kind::Constraint) << "a product removed meanwhile";
  db().rollback();

  seen = readSnapshot();
  EXPECT_EQ(db().beginWriteOfReadReferences(seen), !postgres()) << "nobody committed since the snapshot";
  price("P1");
  db().commit();
  EXPECT_TRUE(orphanRefused()) << "after a commit";
  db().beginWriteOfReadReferences(readSnapshot());
  db().rollback();
  EXPECT_TRUE(orphanRefused()) << "after a rollback";
  EXPECT_EQ(count("TABPRECLIE"), 1);
}

TEST_P(StoreTest, BulkLoadKeepsAwkwardTextsAndNulls) {
  std::vector<std::string> names{"tab\there", "line\nbreak", "back\\slash", "\\N", "ação ç ã", "",
                                 "carriage\rreturn", "quote ' \" ,"};
  // Enough rows for several of the statements a load gathers its rows into, and some left.
  for (int i = 0; names.size() < 500; ++i) names.push_back("cliente " + std::to_string(i) + std::string(i % 7, 'x'));
  {
    Transaction tx(db());
    auto writer = db().bulkWriter("CLIENTE", {"CDCLIENTE", "NRINSJURCLIE", "NMRAZSOCCLIE", "NMFANTCLIE", "IDTPIJURCLIE"});
    for (std::size_t i = 0; i < names.size(); ++i)
      writer->add({std::to_string(i), std::to_string(100 + i), names[i], i % 2 ? Variant::Null() : Variant(names[i]), "J"});
    writer->finish();
    tx.commit();
  }
  auto stored = rows("SELECT NMRAZSOCCLIE, NMFANTCLIE FROM CLIENTE ORDER BY NRINSJURCLIE");
  ASSERT_EQ(stored.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(stored[i][0], names[i]);
    EXPECT_EQ(stored[i][1], i % 2 ? "<null>" : names[i]);
  }
}

TEST_P(StoreTest, FailedBulkLoadLeavesNothingAndTheConnectionUsable) {
  EXPECT_EQ(failureKind([&] {
              Transaction tx(db());
              auto writer = db().bulkWriter("FILIAL", {"CDFILIAL", "NMFILIAL"});
              writer->add({"001", "Matriz"});
              writer->add({"001", "Repetida"});
              writer->finish();
              tx.commit();
            }),
            StoreError::Kind::Constraint);
  EXPECT_EQ(count("FILIAL"), 0);
  addBranch(db(), "001", "Matriz");
  EXPECT_EQ(count("FILIAL"), 1);
}

TEST_P(StoreTest, SchemaIsDetectedDroppedAndCreatedAgain) {
  EXPECT_TRUE(server::store::HasSchema(db()));
  addBranch(db(), "001", "Matriz");
  server::store::DropSchema(db());
  EXPECT_FALSE(server::store::HasSchema(db()));
  server::store::CreateSchema(db());
  EXPECT_TRUE(server::store::HasSchema(db()));
  EXPECT_EQ(count("FILIAL"), 0);
}

// A database made before the schema had a version: the history without batches, whose
// origins were only M, R and C.
void MakeFirstVersion(Connection& c) {
  const bool pg = c.backend() == server::store::Backend::PostgreSQL;
  for (const char* table : {"CHAMADAGRAVADA", "SESSAOUSUARIO", "USUARIO", "SCHEMAVERSAO", "COMPPRECLIELOTE", "TABPRECLIELOTE",
                            "TABPRECLIEHIST"})
    c.executeScript(std::string("DROP TABLE ") + table);
  c.executeScript(std::string("CREATE TABLE TABPRECLIEHIST (NRSEQHIST ") +
                  (pg ? "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY" : "INTEGER PRIMARY KEY") +
                  ", CDCLIENTE VARCHAR(21) NOT NULL, CDPRODUTO VARCHAR(10) NOT NULL, VRPRECOANT DOUBLE PRECISION, "
                  "DTVALINIANT " + (pg ? "DATE" : "TEXT") + ", DTVALFINANT " + (pg ? "DATE" : "TEXT") +
                  ", VRPRECONOV DOUBLE PRECISION, DTVALININOV " + (pg ? "DATE" : "TEXT") + ", DTVALFINNOV " +
                  (pg ? "DATE" : "TEXT") +
                  ", IDORIGALT CHAR(1) NOT NULL CHECK (IDORIGALT IN ('M', 'R', 'C')), DTHRALT " +
                  (pg ? "TIMESTAMP(0)" : "TEXT") +
                  " NOT NULL);CREATE INDEX IXTABPRECLIEHIST_CLIEPROD ON TABPRECLIEHIST (CDCLIENTE, CDPRODUTO);");
  server::store::SqlBuilder sql(c.backend());
  c.execute("INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECONOV, IDORIGALT, DTHRALT) VALUES "
            "('C1', 'P1', 7.5, 'R', " + sql.timestampParam("2026-03-01T10:00:00") + ")",
            sql.params());
}

TEST_P(StoreTest, AnOlderSchemaIsUpgradedOnceKeepingItsHistory) {
  MakeFirstVersion(db());
  EXPECT_FALSE(server::store::HasSchema(db()));
  EXPECT_TRUE(server::store::HasBaseSchema(db()));
  EXPECT_EQ(server::store::UpgradeSchema(db()), 1);
  EXPECT_TRUE(server::store::HasSchema(db()));
  EXPECT_EQ(server::store::SchemaVersionOf(db()), server::store::kSchemaVersion);
  EXPECT_EQ(rows("SELECT NRSEQHIST, CDCLIENTE, VRPRECONOV, IDORIGALT, NRLOTE, CDUSUARIO FROM TABPRECLIEHIST"),
            (std::vector<std::vector<std::string>>{{"1", "C1", "7.5", "R", "<null>", "(anterior)"}}))
      << "a change made before users were recorded says so";
  server::store::SqlBuilder sql(db().backend());
  std::string time = sql.timestampParam("2026-03-02T10:00:00");
  db().execute("INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECONOV, IDORIGALT, DTHRALT, NRLOTE, CDUSUARIO) "
               "VALUES ('C1', 'P1', 8, 'D', " + time + ", 1, 'ana')",
               sql.params());
  EXPECT_EQ(count("TABPRECLIEHIST", "NRSEQHIST = 2 AND IDORIGALT = 'D'"), 1) << "numbering goes on after the old rows";
  EXPECT_EQ(failureKind([&] {
              db().execute("INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, IDORIGALT, DTHRALT, CDUSUARIO) VALUES "
                           "('C1', 'P1', 'X', " + time + ", 'ana')",
                           sql.params());
            }),
            StoreError::Kind::Constraint);
  EXPECT_EQ(server::store::UpgradeSchema(db()), server::store::kSchemaVersion) << "a current schema is left alone";
  EXPECT_EQ(count("SCHEMAVERSAO"), 1);
}

// The definition of an index, lower case and without parentheses.
std::string IndexDefinition(Connection& c, const std::string& index) {
  const bool pg = c.backend() == server::store::Backend::PostgreSQL;
  std::string lower;
  for (char ch : index) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  std::string definition = pg ? c.queryText("SELECT indexdef FROM pg_indexes WHERE indexname = $1", {lower}).value_or("")
                              : c.queryText("SELECT sql FROM sqlite_master WHERE name = $1", {index}).value_or("");
  std::string plain;
  for (char ch : definition)
    if (ch != '(' && ch != ')') plain += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return plain;
}

// A database of version 6: a batch index over every history row, batches without their
// range of numbers. The upgrade keeps only the batches' changes in that index, gives each
// batch its range (a finished one without changes an empty one, an unfinished one no
// end), and on SQLite, which then finds a batch's changes by that range, drops the index.
TEST_P(StoreTest, TheUpgradeGivesEachBatchTheRangeOfItsChangesAndKeepsABatchIndexOnlyWhereItIsRead) {
  db().executeScript("DROP INDEX IF EXISTS IXTABPRECLIEHIST_LOTE; CREATE INDEX IXTABPRECLIEHIST_LOTE ON TABPRECLIEHIST "
                     "(NRLOTE, CDCLIENTE, CDPRODUTO); ALTER TABLE TABPRECLIELOTE DROP COLUMN NRSEQHISTINI; ALTER TABLE "
                     "TABPRECLIELOTE DROP COLUMN NRSEQHISTFIN; UPDATE SCHEMAVERSAO SET NRVERSAO = 6;");
  db().executeScript(
      "INSERT INTO TABPRECLIELOTE (NRLOTE, IDORIGALT, CDCLIENTE, DTHRALT, QTPRECO, CDUSUARIO) VALUES "
      "(5, 'R', 'X', '2026-01-01 00:00:00', 2, 'u'), (6, 'R', 'X', '2026-01-01 00:00:00', -1, 'u'), "
      "(7, 'C', 'X', '2026-01-01 00:00:00', 0, 'u');"
      "INSERT INTO TABPRECLIEHIST (NRSEQHIST, CDCLIENTE, CDPRODUTO, VRPRECOANT, VRPRECONOV, IDORIGALT, DTHRALT, NRLOTE, "
      "CDUSUARIO) VALUES (10, 'X', 'P1', NULL, 1, 'R', '2026-01-01 00:00:00', 5, 'u'), "
      "(11, 'X', 'P1', 1, 2, 'M', '2026-01-01 00:00:00', NULL, 'u'), "
      "(12, 'X', 'P2', NULL, 1, 'R', '2026-01-01 00:00:00', 5, 'u'), "
      "(13, 'X', 'P3', NULL, 1, 'R', '2026-01-01 00:00:00', 6, 'u');");
  ASSERT_EQ(IndexDefinition(db(), "IXTABPRECLIEHIST_LOTE").find("where"), std::string::npos);

  EXPECT_EQ(server::store::UpgradeSchema(db()), 6);
  EXPECT_EQ(server::store::SchemaVersionOf(db()), server::store::kSchemaVersion);
  auto range = [&](int batch) {
    return db().queryText("SELECT CAST(NRSEQHISTINI AS TEXT) || '..' || COALESCE(CAST(NRSEQHISTFIN AS TEXT), '') FROM "
                          "TABPRECLIELOTE WHERE NRLOTE = $1",
                          {std::int64_t{batch}})
        .value_or("no batch");
  };
  EXPECT_EQ(range(5), "10..12");
  EXPECT_EQ(range(6), "13..");
  EXPECT_EQ(range(7), "1..0");
  const std::string index = IndexDefinition(db(), "IXTABPRECLIEHIST_LOTE");
  if (postgres())
    EXPECT_NE(index.find("where nrlote is not null"), std::string::npos) << index;
  else
    EXPECT_EQ(index, "");
}

TEST_P(StoreTest, PoolReusesConnectionsButNeverOneLeftInATransaction) {
  Connection* first = nullptr;
  {
    Store::Lease lease = store().lease();
    first = &*lease;
  }
  {
    Store::Lease lease = store().lease();
    EXPECT_EQ(&*lease, first) << "a healthy connection goes back to the pool";
    lease->begin(TxMode::Write);
    addBranch(*lease, "001", "Nunca gravada");
  }
  Store::Lease next = store().lease();
  EXPECT_FALSE(next->inTransaction());
  addBranch(*next, "002", "Gravada");  // would wait for the lost writer's lock if it were still open
  EXPECT_EQ(count("FILIAL"), 1);
}

TEST_P(StoreTest, ConcurrentWritersWaitForEachOtherInsteadOfFailing) {
  auto other = store().connect();
  Transaction first(db());
  addBranch(db(), "001", "Primeira");
  std::thread writer([&] {
    Transaction second(*other);  // waits for the first writer on SQLite
    addBranch(*other, "002", "Segunda");
    second.commit();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  first.commit();
  writer.join();
  EXPECT_EQ(count("FILIAL"), 2);
}

TEST_P(StoreTest, TransientConflictsAreRetriedOthersAreNot) {
  int attempts = 0;
  server::store::RunInTransaction(db(), TxMode::Write, [&] {
    if (++attempts == 1) throw StoreError(StoreError::Kind::Transient, "deadlock detected");
    addBranch(db(), "001", "Matriz");
  });
  EXPECT_EQ(attempts, 2);
  EXPECT_EQ(count("FILIAL"), 1);
  attempts = 0;
  EXPECT_THROW(server::store::RunInTransaction(db(), TxMode::Write,
                                               [&] {
                                                 ++attempts;
                                                 addBranch(db(), "002", "Filial");
                                                 throw StoreError(StoreError::Kind::Constraint, "x");
                                               }),
               StoreError);
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(count("FILIAL"), 1);
}

VQR_BACKEND_SUITE(StoreTest);

TEST(SQLiteWriters, TakeTurnsInArrivalOrderAndAWaitEndsAtItsTimeout) {
  server::store::WriterQueue queue;
  ASSERT_TRUE(queue.enter(std::chrono::milliseconds(0)));
  std::vector<int> order;
  std::mutex orderMutex;
  auto writer = [&](int id) {
    if (!queue.enter(std::chrono::seconds(10))) return;
    {
      std::lock_guard lock(orderMutex);
      order.push_back(id);
    }
    queue.leave();
  };
  std::vector<std::thread> writers;
  for (int id = 1; id <= 4; ++id) {
    writers.emplace_back(writer, id);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // each in line before the next arrives
  }
  EXPECT_FALSE(queue.enter(std::chrono::milliseconds(20))) << "the turn is still taken";
  queue.leave();
  for (auto& t : writers) t.join();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4})) << "the timed-out waiter left the line without a turn";
}

// The pages of the write-ahead log a checkpoint finds, and copies back itself (0 when
// the log has been copied whole already).
std::pair<std::int64_t, std::int64_t> LogPages(Connection& c) {
  std::pair<std::int64_t, std::int64_t> pages;
  c.query("PRAGMA wal_checkpoint(PASSIVE)", {}, [&](const server::store::Row& row) {
    pages = {row.integer(1), row.integer(2)};
  });
  return pages;
}

TEST(SQLiteLog, IsCopiedBackWithoutAnyCallAndStartsOverAtTheNextWrite) {
  vqrtest::TempDir dir;
  const std::string path = dir.file("log.db");
  auto store = Store::Open(path, Store::Mode::Create);
  auto c = store->connect();
  server::store::CreateSchema(*c);
  {
    Transaction tx(*c);
    auto products = c->bulkWriter("PRODUTO", {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "NRNIVEL"});
    for (int i = 0; i < 40000; ++i)
      products->add({std::to_string(i), std::to_string(1000000 + i), std::string(40, 'x'), std::int64_t{3}});
    products->finish();
    tx.commit();  // some 6 MB in the log, the database file itself still small
  }
  // Copied back once the database file has grown by the log's pages and stopped growing:
  // a write that starts while the copy is still under way rightly adds to the log.
  std::uintmax_t size = 0, before = 0;
  const auto copied = [&] { return size > 4u << 20 && size == before; };
  for (int wait = 0; wait < 200 && !copied(); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    before = std::exchange(size, std::filesystem::file_size(path));
  }
  EXPECT_TRUE(copied()) << "no call copied the log back";
  {
    Transaction tx(*c);
    c->execute("INSERT INTO FILIAL VALUES ('001', 'Matriz')");
    tx.commit();
  }
  EXPECT_LT(LogPages(*c).first, 10) << "the log started over instead of growing on";
}

TEST(StorePlaceholders, QuotedTextIsLeftAlone) {
  EXPECT_EQ(server::store::ToSQLitePlaceholders("SELECT '$1', \"$2\", $3 FROM T WHERE A = $12"),
            "SELECT '$1', \"$2\", ?3 FROM T WHERE A = ?12");
}

TEST(StoreOpening, MissingFileIsRefusedUnlessCreating) {
  vqrtest::TempDir dir;
  try {
    Store::Open(dir.file("missing.db"), Store::Mode::Existing);
    FAIL() << "a missing file was opened";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.kind(), StoreError::Kind::Connection);
    EXPECT_NE(std::string(e.what()).find("missing.db"), std::string::npos);
  }
  EXPECT_NO_THROW(Store::Open(dir.file("new.db"), Store::Mode::Create));
}

TEST(StoreOpening, UnreachablePostgreSQLIsAConnectionFailure) {
  try {
    Store::Open("postgresql://nobody@127.0.0.1:1/none?connect_timeout=2");
    FAIL() << "an unreachable server was opened";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.kind(), StoreError::Kind::Connection);
  }
}

}  // namespace
}  // namespace servertest
