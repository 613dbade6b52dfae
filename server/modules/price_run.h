#pragma once
// PriceRun: how a recalculation or copy ends once its base prices are ready
// (base_prices.h). A write refuses unsound base prices, writes every price under a
// batch of its own (batches.h) and closes the batch. A preview runs the very same
// statements inside a transaction its caller rolls back: instead of refusing it lists
// the blocked products, and after the write it reads back the batch's history rows,
// which are exactly what the write does. A preview records them in a temporary table
// of its own, not in TABPRECLIEHIST: it takes none of the history's numbers (on
// PostgreSQL a rolled-back insert would still use them up).
#include <cstdint>
#include <memory>
#include <string>

#include "contracts/server/tab_pre_clie_methods.h"
#include "platform/variant/data_packet.h"
#include "server/modules/method_adapter.h"
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

  // Opens the command's batch (and a preview's history table); the time of its changes
  // is `now()`.
  std::int64_t Open(store::Connection& c, char origin, const std::string& customer);
  const std::string& now() const noexcept { return now_; }
  std::int64_t batch() const noexcept { return batch_; }
  // The table the command's history rows go to (PriceSet::history).
  const std::string& history() const noexcept { return history_; }

  // Closes the batch after `written` prices were created or changed; a preview reads
  // them back.
  void Close(store::Connection& c, std::int64_t written);

  // The data part of a preview: its rows and its counts.
  contracts::server::PreviewReply Answer() const;

 private:
  bool preview_;
  std::string history_;
  std::string now_;
  std::int64_t batch_ = 0;
  std::int64_t base_ = 0;
  contracts::server::PreviewCounts counts_;
  std::shared_ptr<platform::DataPacket> rows_;
};

// Runs `work` in a write transaction that is always rolled back.
template <typename Work>
void RunRolledBack(store::Connection& c, Work&& work);

}  // namespace server::modules

#include "server/store/transaction.h"

template <typename Work>
void server::modules::RunRolledBack(store::Connection& c, Work&& work) {
  store::Transaction tx(c, store::TxMode::Write);
  work();
}
