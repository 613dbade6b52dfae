// The handlers as the listener sees them: one per contract method, arguments checked,
// every failure an envelope, connections returned clean to the pool.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "contracts/server/methods.h"
#include "platform/core/exceptions.h"
#include "server/rpc/method_registry.h"
#include "tests/server/module_fixture.h"

namespace servertest {
namespace {

using platform::Variant;

class DataModulesTest : public ModuleTest {};

TEST_P(DataModulesTest, EveryContractMethodHasExactlyOneHandler) {
  std::set<std::string> contract, handled;
  for (const auto& method : contracts::server::AllMethods()) contract.insert(method.address());
  for (const auto& entry : server::modules::DataModuleMethods(store())) EXPECT_TRUE(handled.insert(entry.address).second);
  EXPECT_EQ(handled, contract);
  server::rpc::MethodRegistry registry;
  server::modules::RegisterDataModules(registry, store());
  EXPECT_EQ(registry.size(), contract.size());
  for (const std::string& address : contract) EXPECT_NE(registry.find(address), nullptr) << address;
}

TEST_P(DataModulesTest, ArgumentsOutsideTheContractRaiseInsteadOfRunning) {
  auto methods = server::modules::DataModuleMethods(store());
  auto handler = [&](const std::string& address) {
    for (auto& entry : methods)
      if (entry.address == address) return entry.handler;
    throw std::runtime_error(address);
  };
  std::vector<Variant> tooFew{"C1"};
  EXPECT_THROW(handler("rdmTabPreClie.GetPrecoProd")(tooFew), platform::Exception);
  std::vector<Variant> wrongKind{"C1", "3"};
  EXPECT_THROW(handler("rdmTabPreClie.GetPrecoProd")(wrongKind), platform::Exception);
  std::vector<Variant> priceAsText{"C1", "P1", "10", "", "", "S"};
  EXPECT_THROW(handler("rdmTabPreClie.SetTabPreClie")(priceAsText), platform::Exception);
  EXPECT_FALSE(PriceOf(db(), "C1", "P1"));
}

TEST_P(DataModulesTest, ADatabaseFailureIsAnsweredAsAFailureAndTheServerGoesOn) {
  db().execute("DROP TABLE CUSTOPRODUTO");
  AddFormula(db(), "C1", {{"001", "001", "P", 50, "SUM"}});
  Answer answer = call("SetCalcCusProd", {"001", "C1", "", 3, 1, "", "", "S"});
  EXPECT_FALSE(answer.ok);
  EXPECT_EQ(answer.message.rfind("Erro no banco de dados: ", 0), 0u) << answer.message;
  EXPECT_TRUE(call("GetPesqCliente", {"", "T"}).ok);
  EXPECT_TRUE(setPrice("C1", "P1", 3).ok);
}

TEST_P(DataModulesTest, ARefusalInsideATransactionReleasesTheDatabaseAtOnce) {
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(setPrice("C1", "P9", 3).ok);
  {
    server::store::Store::Lease pooled = store().lease();
    EXPECT_FALSE(pooled->inTransaction());
  }
  // Another writer gets in without waiting for a forgotten transaction.
  auto started = std::chrono::steady_clock::now();
  db().execute("INSERT INTO FILIAL VALUES ('003', 'Filial Norte')");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_P(DataModulesTest, CallsFromManyThreadsAtOnceAllSucceed) {
  AddFormula(db(), "C1", {{"001", "001", "P", 50, "SUM"}});
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        bool ok = t % 2 ? call("GetPrecoProd", {"C1", 3}).ok
                        : call("SetTabPreClie", {"C2", t % 4 ? "P1" : "P2", 1.0 + i, "", "", "S"}).ok;
        if (!ok) ++failures;
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(count("TABPRECLIEHIST", "CDCLIENTE = 'C2'") > 0, true);
}

VQR_BACKEND_SUITE(DataModulesTest);

}  // namespace
}  // namespace servertest
