#include "server/store/transaction.h"

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

}  // namespace server::store
