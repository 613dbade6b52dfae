#include "server/store/transaction.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include <spdlog/spdlog.h>

#include "server/store/applied_call.h"

namespace server::store {

bool Transaction::WouldJoin(const Connection& connection) noexcept {
  return connection.appliedCall() && connection.appliedCall()->holding();
}

Transaction::Transaction(Connection& connection, TxMode mode) : connection_(connection), mode_(mode) {
  if (WouldJoin(connection_)) {
    joined_ = true;
    return;
  }
  connection_.begin(mode);
  if (mode != TxMode::Write || !connection_.appliedCall()) return;
  try {
    connection_.appliedCall()->claim();
  } catch (...) {
    connection_.rollback();
    throw;
  }
}

Transaction::~Transaction() {
  if (finished_ || (joined_ && mode_ == TxMode::Read)) return;  // a read has nothing to undo
  if (connection_.appliedCall()) connection_.appliedCall()->dropped();
  try {
    connection_.rollback();
  } catch (const std::exception& e) {
    // A destructor cannot raise; the connection marks itself unusable and is dropped.
    spdlog::error("Falha ao desfazer a transação: {}", e.what());
  }
}

void Transaction::commit() {
  finished_ = true;  // a failed commit leaves nothing to roll back
  if (joined_) return;
  if (connection_.appliedCall() && (mode_ == TxMode::Write || connection_.appliedCall()->claimed())) {
    connection_.appliedCall()->hold();
    return;
  }
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
