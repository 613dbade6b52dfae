#pragma once
// A Connection to a SQLite file: WAL journal, a busy timeout so concurrent writers
// wait for each other instead of failing, foreign keys enforced, VQR_ROUND3 registered
// (price_round.h). Opened in multi-thread mode: one connection per thread at a time.
#include <memory>
#include <string>

#include "server/store/connection.h"

namespace server::store {

inline constexpr int kSQLiteBusyTimeoutMs = 30'000;

// Raises StoreError when the file cannot be opened (or, without `create`, does not exist).
std::unique_ptr<Connection> OpenSQLite(const std::string& path, bool create);

}  // namespace server::store
