// A write sent again with the id of its call (after a lost reply, to the same server or
// to another of the database) is applied once and answered as the first time; on both
// backends.
#include <gtest/gtest.h>

#include "server/modules/data_modules.h"
#include "server/store/applied_call.h"
#include "tests/server/module_fixture.h"
#include "tests/server/seed.h"

namespace servertest {
namespace {

using platform::Variant;

constexpr const char* kCallId = "0123456789abcdef0123456789abcdef";
constexpr const char* kOtherId = "fedcba9876543210fedcba9876543210";

// The handlers of one appserver on a database.
class Server {
 public:
  explicit Server(server::store::Store& store) {
    for (auto& entry : server::modules::DataModuleMethods(store)) handlers_[entry.address] = entry.handler;
  }
  // The envelope and the params as the method left them.
  std::pair<Variant, std::vector<Variant>> send(const std::string& id, std::vector<Variant> params,
                                                const std::string& user = kTestUser,
                                                const std::string& address = "rdmTabPreClie.SetTabPreClie") {
    Variant envelope = handlers_.at(address)(server::rpc::CallContext{user, {}, id}, params);
    return {envelope, params};
  }

 private:
  std::map<std::string, server::modules::MethodHandler> handlers_;
};

class AppliedCallTest : public ModuleTest {
 protected:
  std::int64_t changes() { return count("TABPRECLIEHIST", "CDCLIENTE = 'C1' AND CDPRODUTO = 'P1'"); }
};

TEST_P(AppliedCallTest, AWriteSentAgainWithItsIdIsAppliedOnceAndAnsweredAsTheFirstTimeByAnyServer) {
  Server first(store());
  auto otherStore = server::store::Store::Open(target());
  Server second(*otherStore);
  const std::vector<Variant> price12 = {"C1", "P1", 12.0, "", "", "S"};

  const auto answered = first.send(kCallId, price12);
  EXPECT_TRUE(contracts::server::ReadEnvelope(answered.first).ok);
  EXPECT_EQ(changes(), 1);
  setPrice("C1", "P1", 13.0);  // another clerk's change, after the first sending

  EXPECT_EQ(first.send(kCallId, price12), answered) << "sent again to the same server";
  EXPECT_EQ(second.send(kCallId, price12), answered) << "sent again to another server of the database";
  EXPECT_EQ(pricesOf("C1").front(), "P1=13") << "the repetitions changed nothing";
  EXPECT_EQ(changes(), 2);

  EXPECT_FALSE(contracts::server::ReadEnvelope(second.send(kCallId, price12, "outro").first).ok)
      << "another user's call of that id";
  second.send(kOtherId, price12);
  EXPECT_EQ(changes(), 3) << "a call of another id is applied";
  EXPECT_EQ(count("CHAMADAGRAVADA"), 2);
}

TEST_P(AppliedCallTest, ARecalculationSentAgainWithItsIdIsAppliedOnce) {
  AddFormula(db(), "C1", {{"001", "001", "P", 50, "SUM"}});
  Server server(store());
  const std::vector<Variant> recalc = {"001", "C1", "", 3, 1, "", "", "S"};
  const auto answered = server.send(kCallId, recalc, kTestUser, "rdmTabPreClie.SetCalcCusProd");
  ASSERT_TRUE(contracts::server::ReadEnvelope(answered.first).ok);
  setPrice("C1", "P1", 13.0);  // another clerk's change, after the first sending

  EXPECT_EQ(server.send(kCallId, recalc, kTestUser, "rdmTabPreClie.SetCalcCusProd"), answered);
  EXPECT_EQ(changes(), 2) << "the recalculation's price and the clerk's, nothing of a second run";
  EXPECT_EQ(count("CHAMADAGRAVADA"), 1);
}

TEST_P(AppliedCallTest, ACallThatWroteNothingLeavesNoRecordAndRunsAgain) {
  Server server(store());
  const std::vector<Variant> negative = {"C1", "P1", -1.0, "", "", "S"};
  EXPECT_FALSE(contracts::server::ReadEnvelope(server.send(kCallId, negative).first).ok);
  server.send(kOtherId, {"C1", 3}, kTestUser, "rdmTabPreClie.GetPrecoProd");
  EXPECT_EQ(count("CHAMADAGRAVADA"), 0) << "neither the refusal nor the read";
  EXPECT_TRUE(contracts::server::ReadEnvelope(server.send(kCallId, {"C1", "P1", 12.0, "", "", "S"}).first).ok)
      << "the id of a refused sending is still free";
  EXPECT_EQ(changes(), 1);
}

TEST_P(AppliedCallTest, RecordsOlderThanTheRetentionGoAtTheNextRecordedWrite) {
  db().execute(std::string("INSERT INTO CHAMADAGRAVADA (CDCHAMADA, CDUSUARIO, DTHRCHAMADA, DSRESPOSTA) VALUES ") +
               "('" + kOtherId + "', 'teste', " + (postgres() ? "TIMESTAMP " : "") + "'2020-01-01T00:00:00', '')");
  Server(store()).send(kCallId, {"C1", "P1", 12.0, "", "", "S"});
  EXPECT_EQ(rows("SELECT CDCHAMADA FROM CHAMADAGRAVADA"), (std::vector<std::vector<std::string>>{{kCallId}}));
}

VQR_BACKEND_SUITE(AppliedCallTest);

}  // namespace
}  // namespace servertest
