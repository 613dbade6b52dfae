// The host's read-only queries on a streaming standby of the PostgreSQL database
// (scripts/pg-throwaway.sh start --standby) while the appserver writes on the primary.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "contracts/framework/adoibquery.h"
#include "contracts/framework/norvexa.h"
#include "contracts/server/result_envelope.h"
#include "framework/report_definition.h"
#include "framework/report_query.h"
#include "server/store/store_error.h"
#include "tests/framework/framework_fixtures.h"
#include "tests/support/pg_database.h"

namespace {

using fwtest::Backend;

// Waits until the standby has replayed everything the primary wrote so far.
void WaitForReplay(server::store::Connection& primary, server::store::Connection& standby) {
  const std::string written = *primary.queryText("SELECT CAST(pg_current_wal_lsn() AS TEXT)", {});
  for (int i = 0; i < 500; ++i) {
    if (standby.exists("SELECT 1 WHERE pg_last_wal_replay_lsn() >= CAST($1 AS pg_lsn)", {written})) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  FAIL() << "the standby did not replay " << written << " within 5 s";
}

TEST(Standby, AReportReadsOnTheStandbyWhatTheAppserverWroteOnThePrimary) {
  const char* standbyUrl = std::getenv("VQR_PG_STANDBY_URL");
  if (!vqrtest::PostgresUrl() || !standbyUrl || !*standbyUrl)
    GTEST_SKIP() << "VQR_PG_STANDBY_URL is unset (scripts/pg-throwaway.sh start --standby starts a standby)";
  fwtest::DemoDatabase primary(Backend::PostgreSQL);
  const std::string customer = primary.rows("SELECT MIN(CDCLIENTE) FROM CLIENTE")[0][0];
  const auto product = primary.rows("SELECT MIN(CDPRODUTO), MIN(CDARVPROD) FROM PRODUTO WHERE NRNIVEL = 3")[0];
  fwtest::LoopbackAppServer server(primary);
  Netconnection::TNetConnection net;
  server.Point(net, "VQR51200.rdmTabPreClie");
  const auto saved = net.Call("SetTabPreClie", {customer, product[0], 98.765, "", "", "S"});
  ASSERT_TRUE(contracts::server::ReadEnvelope(saved).ok);

  const std::string standbyDatabase = vqrtest::WithDatabase(standbyUrl, primary.rows("SELECT current_database()")[0][0]);
  // The standby's own database first: the test's database exists there once replayed.
  WaitForReplay(primary.writer(), *server::store::Store::Open(standbyUrl)->connect());
  auto standby = server::store::Store::Open(standbyDatabase)->connect();
  EXPECT_TRUE(standby->exists("SELECT 1 WHERE pg_is_in_recovery()", {})) << "a standby, not the primary";

  framework::HostConfiguration configuration;
  configuration.database = standbyDatabase;
  fwtest::ConfigScope scope(configuration);
  const auto definition = framework::report::ReadDefinition(std::string(VQR_SOURCE_DIR) +
                                                            "/reports/VQR512/01-tabela-precos-por-cliente.json");
  platform::TParams params;
  params.CreateParam("P_CDARVPRODINI").SetAsString(product[1]);
  params.CreateParam("P_CDARVPRODFIN").SetAsString(product[1]);
  params.CreateParam("P_LISTACLIENTES").SetAsString(customer);
  params.CreateParam("P_TCDCLIENTES").SetAsString("");
  framework::report::ReportQuery report(definition, params);
  std::vector<std::string> prices;
  report.ForEachChunk([&](const platform::DataPacket& chunk) {
    for (std::size_t row = 0; row < chunk.rowCount(); ++row)
      prices.push_back(chunk.value(row, chunk.columnIndex("VRPRECOPROD")).toString());
  });
  report.Finish();
  EXPECT_EQ(prices, std::vector<std::string>{"98,765"});
  EXPECT_THROW(standby->execute("DELETE FROM TABPRECLIE"), server::store::StoreError)
      << "the standby takes no writes: they go to the primary";
}

}  // namespace
