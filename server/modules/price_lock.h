#pragma once
// Locking the special prices a write is about to change, so that the values it records
// as "before" in the history are the values it replaces.
//
// On PostgreSQL (read committed) a statement sees what was committed when it began and
// waits at a row another transaction holds only when it writes that row: a write that
// read a price and then wrote it could record a price a concurrent commit had already
// replaced. So every write of TABPRECLIE first locks the rows it touches, in one global
// order (customer, product), which keeps two writes from ever waiting on each other in
// a cycle. Every later statement of its transaction begins after the locks were granted:
// it sees those rows as they are, and they cannot change before it commits. A price that
// does not exist yet has no row to lock; the write creates it first (price_writer.h),
// and the key's unique index makes any other creator of it wait for that commit.
//
// SQLite lets one write transaction in at a time: there is nothing to lock.
#include <cstdint>
#include <optional>
#include <string>

#include "server/store/connection.h"

namespace server::modules {

// Locks the rows of TABPRECLIE T that `rows` reaches ("TABPRECLIE T" with any joins and
// a WHERE clause, over `params`) in key order, until the transaction ends, and returns
// how many; nullopt on SQLite.
std::optional<std::int64_t> LockPriceRows(store::Connection& c, const std::string& rows, const store::Params& params);

// Locks, on PostgreSQL, the customers whose formulas a write replaces (`customers`, a
// SELECT of CDCLIENTE over `params`): their CLIENTE rows, in key order, in a mode that
// leaves their prices free (no key update). Two replacements of one formula then come
// one after the other, the second seeing what the first wrote. Writes take these locks
// after those of prices.
void LockFormulaCustomers(store::Connection& c, const std::string& customers, const store::Params& params);

}  // namespace server::modules
