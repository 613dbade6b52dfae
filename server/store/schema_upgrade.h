#pragma once
// Bringing an existing database up to the current schema (schema.h). The server calls
// it when it opens a database: a database of the current version is left as it is; an
// older one is migrated in one transaction, keeping every row of its history; one newer
// than this server knows is refused.
#include "server/store/connection.h"

namespace server::store {

// The version the database is at: 1 when it has no version table.
int SchemaVersionOf(Connection& connection);

// Migrates the database to kSchemaVersion; returns the version it was at.
int UpgradeSchema(Connection& connection);

}  // namespace server::store
