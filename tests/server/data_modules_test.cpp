// The handlers as the listener sees them: one per contract method, arguments checked,
// every failure an envelope, connections returned clean to the pool.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "contracts/server/methods.h"
#include "platform/core/exceptions.h"
#include "server/modules/method_adapter.h"
#include "server/rpc/method_registry.h"
#include "tests/server/module_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using server::modules::PacketPtr;

// A method of the tests' own, through the same adapter as the data modules.
namespace c = contracts::server;
struct ProbeArgs {
  std::string Nome;
  std::string Volta;
  std::int64_t Vezes = 0;
  double Valor = 0;
};
struct Probe
    : c::Method<c::TabPreClie, "Probe", c::PacketOf<c::CostTypeColumns>,
                c::ParamList<c::Arg<"Nome", &ProbeArgs::Nome>, c::VarText<"Volta", &ProbeArgs::Volta>,
                             c::UnusedVarText<"Ignorado", "not read by the probe">, c::Arg<"Vezes", &ProbeArgs::Vezes>,
                             c::Arg<"Valor", &ProbeArgs::Valor>>> {};

// Writes "<name> x<times> <value>" back into Volta; a packet of other columns when
// Vezes is 0.
PacketPtr ProbeRows(server::store::Connection& connection, ProbeArgs& a) {
  EXPECT_FALSE(connection.inTransaction());
  a.Volta = a.Nome + " x" + std::to_string(a.Vezes) + " " + std::to_string(a.Valor);
  auto columns = a.Vezes == 0 ? c::CustomerColumns() : c::CostTypeColumns();
  return std::make_shared<platform::DataPacket>(columns);
}

class DataModulesTest : public ModuleTest {};

const server::rpc::CallContext kCaller{"teste"};

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
  EXPECT_THROW(handler("rdmTabPreClie.GetPrecoProd")(kCaller, tooFew), platform::Exception);
  std::vector<Variant> wrongKind{"C1", "3"};
  EXPECT_THROW(handler("rdmTabPreClie.GetPrecoProd")(kCaller, wrongKind), platform::Exception);
  std::vector<Variant> priceAsText{"C1", "P1", "10", "", "", "S"};
  EXPECT_THROW(handler("rdmTabPreClie.SetTabPreClie")(kCaller, priceAsText), platform::Exception);
  EXPECT_FALSE(PriceOf(db(), "C1", "P1"));
}

TEST_P(DataModulesTest, TheAdapterFillsTheRecordAndSendsVarsAndTheDeclaredPacketBack) {
  auto probe = server::modules::Implement<Probe>(store(), &ProbeRows);
  EXPECT_EQ(probe.address, "rdmTabPreClie.Probe");
  std::vector<Variant> params{"a", "antes", "igual", 2, 4};  // an integer for the double
  auto envelope = contracts::server::ReadEnvelope(probe.handler(kCaller, params));
  ASSERT_TRUE(envelope.ok) << envelope.message;
  EXPECT_EQ(envelope.data.asPacket().columns(), c::CostTypeColumns());
  EXPECT_EQ(params, (std::vector<Variant>{"a", "a x2 4.000000", "igual", 2, 4}));

  std::vector<Variant> otherColumns{"a", "antes", "igual", 0, 1.5};
  envelope = contracts::server::ReadEnvelope(probe.handler(kCaller, otherColumns));
  EXPECT_FALSE(envelope.ok);
  EXPECT_EQ(envelope.message, "Pacote de dados de rdmTabPreClie.Probe com colunas fora do contrato");
  EXPECT_EQ(otherColumns[1], Variant("antes"));  // a failed call sends the vars back as they came

  std::vector<Variant> wrongKind{"a", 7, "igual", 2, 1.5};
  try {
    probe.handler(kCaller, wrongKind);
    ADD_FAILURE() << "a var sent as a number was accepted";
  } catch (const platform::Exception& e) {
    EXPECT_NE(std::string(e.what()).find("(Volta)"), std::string::npos) << e.what();
  }
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
