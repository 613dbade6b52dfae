// TADOIBQuery on the shared read-only connection, on SQLite and PostgreSQL: rows come
// back as a dataset, parameters are always bound, writes never reach the data.
#include "contracts/framework/adoibquery.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/data/data_source.h"
#include "platform/data/database_error.h"
#include "framework/readonly_backend.h"
#include "tests/framework/framework_fixtures.h"

namespace {

using Adoibquery::TADOIBQuery;

class QueryTest : public fwtest::BackendTest {
 protected:
  // The factor search of the formula screen.
  void FactorQuery(TADOIBQuery& query) {
    query.SQL.Add("SELECT F.CDFATPRECO,F.SGFATPRECO,F.NMFATPRECO");
    query.SQL.Add("FROM FATORPRECO F");
    query.SQL.Add("WHERE");
    query.SQL.Add("   ((:P_TCDFATPRECO = 'T')OR(:P_SGFATPRECO = F.SGFATPRECO))");
    query.SQL.Add("ORDER BY F.SGFATPRECO");
  }
  std::string AnyFactor() { return db().rows("SELECT SGFATPRECO FROM FATORPRECO ORDER BY SGFATPRECO")[0][0]; }
};

TEST_P(QueryTest, AllRowsOrOneRowByParameter) {
  TADOIBQuery query;
  FactorQuery(query);
  query.ParamByName("P_TCDFATPRECO").SetAsString("T");
  query.ParamByName("P_SGFATPRECO").SetAsString("");
  query.Open();
  EXPECT_EQ(query.RecordCount(), db().count("FATORPRECO"));
  EXPECT_GT(query.RecordCount(), 1);

  query.Close();
  query.ParamByName("P_TCDFATPRECO").SetAsString("");
  query.ParamByName("P_SGFATPRECO").SetAsString(AnyFactor());
  query.Open();
  ASSERT_EQ(query.RecordCount(), 1);
  EXPECT_EQ(query.FieldByName("SGFATPRECO").AsString(), AnyFactor());
  EXPECT_FALSE(query.FieldByName("NMFATPRECO").AsString().empty());
}

TEST_P(QueryTest, DeclaredFieldsKeepTheirSettingsAndDataSourcesWork) {
  TADOIBQuery query;
  query.SQL.Add("SELECT CDPRODUTO, CDARVPROD, NMPRODUTO FROM PRODUTO");
  query.SQL.Add("WHERE ((CDARVPROD = :P_CDARVPROD)OR(:P_TCDPRODUTO = 'T'))");
  query.SQL.Add("ORDER BY CDARVPROD, NMPRODUTO");
  auto& code = query.AddField<Adoibquery::TADOIBStringField>("CDARVPROD", 20);
  query.AddField<Adoibquery::TADOIBStringField>("CDPRODUTO", 10);
  query.AddField<Adoibquery::TADOIBStringField>("NMPRODUTO", 50);
  code.SetEditMask("0.00.000;0;_");
  query.ParamByName("P_CDARVPROD").SetAsString("101001");
  query.ParamByName("P_TCDPRODUTO").SetAsString("");
  platform::TDataSource source;
  source.SetDataSet(&query);
  query.Open();
  EXPECT_EQ(source.State(), platform::dsBrowse);
  ASSERT_FALSE(query.IsEmpty());
  EXPECT_EQ(code.AsString(), "101001");
  EXPECT_EQ(code.EditMask(), "0.00.000;0;_");
  query.Close();
  query.ParamByName("P_CDARVPROD").SetAsString("999999");
  query.Open();
  EXPECT_TRUE(query.IsEmpty());
}

TEST_P(QueryTest, UnsetParameterIsRefusedByName) {
  TADOIBQuery query;
  FactorQuery(query);
  query.ParamByName("P_TCDFATPRECO").SetAsString("T");
  try {
    query.Open();
    ADD_FAILURE();
  } catch (const platform::EDatabaseError& error) {
    EXPECT_NE(std::string(error.what()).find("P_SGFATPRECO"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(query.Active());
  EXPECT_THROW(query.ParamByName("P_NADA"), platform::EDatabaseError);
}

TEST_P(QueryTest, ClearedParameterCountsAsUnset) {
  TADOIBQuery query;
  query.SQL.Add("SELECT COUNT(*) AS N FROM FATORPRECO WHERE :P_X = 'T'");
  query.ParamByName("P_X").SetAsString("T");
  query.ParamByName("P_X").Clear();
  EXPECT_THROW(query.Open(), platform::EDatabaseError);
}

TEST_P(QueryTest, NumbersAndDatesAreBoundAsDatabaseTexts) {
  TADOIBQuery query;
  query.SQL.Add("SELECT NMTIPOCUSTO FROM TIPOCUSTO WHERE NRTIPOCUSTO = :P_NR");
  query.ParamByName("P_NR").SetAsInteger(1);
  query.Open();
  EXPECT_EQ(query.RecordCount(), 1);
  TADOIBQuery prices;
  prices.SQL.Add("SELECT COUNT(*) AS N FROM TABPRECLIE WHERE VRPRECOPROD > :P_V AND DTVALINI >= :P_D");
  prices.ParamByName("P_V").SetAsFloat(0.5);
  prices.ParamByName("P_D").SetAsDateTime(platform::EncodeDate(1990, 1, 1));
  prices.Open();
  EXPECT_GT(prices.FieldByName("N").AsInteger(), 0);
}

TEST_P(QueryTest, ParametersFollowTheSqlText) {
  TADOIBQuery query;
  query.SQL.Add("SELECT SGFATPRECO FROM FATORPRECO WHERE SGFATPRECO = :P_S OR :P_T = 'T'");
  query.ParamByName("p_t").SetAsString("T");
  query.SQL.Clear();
  query.SQL.Add("SELECT SGFATPRECO FROM FATORPRECO WHERE :P_T = 'T'");
  EXPECT_EQ(query.Params().Count(), 1);
  EXPECT_EQ(query.ParamByName("P_T").AsString(), "T");
  EXPECT_THROW(query.ParamByName("P_S"), platform::EDatabaseError);
  query.Open();
  EXPECT_EQ(query.RecordCount(), db().count("FATORPRECO"));
}

TEST_P(QueryTest, HostileParameterTextIsOnlyEverAValue) {
  const std::int64_t factors = db().count("FATORPRECO");
  for (const char* hostile : {"x' OR '1'='1", "'; DROP TABLE FATORPRECO;--", "\" OR 1=1 --", "' UNION SELECT 1,2,3 --",
                              ":P_TCDFATPRECO", "T"}) {
    TADOIBQuery query;
    FactorQuery(query);
    query.ParamByName("P_TCDFATPRECO").SetAsString("");
    query.ParamByName("P_SGFATPRECO").SetAsString(hostile);
    query.Open();
    EXPECT_TRUE(query.IsEmpty()) << hostile;
  }
  EXPECT_EQ(db().count("FATORPRECO"), factors);
}

TEST_P(QueryTest, ParameterUsedTwiceIsBoundTwice) {
  TADOIBQuery query;
  query.SQL.Add("SELECT SGFATPRECO FROM FATORPRECO WHERE SGFATPRECO = :P_S AND :P_S = SGFATPRECO");
  query.ParamByName("P_S").SetAsString(AnyFactor());
  query.Open();
  EXPECT_EQ(query.RecordCount(), 1);
}

TEST_P(QueryTest, WritesFailAndChangeNothing) {
  const auto before = db().rows("SELECT CDFATPRECO, SGFATPRECO, NMFATPRECO FROM FATORPRECO ORDER BY CDFATPRECO");
  for (const char* sql : {"INSERT INTO FATORPRECO (CDFATPRECO, SGFATPRECO, NMFATPRECO) VALUES ('ZZZ', 'ZZZ', 'x')",
                          "UPDATE FATORPRECO SET NMFATPRECO = 'x'", "DELETE FROM FATORPRECO", "DROP TABLE FATORPRECO",
                          "SELECT 1; DELETE FROM FATORPRECO", "CREATE TABLE X (A INT)"}) {
    TADOIBQuery query;
    query.SQL.Add(sql);
    EXPECT_THROW(query.Open(), platform::EDatabaseError) << sql;
    EXPECT_FALSE(query.Active());
  }
  EXPECT_EQ(db().rows("SELECT CDFATPRECO, SGFATPRECO, NMFATPRECO FROM FATORPRECO ORDER BY CDFATPRECO"), before);
}

TEST_P(QueryTest, TheConnectionItselfRefusesWrites) {
  // Below the statement check: the database refuses writes on this connection.
  const auto before = db().rows("SELECT CDFATPRECO, SGFATPRECO, NMFATPRECO FROM FATORPRECO ORDER BY CDFATPRECO");
  auto backend = framework::sql::OpenReadOnly(db().target());
  for (const char* sql : {"DELETE FROM FATORPRECO", "UPDATE FATORPRECO SET NMFATPRECO = 'x'", "DROP TABLE FATORPRECO",
                          "WITH gone AS (DELETE FROM FATORPRECO RETURNING CDFATPRECO) SELECT * FROM gone",
                          "INSERT INTO FATORPRECO (CDFATPRECO, SGFATPRECO, NMFATPRECO) VALUES ('ZZZ', 'ZZZ', 'x')"}) {
    backend->begin();
    EXPECT_THROW(backend->select(sql, {}, {}), platform::EDatabaseError) << sql;
    backend->rollback();
  }
  EXPECT_EQ(db().rows("SELECT CDFATPRECO, SGFATPRECO, NMFATPRECO FROM FATORPRECO ORDER BY CDFATPRECO"), before);
}

TEST_P(QueryTest, DatasetRefusesEditing) {
  TADOIBQuery query;
  query.SQL.Add("SELECT CDFATPRECO FROM FATORPRECO");
  query.Open();
  EXPECT_THROW(query.Edit(), platform::EDatabaseError);
  EXPECT_THROW(query.Append(), platform::EDatabaseError);
  EXPECT_THROW(query.Delete(), platform::EDatabaseError);
}

TEST_P(QueryTest, DatabaseErrorsCarryTheDatabaseText) {
  TADOIBQuery query;
  query.SQL.Add("SELECT NOSUCHCOLUMN FROM FATORPRECO");
  try {
    query.Open();
    ADD_FAILURE();
  } catch (const platform::EDatabaseError& error) {
    EXPECT_NE(std::string(error.what()).find("Erro na consulta"), std::string::npos) << error.what();
  }
  // The connection is usable after a failed statement (no transaction left open).
  TADOIBQuery next;
  next.SQL.Add("SELECT CDFATPRECO FROM FATORPRECO");
  EXPECT_NO_THROW(next.Open());
}

TEST_P(QueryTest, ValuesSeeWritesMadeByOthersAfterwards) {
  TADOIBQuery query;
  query.SQL.Add("SELECT NMFATPRECO FROM FATORPRECO WHERE SGFATPRECO = :P_S");
  query.ParamByName("P_S").SetAsString(AnyFactor());
  query.Open();
  query.Close();
  db().writer().execute("UPDATE FATORPRECO SET NMFATPRECO = 'Novo nome' WHERE SGFATPRECO = $1", {AnyFactor()});
  query.Open();
  EXPECT_EQ(query.FieldByName("NMFATPRECO").AsString(), "Novo nome");
}

TEST_P(QueryTest, NumbersAndDatesKeepTheirKinds) {
  TADOIBQuery query;
  query.SQL.Add("SELECT NRTIPOCUSTO, NMTIPOCUSTO FROM TIPOCUSTO ORDER BY NRTIPOCUSTO");
  query.Open();
  EXPECT_EQ(query.FieldByName("NRTIPOCUSTO").DataType(), platform::FieldType::Integer);
  EXPECT_EQ(query.FieldByName("NRTIPOCUSTO").AsInteger(), 1);
  query.Close();
  TADOIBQuery prices;
  prices.SQL.Add("SELECT VRPRECOPROD, DTVALINI FROM TABPRECLIE WHERE DTVALINI IS NOT NULL");
  prices.AddField<platform::TFloatField>("VRPRECOPROD");
  prices.AddField<platform::TDateTimeField>("DTVALINI");
  prices.Open();
  ASSERT_FALSE(prices.IsEmpty());
  EXPECT_GT(prices.FieldByName("VRPRECOPROD").AsFloat(), 0);
  EXPECT_GT(prices.FieldByName("DTVALINI").AsDateTime().value, 40000);
}

// The backend's chunked reading, which the reports use: every row once, in order, in
// chunks of the size asked; a reader that gives up leaves the connection usable; one
// transaction reads one snapshot whatever others write meanwhile.
TEST_P(QueryTest, ChunkedReadsKeepOrderStopCleanlyAndSeeOneSnapshot) {
  auto backend = framework::sql::OpenReadOnly(db().target());
  const std::string numbers =
      "WITH RECURSIVE N (I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 1300) SELECT I FROM N ORDER BY I";
  std::vector<std::size_t> sizes;
  std::int64_t expected = 1;
  backend->selectChunks(numbers, {}, {}, 512, [&](const platform::DataPacket& chunk) {
    sizes.push_back(chunk.rowCount());
    for (std::size_t r = 0; r < chunk.rowCount(); ++r) EXPECT_EQ(chunk.integerAt(r, 0), expected++);
  });
  EXPECT_EQ(sizes, (std::vector<std::size_t>{512, 512, 276}));

  std::vector<std::string> columns;
  backend->selectChunks("SELECT SGFATPRECO FROM FATORPRECO WHERE 1 = 0", {}, {}, 512,
                        [&](const platform::DataPacket& chunk) {
                          EXPECT_EQ(chunk.rowCount(), 0u);
                          columns.push_back(chunk.columns().at(0).name);
                        });
  EXPECT_EQ(columns, std::vector<std::string>{"SGFATPRECO"});

  EXPECT_THROW(backend->selectChunks(numbers, {}, {}, 100,
                                     [](const platform::DataPacket&) { throw platform::Exception("stop"); }),
               platform::Exception);
  EXPECT_EQ(backend->select("SELECT COUNT(*) AS N FROM FATORPRECO", {}, {})->integerAt(0, 0), db().count("FATORPRECO"));

  auto count = [&] {
    std::int64_t rows = 0;
    backend->selectChunks("SELECT CDFATPRECO FROM FATORPRECO", {}, {}, 3,
                          [&](const platform::DataPacket& chunk) { rows += static_cast<std::int64_t>(chunk.rowCount()); });
    return rows;
  };
  backend->begin();
  const std::int64_t before = count();
  db().writer().execute("INSERT INTO FATORPRECO (CDFATPRECO, SGFATPRECO, NMFATPRECO) VALUES ('ZZ9', 'ZZ9', 'Novo')");
  EXPECT_EQ(count(), before);
  backend->commit();
  EXPECT_EQ(count(), before + 1);
}

FW_BACKEND_SUITE(QueryTest);

TEST(SharedConnection, MissingDatabaseIsAClearError) {
  fwtest::ConfigScope scope(framework::HostConfiguration{});
  TADOIBQuery query;
  query.SQL.Add("SELECT 1");
  try {
    query.Open();
    ADD_FAILURE();
  } catch (const platform::EDatabaseError& error) {
    EXPECT_NE(std::string(error.what()).find("não configurado"), std::string::npos) << error.what();
  }
  framework::HostConfiguration missing;
  missing.database = "/nonexistent/dir/base.db";
  fwtest::ConfigScope other(missing);
  EXPECT_THROW(query.Open(), platform::EDatabaseError);
}

TEST(SharedConnection, ReadOnlyOpenNeverCreatesTheFile) {
  framework::HostConfiguration configuration;
  configuration.database = ::testing::TempDir() + "/never_created_vqr.db";
  std::remove(configuration.database.c_str());
  fwtest::ConfigScope scope(configuration);
  TADOIBQuery query;
  query.SQL.Add("SELECT 1");
  EXPECT_THROW(query.Open(), platform::EDatabaseError);
  EXPECT_FALSE(std::ifstream(configuration.database).good());
}

}  // namespace
