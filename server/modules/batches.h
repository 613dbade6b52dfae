#pragma once
// Batches: every recalculation, copy and undo writes its history rows under one batch
// number (TABPRECLIELOTE, server/store/schema.h), so it can be shown and taken back as
// a whole.
#include <cstdint>
#include <optional>
#include <string>

#include "server/store/connection.h"

namespace server::modules {

// The count of prices of a batch until it is closed: one written in slices
// (price_run.h) stands so between them, and is taken back if it never gets closed
// (unfinished_batches.h).
inline constexpr std::int64_t kUnfinishedBatch = -1;

// The highest number the history has given (0 when empty), as a scalar subquery: a
// batch's changes are numbered after it when the batch opens, up to it when it closes.
inline constexpr const char* kLastHistoryNumber = "(SELECT COALESCE(MAX(NRSEQHIST), 0) FROM TABPRECLIEHIST)";

// Opens a batch of that origin for the customer the command runs for, at `now`, in the
// name of the call's user (caller.h), unfinished; returns its number. Its changes are
// numbered from the history's next number on; closing it records the last.
std::int64_t OpenBatch(store::Connection& connection, char origin, const std::string& customer, const std::string& now);

// Records how many prices the batch wrote.
void CloseBatch(store::Connection& connection, std::int64_t batch, std::int64_t prices);

// The condition that the history row `alias` is a change of the batch whose number is
// the SQL `batch` (a parameter, bound by the caller): its batch number, within the
// batch's range of numbers. SQLite, which has no history index by batch, finds the
// rows by that range; an unfinished batch's range runs to the history's end.
std::string InBatch(const std::string& alias, const std::string& batch);

// Drops a batch that wrote nothing and kept no formula.
void DropEmptyBatch(store::Connection& connection, std::int64_t batch);

struct BatchInfo {
  std::int64_t number = 0;
  char origin = 0;
  std::string customer;
  std::string time;  // yyyy-mm-ddThh:nn:ss
  std::int64_t prices = 0;  // kUnfinishedBatch while unfinished
  std::optional<std::int64_t> undoneBy;
  std::string user;  // who ran it
};

// The batch with that number, or nullopt; `lock` locks its row until the end of the
// transaction (PostgreSQL; SQLite's write transaction holds the lock already).
std::optional<BatchInfo> FindBatch(store::Connection& connection, std::int64_t batch, bool lock);

}  // namespace server::modules
