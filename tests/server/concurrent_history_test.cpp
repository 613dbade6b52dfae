// Many writers at once: every change of a price is in the history, each history row's
// values before are those of the product's previous change in the order the changes
// were applied, replaying the history gives every current price, and an undo never
// takes back an acknowledged edit.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "server/store/transaction.h"
#include "support/in_process/history_chain.h"
#include "tests/server/batch_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using Clock = std::chrono::steady_clock;

class ConcurrentHistoryTest : public BatchTest {
 protected:
  // The prices as they stand, where the history check starts.
  void markStart() {
    start_ = vqrtest::CurrentPrices(db());
    startNumber_ = db().queryInteger("SELECT MAX(NRSEQHIST) FROM TABPRECLIEHIST", {}).value_or(0);
  }
  std::vector<std::string> historyFaults() { return vqrtest::HistoryChainFaults(db(), start_, startNumber_); }

  // A third connection holding the given prices (creating those named as new) in a
  // write transaction, so that the calls started meanwhile wait on it; release() commits.
  class Holder {
   public:
    Holder(ConcurrentHistoryTest& test, const std::vector<std::string>& held, const std::vector<std::string>& created)
        : test_(test), connection_(test.store().connect()) {
      connection_->begin(server::store::TxMode::Write);
      for (const auto& key : held)
        connection_->query("SELECT 1 FROM TABPRECLIE WHERE CDCLIENTE || '/' || CDPRODUTO = $1" +
                               std::string(test.postgres() ? " FOR UPDATE" : ""),
                           {key}, [](const server::store::Row&) {});
      for (const auto& key : created) {
        auto slash = key.find('/');
        connection_->execute("INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD) VALUES ($1, $2, 9)",
                             {key.substr(0, slash), key.substr(slash + 1)});
        connection_->execute("INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECONOV, IDORIGALT, DTHRALT, "
                             "CDUSUARIO) VALUES ($1, $2, 9, 'M', " +
                                 std::string(test.postgres() ? "LOCALTIMESTAMP(0)" : "DATETIME('now')") + ", 'outro')",
                             {key.substr(0, slash), key.substr(slash + 1)});
      }
    }
    // Starts the call on a thread of its own once the calls before it wait.
    void start(std::function<Answer()> call) {
      answers_.emplace_back();
      Answer* answer = &answers_.back();
      threads_.emplace_back([answer, call] { *answer = call(); });
      test_.waitForWaiters(threads_.size());
    }
    // Commits, lets the calls end and returns their answers in the order they started.
    std::deque<Answer> release() {
      connection_->commit();
      for (auto& thread : threads_) thread.join();
      return answers_;
    }

   private:
    ConcurrentHistoryTest& test_;
    std::unique_ptr<server::store::Connection> connection_;
    std::deque<Answer> answers_;
    std::vector<std::thread> threads_;
  };

