#pragma once
// The database schema: tables, keys, foreign keys and indexes, with the same table and
// column names on SQLite and PostgreSQL. Dates are DATE on PostgreSQL and ISO-8601
// text on SQLite.
//
// TABPRECLIEHIST keeps one row per change of TABPRECLIE: the customer and product, the
// price and dates before (null when the price was created) and after (null when it
// was removed), the origin of the change (kHistoryManual, kHistoryRecalc,
// kHistoryCopy) and the time of the change.
#include <vector>

#include "server/store/connection.h"

namespace server::store {

inline constexpr char kHistoryManual = 'M';
inline constexpr char kHistoryRecalc = 'R';
inline constexpr char kHistoryCopy = 'C';

// The tables in creation order (parents first).
const std::vector<const char*>& SchemaTables();

// Creates every table and index; the caller provides the transaction.
void CreateSchema(Connection& connection);
// True when the schema's tables are there.
bool HasSchema(Connection& connection);
// Drops every table of the schema that exists (children first).
void DropSchema(Connection& connection);

}  // namespace server::store
