#pragma once
// The database schema: tables, keys, foreign keys and indexes, with the same table and
// column names on SQLite and PostgreSQL. Dates are DATE on PostgreSQL and ISO-8601
// text on SQLite.
//
// TABPRECLIEHIST keeps one row per change of TABPRECLIE: the customer and product, the
// price and dates before (null when the price was created) and after (null when it
// was removed), the origin of the change (kHistoryManual, kHistoryRecalc,
// kHistoryCopy, kHistoryUndo, kHistoryImport), the time of the change, the user who made it (CDUSUARIO)
// and, for a recalculation, copy, import or undo, the number of its batch (null for a manual
// change). Rows written before users were recorded carry kUserBeforeSignIn. A row's
// number (NRSEQHIST) is taken while the price is locked: a product's rows in number
// order are its changes in the order they were applied.
//
// TABPRECLIELOTE has one row per batch: its origin, the customer the command ran for
// (the source of a copy), its time, the user who ran it, how many prices it wrote (-1
// until it is closed, modules/batches.h), and
// the batch that undid it (NRLOTEDESF, null while it stands). COMPPRECLIELOTE keeps, for a formula copy,
// every target's formula before (IDVERSAO "A") and after (IDVERSAO "N") the copy.
//
// USUARIO holds the users who may sign in: login (CDUSUARIO, lower case), name, role
// (IDPAPEL: consulta, precos, reajuste, admin), whether active, the Argon2id hash of the
// password and when it was set. SESSAOUSUARIO holds the open sessions: the hash of the
// session's token (never the token), its user, when it began and when it was last used
// (times in UTC).
//
// CHAMADAGRAVADA holds the writes applied for remote calls that carry an id
// (applied_call.h): the id, the user who called, when (UTC) and the encoded reply.
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
inline constexpr char kHistoryImport = 'I';

// Version 2: batch numbers, the undo origin, the batch tables and the history's
// indexes by (customer, product, time), (customer, time) and batch.
// Version 3: the users, their sessions, and the user of every change and batch.
// Version 4: the history's indexes by (customer, product, number) and (customer,
// number): its numbers are the order the changes were applied (modules/price_writer.h).
// Version 5: the import origin "I" in the history and the batches.
// Version 6: the applied calls.
// Version 7: the history's batch index holds only the changes made by a batch.
// Version 8: each batch keeps the range of history numbers its changes took; SQLite,
// whose history rows of a batch are numbered one after the other, finds them by that
// range and keeps no batch index.
inline constexpr int kSchemaVersion = 8;

// The user of the changes made before the history recorded one.
inline constexpr const char* kUserBeforeSignIn = "(anterior)";

// The tables in creation order (parents first).
const std::vector<const char*>& SchemaTables();

// The tables a reader of the business data may see: every one but the users', the
// sessions', the applied calls' and the schema version's.
const std::vector<const char*>& ReadableTables();

// Creates every table and index; the caller provides the transaction.
void CreateSchema(Connection& connection);
// True when every table of the current schema is there.
bool HasSchema(Connection& connection);
// True when the tables of the first version are there (UpgradeSchema can take it on).
bool HasBaseSchema(Connection& connection);
bool TableExists(Connection& connection, const char* table);

// The parts of the schema a migration re-creates, in the shape of a given version: the
// history table under a name, its indexes, the tables of batches and of the schema
// version, and those of users and sessions.
std::string HistorySql(Backend backend, const char* table, int version = kSchemaVersion);
// The history table's columns but its number NRSEQHIST, as a CREATE TABLE lists them.
std::string HistoryRowColumns(Backend backend, int version = kSchemaVersion);
// The columns, key and checks of a table of special prices: TABPRECLIE without its
// foreign keys (a preview's own copy of the prices has none).
std::string PriceRowColumns(Backend backend);
// The history's indexes at that version: on SQLite from version 8 on, none by batch.
std::string HistoryIndexSql(Backend backend, int version = kSchemaVersion);
std::string BatchSql(Backend backend, int version = kSchemaVersion);
// The batch table alone, under a name.
std::string BatchTableSql(Backend backend, const char* table, int version = kSchemaVersion);
std::string UsersSql(Backend backend);
std::string AppliedCallsSql(Backend backend);
// Drops every table of the schema that exists (children first).
void DropSchema(Connection& connection);

}  // namespace server::store
