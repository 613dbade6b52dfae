#pragma once
// Transaction: RAII scope of one database transaction. Nothing is kept unless
// commit() is called; leaving the scope otherwise (a refusal, an error) rolls back.
//
//   store::Transaction tx(conn);
//   ... statements ...
//   tx.commit();
//
// On a connection with an AppliedCall (applied_call.h), a write transaction claims the
// call's id as it begins and its commit waits for the call's end; a transaction begun
// while such a commit waits joins that transaction, and rolling it back rolls back
// the whole of it.
//
// RunInTransaction runs a unit of work in its own transaction and repeats it a few
// times when the database reports a transient conflict (busy past its timeout, a
// deadlock or serialization failure), so such a conflict never reaches the user as
// long as a retry can succeed. The work must be safe to repeat from the start.
#include <type_traits>

#include "server/store/connection.h"
#include "server/store/store_error.h"

namespace server::store {

class Transaction {
 public:
  explicit Transaction(Connection& connection, TxMode mode = TxMode::Write);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit();

  // Whether a transaction begun now on `connection` joins one whose commit waits.
  static bool WouldJoin(const Connection& connection) noexcept;

 private:
  Connection& connection_;
  TxMode mode_;
  bool joined_ = false;
  bool finished_ = false;
};

// Enough for the deadlocks of many writers on PostgreSQL (one victim each time): a
// victim waits a random, growing while before it runs again, so the writers it met
// have finished instead of meeting it again in the same order.
inline constexpr int kTransientRetries = 8;

// Sleeps before the attempt after `failed` transient failures: up to 5 ms times 2^failed,
// at most 320 ms, chosen at random.
void BackOffAfterConflict(int failed);

template <typename Work>
auto RunInTransaction(Connection& connection, TxMode mode, Work&& work) -> decltype(work()) {
  // A joined transaction cannot be repeated alone: its failure undid the whole.
  const bool joins = Transaction::WouldJoin(connection);
  for (int attempt = 1;; ++attempt) {
    try {
      Transaction tx(connection, mode);
      if constexpr (std::is_void_v<decltype(work())>) {
        work();
        tx.commit();
        return;
      } else {
        auto result = work();
        tx.commit();
        return result;
      }
    } catch (const StoreError& e) {
      if (e.kind() != StoreError::Kind::Transient || attempt >= kTransientRetries || joins ||
          !connection.usable())
        throw;
      BackOffAfterConflict(attempt);
    }
  }
}

}  // namespace server::store
