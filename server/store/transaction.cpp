#include "server/store/transaction.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include <spdlog/spdlog.h>

namespace server::store {

Transaction::Transaction(Connection& connection, TxMode mode) : connection_(connection) {
  connection_.begin(mode);
}

Transaction::~Transaction() {
  if (finished_) return;
  try {
    connection_.rollback();
  } catch (const std::exception& e) {
    // A destructor cannot raise; the connection marks itself unusable and is dropped.
    spdlog::error("Falha ao desfazer a transação: {}", e.what());
  }
}

void Transaction::commit() {
  finished_ = true;  // a failed commit leaves nothing to roll back
  connection_.commit();
}

void BackOffAfterConflict(int failed) {
  constexpr long kStepMicroseconds = 5'000;
  constexpr long kMostMicroseconds = 320'000;
  thread_local std::minstd_rand random{std::random_device{}()};
  const long ceiling = std::min(kMostMicroseconds, kStepMicroseconds << std::min(failed, 10));
  std::uniform_int_distribution<long> pick(0, ceiling);
  std::this_thread::sleep_for(std::chrono::microseconds(pick(random)));
}

}  // namespace server::store
