#pragma once
// A Connection to PostgreSQL through libpq: text-format parameters and results, floats
// sent and read with every digit they need (exact round trip), ISO dates, bulk loads
// through COPY. Notices below warnings are not reported.
#include <memory>
#include <string>

#include "server/store/connection.h"

namespace server::store {

// Raises StoreError (Connection) when the server cannot be reached.
std::unique_ptr<Connection> OpenPostgreSQL(const std::string& url);

}  // namespace server::store