  // Until `count` calls wait for a lock (PostgreSQL shows them; a SQLite writer waits
  // for its turn unseen, so there the calls are given a moment).
  void waitForWaiters(std::size_t count) {
    if (!postgres()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      return;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (db().queryInteger("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() AND "
                             "wait_event_type = 'Lock'",
                             {}) < static_cast<std::int64_t>(count)) {
      ASSERT_LT(Clock::now(), deadline) << "the calls never came to wait on the held prices";
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  std::function<Answer()> save(const std::string& customer, const std::string& product, double price) {
    return [=, this] { return setPrice(customer, product, price); };
  }
  std::function<Answer()> undoOf(std::int64_t batch) {
    return [=, this] { return call("SetDesfazLote", {static_cast<int>(batch)}); };
  }
  static void ExpectAllOk(const std::deque<Answer>& answers) {
    for (const auto& answer : answers) EXPECT_TRUE(answer.ok) << answer.message;
  }
  vqrtest::PriceTexts start_;
  std::int64_t startNumber_ = 0;

  std::string priceText(const std::string& customer, const std::string& product) {
    auto price = PriceOf(db(), customer, product);
    return price ? Variant(price->price).toString() : "<none>";
  }
};

// P1 stands at 5 and P2 already at its formula value (cost 4 + 50% = 6) while both are
// held; two saves and a recalculation wait on them.
TEST_P(ConcurrentHistoryTest, SaveAndRecalculationWaitingOnOnePriceRecordWhatEachReplaced) {
  AddPrice(db(), "C1", "P1", 5);
  AddPrice(db(), "C1", "P2", 6);
  markStart();
  Holder holder(*this, {"C1/P1", "C1/P2"}, {});
  holder.start(save("C1", "P1", 700));
  holder.start(save("C1", "P2", 800));
  holder.start([this] { return recalc("Set", "S"); });
  ExpectAllOk(holder.release());
  EXPECT_EQ(historyFaults(), std::vector<std::string>{});
  // Whichever came last, undoing the recalculation leaves the acknowledged edits.
  if (std::int64_t batch = lastBatch()) ExpectAllOk({undoOf(batch)()});
  EXPECT_EQ(priceText("C1", "P1"), "700");
  EXPECT_EQ(priceText("C1", "P2"), "800");
  EXPECT_EQ(historyFaults(), std::vector<std::string>{});
}

// C2's P1 is held, and its P2 is being created by the holder itself.
TEST_P(ConcurrentHistoryTest, SaveAndCopyWaitingOnOnePriceRecordWhatEachReplaced) {
  AddPrice(db(), "C1", "P1", 15);
  AddPrice(db(), "C1", "P2", 6);
  AddPrice(db(), "C2", "P1", 5);
  markStart();
  Holder holder(*this, {"C2/P1"}, {"C2/P2"});
  holder.start(save("C2", "P1", 700));
  holder.start(save("C2", "P2", 800));
  holder.start([this] { return copyPrices("Set", "C2", "S"); });
  ExpectAllOk(holder.release());
  EXPECT_EQ(historyFaults(), std::vector<std::string>{});
  ExpectAllOk({undoOf(lastBatch())()});
  EXPECT_EQ(priceText("C2", "P1"), "700");
  EXPECT_EQ(priceText("C2", "P2"), "800");
  EXPECT_EQ(historyFaults(), std::vector<std::string>{});
}

TEST_P(ConcurrentHistoryTest, UndoAndSaveWaitingOnOnePriceNeverTakeBackTheEdit) {
  AddPrice(db(), "C1", "P1", 5);
  markStart();
  ASSERT_TRUE(recalc("Set", "S").ok);  // P1 5 > 15
  const std::int64_t batch = lastBatch();
  Holder holder(*this, {"C1/P1"}, {});
  holder.start(undoOf(batch));
  holder.start(save("C1", "P1", 700));
  ExpectAllOk(holder.release());
  EXPECT_EQ(priceText("C1", "P1"), "700");
  EXPECT_EQ(priceText("C1", "P2"), "<none>") << "the price the batch created goes";
  EXPECT_EQ(historyFaults(), std::vector<std::string>{});
}

// An edit back to the value the batch wrote is a change of its own: the undo keeps it.
TEST_P(ConcurrentHistoryTest, UndoKeepsAPriceEditedSinceEvenBackToTheBatchsValue) {
  markStart();
  ASSERT_TRUE(setPrice("C1", "P1", 5).ok);
  ASSERT_TRUE(recalc("Set", "S").ok);  // P1 5 > 15
  const std::int64_t batch = lastBatch();
  ASSERT_TRUE(setPrice("C1", "P1", 700).ok);
  ASSERT_TRUE(setPrice("C1", "P1", 15).ok);
  ExpectAllOk({undoOf(batch)()});
  EXPECT_EQ(priceText("C1", "P1"), "15");
  EXPECT_EQ(historyFaults(), std::vector<std::string>{});
}

// The clients of a busy day at once: saves and removals, recalculations, both copies,
// undos and reads, for VQR_MIXED_LOAD_SECONDS (20 by default).
TEST_P(ConcurrentHistoryTest, SixteenClientsMixingEveryWriteLeaveAnExactHistory) {
  AddFormula(db(), "C2", {{"001", "002", "N", 1.5, "SUM"}});
  markStart();
  constexpr int kClients = 16;
  const char* configured = std::getenv("VQR_MIXED_LOAD_SECONDS");
  const auto until = Clock::now() + std::chrono::seconds(configured ? std::atoi(configured) : 20);
  const std::vector<std::string> customers{"C1", "C2", "C3"}, products{"P1", "P2", "P3", "P4"};
  std::mutex mutex;
  std::vector<std::pair<std::string, double>> savesAcknowledged;  // customer/product, price
  std::vector<std::string> failures;
  std::atomic<int> saveNumber{0};
  std::int64_t lastBatchSeen = 0;

  auto client = [&](int id) {
    std::mt19937 random(id);
    auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    while (Clock::now() < until) {
      const std::string customer = pick(customers), product = pick(products);
      Answer answer;
      switch (random() % 8) {
        case 0:
        case 1: {
          // A price no other save uses, to find its history row.
          const double price = 100 + saveNumber++ * 0.001;
          answer = setPrice(customer, product, price);
          if (answer.ok) {
            std::lock_guard lock(mutex);
            savesAcknowledged.emplace_back(customer + "/" + product, price);
          }
          break;
        }
        case 2: answer = setPrice(customer, product, 0); break;
        case 3: answer = recalc("Set", random() % 2 ? "S" : "N", random() % 2 ? "C1" : "C2"); break;
        case 4:
          answer = random() % 2 ? copyPrices("Set", "C2,C3", random() % 2 ? "S" : "N", "01/0" +
                                                 std::to_string(1 + random() % 9) + "/2027")
                                : copyFormula("Set", "C3");
          break;
        case 5: {
          std::int64_t last = 0;
          {
            std::lock_guard lock(mutex);
            last = lastBatchSeen;
          }
          answer = last ? call("SetDesfazLote", {static_cast<int>(1 + random() % last)}) : Answer{true, "", {}, {}};
          break;
        }
        case 6: answer = call("GetPrecoProd", {customer, 3}); break;
        default: answer = call("GetHistPreco", {customer, "", "", 0, 50}); break;
      }
      if (answer.ok) continue;
      // Refusals a business rule makes (an undo of an undo, of a batch undone already or
      // dropped as empty, a copy of no prices) are answers; anything else is a failure.
      bool refusal = false;
      for (const char* rule : {"desfeito", "Somente lotes", "não encontrado", "não tem preço especial"})
        refusal = refusal || answer.message.find(rule) != std::string::npos;
      if (refusal) continue;
      std::lock_guard lock(mutex);
      failures.push_back(answer.message);
    }
  };
  std::thread batchWatcher([&] {
    auto connection = store().connect();
    while (Clock::now() < until) {
      std::int64_t last = connection->queryInteger("SELECT MAX(NRLOTE) FROM TABPRECLIELOTE", {}).value_or(0);
      {
        std::lock_guard lock(mutex);
        lastBatchSeen = last;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  std::vector<std::thread> clients;
  for (int id = 0; id < kClients; ++id) clients.emplace_back(client, id);
  for (auto& thread : clients) thread.join();
  batchWatcher.join();

  EXPECT_EQ(failures, std::vector<std::string>{});
  EXPECT_EQ(historyFaults(), std::vector<std::string>{});
  std::int64_t missing = 0;
  for (const auto& [key, price] : savesAcknowledged)
    if (count("TABPRECLIEHIST", "CDCLIENTE || '/' || CDPRODUTO = $1 AND ABS(VRPRECONOV - $2) < 0.0001 AND IDORIGALT = 'M'",
              {key, price}) != 1)
      ++missing;
  EXPECT_EQ(missing, 0) << "of " << savesAcknowledged.size() << " acknowledged saves";
  EXPECT_EQ(count("TABPRECLIELOTE L",
                  "L.QTPRECO <> (SELECT COUNT(*) FROM TABPRECLIEHIST H WHERE H.NRLOTE = L.NRLOTE)"),
            0)
      << "every batch recorded each price it wrote";
  EXPECT_GT(savesAcknowledged.size(), 50u);
}

VQR_BACKEND_SUITE(ConcurrentHistoryTest);

}  // namespace
}  // namespace servertest
