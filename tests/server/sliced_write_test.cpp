// A large write on SQLite runs in slices: a single save waiting for the write lock gets
// its turn between two of them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "contracts/server/result_envelope.h"
#include "server/demo/demo_data.h"
#include "server/modules/data_modules.h"
#include "server/store/transaction.h"
#include "support/in_process/test_users.h"
#include "tests/server/backend_fixture.h"

namespace servertest {
namespace {

using platform::Variant;

// Forty customers and 2,500 products, the first customer pricing every one: a copy of
// its prices to the others writes twenty slices.
class SlicedWriteTest : public BackendTest {
 protected:
  static constexpr const char* kSource = "000001";
  static constexpr const char* kSaved = "000002";

  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped()) return;
    if (postgres()) GTEST_SKIP() << "a write on PostgreSQL is one transaction: a save waits only on a price both write";
    {
      server::store::Transaction tx(db());
      server::demo::FillDemoData(db(), {40, 2500, 9});
      tx.commit();
    }
    vqrtest::AddTestUser(db());
    for (auto& entry : server::modules::DataModuleMethods(store())) handlers_[entry.address] = entry.handler;
    ASSERT_TRUE(call("SetCalcCusProd", {"001", kSource, "", 3, 1, "", "", "S"}).ok);
  }

  contracts::server::Envelope call(const std::string& method, std::vector<Variant> args) {
    return contracts::server::ReadEnvelope(handlers_.at("rdmTabPreClie." + method)({vqrtest::kTestUser}, args));
  }

 private:
  std::map<std::string, server::modules::MethodHandler> handlers_;
};

TEST_P(SlicedWriteTest, ASaveGetsItsTurnBetweenTwoSlicesOfALargeCopy) {
  const std::string product = *db().queryText("SELECT MIN(CDPRODUTO) FROM TABPRECLIE WHERE CDCLIENTE = $1", {kSource});
  std::atomic<bool> copied{false};
  contracts::server::Envelope copy;
  std::thread copying([&] {
    copy = call("SetCopiaPreco", {"001", kSource, 3, "T", "", "01/01/2026", "31/12/2026", "S", "", ""});
    copied = true;
  });
  // The first slice is committed once the copy's batch stands unfinished.
  bool between = false;
  while (!copied && !(between = count("TABPRECLIELOTE", "QTPRECO = -1") > 0))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  contracts::server::Envelope save;
  if (between) save = call("SetTabPreClie", {kSaved, Variant(product), 7.5, "", "", "S"});
  copying.join();
  ASSERT_TRUE(copy.ok) << copy.message;
  ASSERT_TRUE(between) << "the copy was never seen half-way";
  ASSERT_TRUE(save.ok) << save.message;
  const std::int64_t saved = *db().queryInteger(
      "SELECT MAX(NRSEQHIST) FROM TABPRECLIEHIST WHERE IDORIGALT = 'M' AND CDCLIENTE = $1 AND CDPRODUTO = $2",
      {kSaved, product});
  const std::int64_t lastOfCopy = *db().queryInteger(
      "SELECT MAX(H.NRSEQHIST) FROM TABPRECLIEHIST H JOIN TABPRECLIELOTE L ON L.NRLOTE = H.NRLOTE WHERE "
      "L.IDORIGALT = 'C'",
      {});
  EXPECT_LT(saved, lastOfCopy) << "the save was written before the copy's last slice";
  EXPECT_EQ(*db().queryText("SELECT CAST(VRPRECOPROD AS TEXT) FROM TABPRECLIE WHERE CDCLIENTE = $1 AND "
                            "CDPRODUTO = $2",
                            {kSaved, product}),
            "7.5")
      << "the copy had written that customer's prices before";
  EXPECT_EQ(count("TABPRECLIELOTE", "QTPRECO = -1"), 0);
}

VQR_BACKEND_SUITE(SlicedWriteTest);

}  // namespace
}  // namespace servertest
