// A large write on SQLite runs in slices: a single save waiting for the write lock gets
// its turn between two of them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>
#include <vector>

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

  explicit SlicedWriteTest(server::demo::DemoOptions demo = {40, 2500, 9}) : demo_(demo) {}

  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped()) return;
    if (postgres()) GTEST_SKIP() << "a write on PostgreSQL is one transaction: a save waits only on a price both write";
    {
      server::store::Transaction tx(db());
      server::demo::FillDemoData(db(), demo_);
      tx.commit();
    }
    vqrtest::AddTestUser(db());
    for (auto& entry : server::modules::DataModuleMethods(store())) handlers_[entry.address] = entry.handler;
    ASSERT_TRUE(call("SetCalcCusProd", {"001", kSource, "", 3, 1, "", "", "S"}).ok);
  }

  contracts::server::Envelope call(const std::string& method, std::vector<Variant> args) {
    return contracts::server::ReadEnvelope(handlers_.at("rdmTabPreClie." + method)({vqrtest::kTestUser}, args));
  }

  // Runs the call on a thread of its own while saving new values of `product` for
  // kSaved one after the other, each leaving a history row: a save sent while the call
  // writes waits for the slice then running. Returns how many saves were made; the call
  // and every save must succeed.
  std::size_t callWhileSaving(const std::string& method, std::vector<Variant> args, const std::string& product) {
    std::atomic<bool> done{false};
    contracts::server::Envelope written;
    std::thread writing([&] {
      written = call(method, std::move(args));
      done = true;
    });
    std::vector<contracts::server::Envelope> saves;
    for (int i = 1; !done; ++i)
      saves.push_back(call("SetTabPreClie", {kSaved, Variant(product), 7.0 + i / 1000.0, "", "", "S"}));
    writing.join();
    EXPECT_TRUE(written.ok) << method << ": " << written.message;
    for (const auto& save : saves) EXPECT_TRUE(save.ok) << save.message;
    return saves.size();
  }

  // Manual changes of kSaved's `product` numbered between the first and the last change
  // of the batches of `origin`.
  std::int64_t savesBetweenBatchRows(char origin, const std::string& product) {
    const std::string rows = "FROM TABPRECLIEHIST H JOIN TABPRECLIELOTE L ON L.NRLOTE = H.NRLOTE WHERE L.IDORIGALT = '" +
                             std::string(1, origin) + "'";
    const std::int64_t first = *db().queryInteger("SELECT MIN(H.NRSEQHIST) " + rows, {});
    const std::int64_t last = *db().queryInteger("SELECT MAX(H.NRSEQHIST) " + rows, {});
    return *db().queryInteger("SELECT COUNT(*) FROM TABPRECLIEHIST WHERE IDORIGALT = 'M' AND CDCLIENTE = $1 AND "
                              "CDPRODUTO = $2 AND NRSEQHIST > $3 AND NRSEQHIST < $4",
                              {kSaved, product, first, last});
  }

 private:
  server::demo::DemoOptions demo_;
  std::map<std::string, server::modules::MethodHandler> handlers_;
};

TEST_P(SlicedWriteTest, ASaveGetsItsTurnBetweenTwoSlicesOfALargeCopy) {
  const std::string product = *db().queryText("SELECT MIN(CDPRODUTO) FROM TABPRECLIE WHERE CDCLIENTE = $1", {kSource});
  const std::size_t saves =
      callWhileSaving("SetCopiaPreco", {"001", kSource, 3, "T", "", "01/01/2026", "31/12/2026", "S", "", ""}, product);
  ASSERT_FALSE(HasFailure());
  EXPECT_GT(savesBetweenBatchRows('C', product), 0)
      << "no save was written between two slices of the copy (" << saves << " saves)";
  EXPECT_EQ(count("TABPRECLIELOTE", "QTPRECO = -1"), 0);
}

VQR_BACKEND_SUITE(SlicedWriteTest);

// Two customers and 12,000 products: a recalculation creating the first one's prices
// writes two slices, which skip the foreign keys' lookups only while nobody else commits.
class SlicedRecalculationTest : public SlicedWriteTest {
 protected:
  SlicedRecalculationTest() : SlicedWriteTest({2, 12000, 9}) {}
};

TEST_P(SlicedRecalculationTest, ASaveLetInBetweenTwoSlicesOfARecalculationIsKeptAndEveryPriceCreated) {
  const std::int64_t prices = count("TABPRECLIE", "CDCLIENTE = $1", {kSource});
  ASSERT_GT(prices, 10'000);
  const std::string product = *db().queryText("SELECT MIN(CDPRODUTO) FROM TABPRECLIE WHERE CDCLIENTE = $1", {kSource});
  db().executeScript("DELETE FROM TABPRECLIE WHERE CDCLIENTE = '000001'; DELETE FROM TABPRECLIEHIST;"
                     "DELETE FROM TABPRECLIELOTE");
  const std::size_t saves = callWhileSaving("SetCalcCusProd", {"001", kSource, "", 3, 1, "", "", "S"}, product);
  ASSERT_FALSE(HasFailure());
  EXPECT_GT(savesBetweenBatchRows('R', product), 0)
      << "no save was written between two slices of the recalculation (" << saves << " saves)";
  EXPECT_EQ(count("TABPRECLIE", "CDCLIENTE = $1", {kSource}), prices);
  EXPECT_EQ(count("TABPRECLIEHIST H JOIN TABPRECLIELOTE L ON L.NRLOTE = H.NRLOTE", "L.IDORIGALT = 'R'"), prices);
  EXPECT_EQ(count("TABPRECLIE T", "NOT EXISTS (SELECT 1 FROM PRODUTO P WHERE P.CDPRODUTO = T.CDPRODUTO)"), 0);
}

VQR_BACKEND_SUITE(SlicedRecalculationTest);

}  // namespace
}  // namespace servertest
