#include "server/store/wal_checkpointer.h"

#include <spdlog/spdlog.h>

#include "server/store/store_error.h"

namespace server::store {

WalCheckpointer::WalCheckpointer(std::unique_ptr<Connection> connection, WriterQueue& writers)
    : connection_(std::move(connection)), writers_(writers), thread_([this] { run(); }) {}

WalCheckpointer::~WalCheckpointer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void WalCheckpointer::noteCommit(std::int64_t bytes) noexcept {
  if (bytes < kCheckpointBytes) return;
  {
    std::lock_guard lock(mutex_);
    pending_ = true;
  }
  wake_.notify_one();
}

void WalCheckpointer::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_ || stopping_; });
    if (stopping_) return;
    pending_ = false;
    lock.unlock();
    // The bulk of the log beside the writers, the pages they added meanwhile in a turn
    // of its own: the writer after it then starts the log over.
    checkpoint();
    const bool whole = checkpointInTurn();
    lock.lock();
    // Kept from copying the whole log: again at the next commit, or soon.
    if (!whole && !wake_.wait_for(lock, kRetryInterval, [this] { return pending_ || stopping_; })) pending_ = true;
  }
}

bool WalCheckpointer::checkpointInTurn() {
  if (!writers_.enter(kRetryInterval)) return false;
  const bool whole = checkpoint();
  writers_.leave();
  return whole;
}

bool WalCheckpointer::checkpoint() {
  try {
    bool whole = true;
    // One row: whether it was blocked, the log's pages, the pages copied back.
    connection_->query("PRAGMA wal_checkpoint(PASSIVE)", {}, [&](const Row& row) {
      whole = row.integer(0) == 0 && row.integer(1) == row.integer(2);
    });
    return whole;
  } catch (const StoreError& e) {
    // Another connection's checkpoint under way; the log is in hand.
    if (e.kind() == StoreError::Kind::Transient) return true;
    // Tried again at the next commit past the threshold, not in a loop.
    spdlog::warn("Falha ao copiar o registro de gravações para o banco de dados: {}", e.what());
    return true;
  }
}

}  // namespace server::store
