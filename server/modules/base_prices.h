#pragma once
// The prices a recalculation or copy starts from, one per product (in product order on SQLite),
// held in the connection's temporary table TMPPRECOBASE (CDPRODUTO, VRPRECOPROD) inside
// the caller's transaction: the formula's price of each costed product, or the source
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

// A SELECT yielding CDPRODUTO and VRPRECOPROD, each product once, its values bound
// through the builder. Read in product order without a sort when its CDPRODUTO is the
// column of the table it scans in that order.
using SelectBuilder = std::function<std::string(store::SqlBuilder&)>;

// Empties the table and fills it from `select`; returns the number of products. On
// SQLite the rows are numbered from 1 in product order (their rowid, which starts over
// at 1 in the emptied table).
std::int64_t FillBasePrices(store::Connection& connection, const SelectBuilder& select);

// On SQLite: the condition that the row `alias` of a table numbered by its rowid (the
// base prices: in product order) is among its rows after the first `from`, up to `to`.
std::string RowidSlice(store::SqlBuilder& sql, const std::string& alias, std::int64_t from, std::int64_t to);

// On SQLite: a SELECT of `customer` as CDCLIENTE with the first (LO) and the last (HI)
// product of the rows `alias` of `table` after the first `from`, up to `to`, that meet
// `condition` (none when empty), found by their rowid: for a table numbered in product
// order whose rows, those meeting the condition, are all of that customer
// (PriceSet::bounds). Both are null when no row is there.
std::string RowidSliceBounds(store::SqlBuilder& sql, const std::string& table, const std::string& condition,
                             const std::string& customer, std::int64_t from, std::int64_t to);

// Refuses the call unless every base price that would be written is above zero
// (kPrecoZerNeg) and at most the price ceiling (PricesOverCeiling, which also catches
// infinities, NaN and the null of a price that could not be computed): all of them are
// checked, or, with `keptFor`, those of products that customer has no special price for.
void RefuseUnsoundBasePrices(store::Connection& connection, const std::string* keptFor);

// How a temporary table keeps its rows: in the order of its primary key (on SQLite), or
// as they were inserted, with no key to maintain.
enum class TempRows { KeyOrder, InsertionOrder };

// "CREATE TEMP TABLE IF NOT EXISTS <name> (<columns>)", rows dropped at commit on
// PostgreSQL; then emptied.
void ResetTempTable(store::Connection& connection, const std::string& name, const std::string& columns,
                    TempRows rows = TempRows::KeyOrder);

}  // namespace server::modules
