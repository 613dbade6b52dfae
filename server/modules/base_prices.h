#pragma once
// The prices a recalculation or copy starts from, one per product, held in the
// connection's temporary table TMPPRECOBASE (CDPRODUTO, VRPRECOPROD) inside the
// caller's transaction: the formula's price of each costed product, or the source
// customer's special prices. They are computed once, checked once, and then crossed
// with the target customers, so the writes run in key order and never read the table
// they write.
//
// Price sets are checked here, not value by value: a result of zero or less, over the
// ceiling or not a finite number refuses the whole call before anything is written.
#include <cstdint>
#include <functional>
#include <string>

#include "server/store/connection.h"
#include "server/store/sql_builder.h"

namespace server::modules {

inline constexpr const char* kBasePriceTable = "TMPPRECOBASE";

// A SELECT yielding CDPRODUTO and VRPRECOPROD, its values bound through the builder.
using SelectBuilder = std::function<std::string(store::SqlBuilder&)>;

// Empties the table and fills it from `select`; returns the number of products.
std::int64_t FillBasePrices(store::Connection& connection, const SelectBuilder& select);

// Refuses the call unless every base price that would be written is above zero
// (kPrecoZerNeg) and at most the price ceiling (PricesOverCeiling, which also catches
// infinities, NaN and the null of a price that could not be computed): all of them are
// checked, or, with `keptFor`, those of products that customer has no special price for.
void RefuseUnsoundBasePrices(store::Connection& connection, const std::string* keptFor);

// "CREATE TEMP TABLE IF NOT EXISTS <name> (<columns>)" kept in key order, rows
// dropped at commit on PostgreSQL; then emptied.
void ResetTempTable(store::Connection& connection, const std::string& name, const std::string& columns);

}  // namespace server::modules
