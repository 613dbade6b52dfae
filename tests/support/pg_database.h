#pragma once
// PostgreSQL for tests. The throwaway cluster that scripts/test.sh (or
// `eval "$(scripts/pg-throwaway.sh start)"`) starts exports its URL in VQR_PG_URL.
//
// PgDatabase creates a database with a unique name on that server for one test and
// drops it, with every connection still open to it, when it goes away.
#include <optional>
#include <string>

namespace vqrtest {

// VQR_PG_URL, or nullopt when unset or empty.
std::optional<std::string> PostgresUrl();

// The message a PostgreSQL case gives GTEST_SKIP() when VQR_PG_URL is unset.
inline constexpr const char* kNoPostgresMessage =
    "VQR_PG_URL is unset: PostgreSQL cases are skipped (scripts/test.sh starts a throwaway cluster)";

// `url` with its database name replaced by `database`.
std::string WithDatabase(const std::string& url, const std::string& database);

// Runs one statement on the server of `url` (no result); raises std::runtime_error.
void RunPostgres(const std::string& url, const std::string& sql);

class PgDatabase {
 public:
  explicit PgDatabase(const std::string& serverUrl);
  ~PgDatabase();
  PgDatabase(const PgDatabase&) = delete;
  PgDatabase& operator=(const PgDatabase&) = delete;

  const std::string& name() const noexcept { return name_; }
  const std::string& url() const noexcept { return url_; }

 private:
  std::string serverUrl_;
  std::string name_;
  std::string url_;
};

}  // namespace vqrtest
