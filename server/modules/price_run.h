#pragma once
// PriceRun: how a recalculation, copy or import ends once its prices are ready
// (base_prices.h). A write refuses unsound base prices, writes every price under a
// batch of its own (batches.h) and closes the batch. A preview runs the very same
// statements in a read transaction its caller rolls back: instead of refusing it lists
// the blocked products, and after the write it reads back its history rows, which are
// exactly what the write does.
//
// A preview writes temporary tables only, so it never takes the database's write lock
// (SQLite) nor locks a row another writer waits for (PostgreSQL): it copies the prices
// the set reaches into a table of its own and writes them there, records its history
// rows in another instead of TABPRECLIEHIST (it takes none of the history's numbers)
// and opens no batch. Its reads see one snapshot on SQLite; on PostgreSQL each
// statement sees what was committed when it began, as the write's statements do.
//
// On SQLite, where one writer at a time holds the whole database, a write prepares its
// prices in a read transaction and then writes them in slices of kSliceRows; after a
// slice that another writer waits for (store/writer_queue.h), it commits and begins a
// new write transaction: a single save waiting meanwhile gets its turn between two
// slices instead of after the whole write, and a write nobody waits for commits once.
// The slices read the set as it stands where it can be read so (PriceSet::slice), a
// copy of it otherwise. The batch is opened with the first slice and closed with the
// last, which also holds the rest of the command (a formula copy's formulas); a batch
// left unfinished is taken back (unfinished_batches.h). Each slice records the prices
// it changes as it finds them under the lock, as any write does. A slice of a set whose
// references were read in the preparation skips the foreign keys' lookups when nobody
// else has committed since (PriceSet::referencesRead). On PostgreSQL a write is one
// transaction: a save waits for it only on the prices both write, whose locks keep the
// history right.
#include <cstdint>
#include <memory>
#include <string>

#include "contracts/server/tab_pre_clie_methods.h"
#include "platform/variant/data_packet.h"
#include "server/modules/method_adapter.h"
#include "server/modules/price_writer.h"
#include "server/store/connection.h"

namespace server::modules {

class PriceRun {
 public:
  // A write; with `preview` true, a preview.
  explicit PriceRun(bool preview);

  bool preview() const noexcept { return preview_; }

  // The products of the range and the customers the command considers, for the counts.
  void Consider(std::int64_t productsInRange, std::int64_t baseProducts, std::int64_t customers);

  // Whether every base price that would be written is sound (as RefuseUnsoundBasePrices
  // with `keptFor`). A write refuses otherwise; a preview lists the blocked products
  // (with the current prices of `customer`, the one a recalculation is for) and answers
  // false, and the command stops there.
  bool SoundBasePrices(store::Connection& c, const std::string* keptFor, const std::string* customer = nullptr);

  // The origin and customer of the command's batch, which its write opens; the time of
  // its changes is `now()`. A preview opens its history table instead (its batch is 0).
  void Open(store::Connection& c, char origin, const std::string& customer);
  const std::string& now() const noexcept { return now_; }
  std::int64_t batch() const noexcept { return batch_; }
  // The table the command's history rows go to (PriceSet::history).
  const std::string& history() const noexcept { return history_; }

  // Opens the batch and writes the set (WritePriceSet) under it, into the run's tables,
  // in slices where the database takes them; returns how many prices it created or
  // changed. Afterwards the command is in the transaction of the last slice.
  std::int64_t Write(store::Connection& c, PriceSet set);

  // Closes the batch after `written` prices were created or changed; a preview reads
  // them back.
  void Close(store::Connection& c, std::int64_t written);

  // The data part of a preview: its rows and its counts.
  contracts::server::PreviewReply Answer() const;

  // After the command failed: takes back the slices it had committed, if any, in a
  // transaction of its own; when that fails too, the server's next start does it.
  void TakeBackSlices(store::Connection& c);

 private:
  std::int64_t WriteInSlices(store::Connection& c, PriceSet set);

  bool preview_;
  char origin_ = 0;
  std::string customer_;
  bool slicesCommitted_ = false;
  std::string history_;
  std::string now_;
  std::int64_t batch_ = 0;
  std::int64_t base_ = 0;
  contracts::server::PreviewCounts counts_;
  std::shared_ptr<platform::DataPacket> rows_;
};

// Rows of a price set written in one slice of a write in slices.
inline constexpr std::int64_t kSliceRows = 10'000;

// Whether a write on this connection's database runs in slices: on SQLite.
bool WritesInSlices(const store::Connection& c);

// Runs `work(run)`, a PriceRun write, and commits it: its preparation in a read
// transaction and its prices in slices where the database takes them, or all of it in
// one write transaction; repeated from the start after a transient conflict
// (RunInTransaction).
template <typename Work>
void RunWrite(store::Connection& c, Work&& work);

// Runs `work` in a read transaction that is always rolled back (a preview's).
template <typename Work>
void RunRolledBack(store::Connection& c, Work&& work);

}  // namespace server::modules

#include "server/store/transaction.h"

template <typename Work>
void server::modules::RunWrite(store::Connection& c, Work&& work) {
  store::RunInTransaction(c, WritesInSlices(c) ? store::TxMode::Read : store::TxMode::Write, [&] {
    PriceRun run(false);
    try {
      work(run);
    } catch (...) {
      run.TakeBackSlices(c);
      throw;
    }
  });
}

template <typename Work>
void server::modules::RunRolledBack(store::Connection& c, Work&& work) {
  store::Transaction tx(c, store::TxMode::Read);
  work();
}
