#pragma once
// Set-based writing of many special prices at once, with their history.
//
// A price set is a SELECT yielding CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI,
// DTVALFIN, one row per customer and product, that reads no price of TABPRECLIE itself.
// Inside the caller's transaction WritePriceSet
//   1. creates the prices of the set that do not exist yet, with their history rows
//      (nothing before), in key order: a concurrent creator of the same price waits;
//   2. when the set replaces existing prices, locks them (price_lock.h), in key order;
//   3. records in the set's history table every locked price the set changes, with the values it
//      has under the lock as the values before, and changes exactly those prices.
// On SQLite, where a write transaction is alone in writing, there is nothing to lock:
// one statement records every price the set creates or changes (with the values before
// as the table holds them), and one more writes them all. When the set's bounds show
// that none of its customers has a price in the set's table between the first and the
// last product the set gives it, every row is a creation, recorded and written without
// looking its price up.
// A price the set leaves as it is is neither written nor recorded; one it writes is
// always recorded. Each step is one set-based statement. The history rows carry the
// set's batch number and the user of the call (caller.h); their numbers are taken
// under the lock, so a product's history in number order is the order its changes were
// applied.
//
// Any write of prices (a new origin too) goes through WritePriceSet, or locks first
// with LockPriceRows and records from the locked rows as the removal and the undo do.
#include <cstdint>
#include <functional>
#include <string>

#include "server/store/connection.h"
#include "server/store/sql_builder.h"

namespace server::modules {

struct PriceSet {
  // Builds the SELECT, binding its values through the given builder (called once per
  // statement).
  std::function<std::string(store::SqlBuilder&)> select;
  // Existing prices are replaced; otherwise they are kept as they are.
  bool overwrite = true;
  // When replacing, the existing price keeps its validity dates.
  bool keepDates = false;
  char origin = 'M';
  // The batch the history rows belong to (batches.h); 0 for a manual change.
  std::int64_t batch = 0;
  // The table the history rows go to: TABPRECLIEHIST, or a preview's own (price_run.h),
  // which takes none of the history's numbers.
  std::string history = "TABPRECLIEHIST";
  // The table of prices the set writes: TABPRECLIE, or a preview's temporary copy of the
  // prices it reaches (price_run.h), so that a preview takes no write lock.
  std::string prices = "TABPRECLIE";
  // When the set's rows can be read a part at a time as they stand: the SELECT of its
  // rows after the first `from` up to `to`, in its order, and how many rows it yields.
  // A write in slices (price_run.h) reads them so instead of copying the set first.
  std::function<std::string(store::SqlBuilder&, std::int64_t from, std::int64_t to)> slice;
  std::int64_t rows = 0;
  // When known cheaply: a SELECT of CDCLIENTE, LO and HI, one row for each customer of
  // the set's rows with the first and the last product they give it (on SQLite).
  std::function<std::string(store::SqlBuilder&)> bounds;
  // The same for the rows a slice reads, when the set is read in slices.
  std::function<std::string(store::SqlBuilder&, std::int64_t from, std::int64_t to)> sliceBounds;
  // Every customer and product of the set's rows was read from CLIENTE and PRODUTO in
  // the transaction that prepared it, and the command writes nothing else that names
  // another table's rows: a write in slices may then skip the foreign keys' lookups
  // while nobody else commits (store::Connection::beginWriteOfReadReferences).
  bool referencesRead = false;
};

// Returns the number of prices created or changed.
std::int64_t WritePriceSet(store::Connection& connection, const PriceSet& set, const std::string& now);

// The local time as ISO-8601 text (yyyy-mm-ddThh:nn:ss), the time of a change.
std::string NowISO();

}  // namespace server::modules
