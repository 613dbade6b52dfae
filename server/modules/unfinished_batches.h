#pragma once
// Taking back a batch whose write stopped half-way. A large write on SQLite commits its
// prices in slices (price_run.h) and closes its batch with the last one; a batch left
// unfinished (kUnfinishedBatch) by an error is taken back at once, and one left by a
// server that died is taken back when the server starts again (one server process
// serves a SQLite file). Either way the database is as if the batch had never been
// written: every price it wrote that nobody changed since gets its value from before
// back (or goes, when the batch created it); for a price changed since, the value the
// batch found becomes the value before of the next change, which stays; and the
// batch's history rows and the batch itself go.
#include <cstdint>
#include <vector>

#include "server/store/connection.h"

namespace server::modules {

// Takes back `batch` inside the caller's write transaction.
void TakeBackBatch(store::Connection& c, std::int64_t batch);

// Takes back every unfinished batch, each in a write transaction of its own; returns
// their numbers.
std::vector<std::int64_t> TakeBackUnfinishedBatches(store::Connection& c);

}  // namespace server::modules
