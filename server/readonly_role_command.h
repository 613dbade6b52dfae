#pragma once
// `appserver readonly-role --db postgresql://... --role NAME`: the PostgreSQL role the
// hosts' read-only queries (searches, reports) use, so no host holds the right to
// write: it may connect to the database and read its business tables
// (store::ReadableTables), nothing else, not even the users' password hashes or the
// sessions, and its transactions are read-only by default. Run again, it sets the
// password anew. The password comes from standard input (password_input.h).
//
// SQLite needs none: the host opens the file read-only.
#include <string>

namespace server {

struct ReadOnlyRoleOptions {
  std::string database;
  std::string role;
};

// Returns what to print; raises platform::Exception (or store::StoreError) otherwise.
std::string RunReadOnlyRole(const ReadOnlyRoleOptions& options, const std::string& password);

}  // namespace server
