#pragma once
// The database schema: tables, keys, foreign keys and indexes, with the same table and
// column names on SQLite and PostgreSQL. Dates are DATE on PostgreSQL and ISO-8601
// text on SQLite.
//
// TABPRECLIEHIST keeps one row per change of TABPRECLIE: the customer and product, the
// price and dates before (null when the price was created) and after (null when it
// was removed), the origin of the change (kHistoryManual, kHistoryRecalc,
// kHistoryCopy, kHistoryUndo), the time of the change and, for a recalculation, copy or
// undo, the number of its batch (null for a manual change).
//
// TABPRECLIELOTE has one row per batch: its origin, the customer the command ran for
// (the source of a copy), its time, how many prices it wrote, and the batch that undid
// it (NRLOTEDESF, null while it stands). COMPPRECLIELOTE keeps, for a formula copy,
// every target's formula before (IDVERSAO "A") and after (IDVERSAO "N") the copy.
//
// SCHEMAVERSAO holds the schema's version; a database made before it had one is at
// version 1 and UpgradeSchema brings it up to date.
#include <string>
#include <vector>

#include "server/store/connection.h"

namespace server::store {

inline constexpr char kHistoryManual = 'M';
inline constexpr char kHistoryRecalc = 'R';
inline constexpr char kHistoryCopy = 'C';
inline constexpr char kHistoryUndo = 'D';

// Version 2: batch numbers, the undo origin, the batch tables and the history's
// indexes by (customer, product, time), (customer, time) and batch.
inline constexpr int kSchemaVersion = 2;

// The tables in creation order (parents first).
const std::vector<const char*>& SchemaTables();

// Creates every table and index; the caller provides the transaction.
void CreateSchema(Connection& connection);
// True when every table of the current schema is there.
bool HasSchema(Connection& connection);
// True when the tables of the first version are there (UpgradeSchema can take it on).
bool HasBaseSchema(Connection& connection);
bool TableExists(Connection& connection, const char* table);

// The parts of the schema a migration re-creates: the history table under a name, its
// indexes, and the tables of batches and of the schema version.
std::string HistorySql(Backend backend, const char* table);
std::string HistoryIndexSql();
std::string BatchSql(Backend backend);
// Drops every table of the schema that exists (children first).
void DropSchema(Connection& connection);

}  // namespace server::store
