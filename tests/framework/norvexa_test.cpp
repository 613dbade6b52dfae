// Norvexa: configuration read from the host, the processing branch and the local cache.
#include "contracts/framework/norvexa.h"

#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "tests/framework/framework_fixtures.h"

namespace {

TEST(NorvexaConfiguration, ServerAddressAndBranchComeFromTheHost) {
  framework::HostConfiguration configuration;
  configuration.serverHost = "10.1.2.3";
  configuration.serverPort = 6262;
  configuration.branch = "007";
  fwtest::ConfigScope scope(configuration);
  EXPECT_EQ(Norvexa::WebURL(), "10.1.2.3");
  EXPECT_EQ(Norvexa::WebPort(), 6262);
  EXPECT_EQ(Norvexa::FiliProc(), "007");
}

class NorvexaDatabase : public fwtest::BackendTest {};

TEST_P(NorvexaDatabase, BranchDefaultsToTheFirstOfTheDatabase) {
  db().writer().execute("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('000', 'Depósito')");
  EXPECT_EQ(Norvexa::FiliProc(), "000");
}

TEST_P(NorvexaDatabase, NoBranchAnywhereIsAClearError) {
  db().writer().execute("DELETE FROM CUSTOPRODUTO");
  db().writer().execute("DELETE FROM FILIAL");
  try {
    Norvexa::FiliProc();
    ADD_FAILURE();
  } catch (const platform::Exception& error) {
    EXPECT_NE(std::string(error.what()).find("--branch"), std::string::npos);
  }
}

TEST_P(NorvexaDatabase, CacheHoldsTheFormulaRowsAsRefreshed) {
  Norvexa::AtualizaLocalCache(platform::VarArrayOf({platform::Variant("COMPPRECLIE")}));
  const auto first = Norvexa::LocalCache("COMPPRECLIE");
  ASSERT_TRUE(first.rows);
  EXPECT_EQ(static_cast<std::int64_t>(first.rows->rowCount()), db().count("COMPPRECLIE"));

  db().writer().execute("DELETE FROM COMPPRECLIE WHERE NRORDEMFAT = '001'");
  // Not refreshed yet: the cache still holds what it read.
  EXPECT_EQ(Norvexa::LocalCache("COMPPRECLIE").rows->rowCount(), first.rows->rowCount());
  Norvexa::AtualizaLocalCache(platform::VarArrayOf({platform::Variant("comppreclie")}));
  const auto second = Norvexa::LocalCache("COMPPRECLIE");
  EXPECT_EQ(static_cast<std::int64_t>(second.rows->rowCount()), db().count("COMPPRECLIE"));
  EXPECT_GE(second.refreshedAt, first.refreshedAt);

  platform::TClientDataSet rows;
  rows.SetData(platform::Variant(second.rows));
  for (rows.First(); !rows.Eof(); rows.Next()) EXPECT_NE(rows.FieldByName("NRORDEMFAT").AsString(), "001");
}

TEST_P(NorvexaDatabase, UnknownTableRefreshesNothing) {
  Norvexa::AtualizaLocalCache(platform::Variant("FATORPRECO"));
  const auto before = Norvexa::LocalCache("FATORPRECO");
  db().writer().execute("UPDATE FATORPRECO SET NMFATPRECO = 'Outro'");
  try {
    Norvexa::AtualizaLocalCache(platform::VarArrayOf({platform::Variant("FATORPRECO"), platform::Variant("CLIENTE; DROP")}));
    ADD_FAILURE();
  } catch (const platform::Exception& error) {
    EXPECT_NE(std::string(error.what()).find("CLIENTE; DROP"), std::string::npos);
  }
  EXPECT_EQ(Norvexa::LocalCache("FATORPRECO").refreshedAt, before.refreshedAt);
  EXPECT_THROW(Norvexa::LocalCache("TABPRECLIE"), platform::Exception);
  EXPECT_THROW(Norvexa::AtualizaLocalCache(platform::VarArrayOf({platform::Variant(3)})), platform::Exception);
  EXPECT_THROW(Norvexa::AtualizaLocalCache(platform::Variant()), platform::Exception);
}

FW_BACKEND_SUITE(NorvexaDatabase);

}  // namespace
