#pragma once
// Set-based writing of many special prices at once, with their history.
//
// A price set is a SELECT yielding CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI,
// DTVALFIN, one row per customer and product. WritePriceSet first records in
// TABPRECLIEHIST every price the set creates or changes (with the values before),
// then inserts or updates TABPRECLIE, each in one statement, inside the caller's
// transaction. Prices that would not change leave no history. The history rows carry
// the set's batch number and the user of the call (caller.h).
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
};

// Returns the number of prices created or changed.
std::int64_t WritePriceSet(store::Connection& connection, const PriceSet& set, const std::string& now);

// The local time as ISO-8601 text (yyyy-mm-ddThh:nn:ss), the time of a change.
std::string NowISO();

}  // namespace server::modules
