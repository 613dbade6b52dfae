#include "tests/support/pg_database.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace vqrtest {

std::optional<std::string> PostgresUrl() {
  const char* url = std::getenv("VQR_PG_URL");
  if (!url || !*url) return std::nullopt;
  return std::string(url);
}

std::string WithDatabase(const std::string& url, const std::string& database) {
  std::size_t scheme = url.find("://");
  std::size_t start = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  std::size_t query = url.find('?', start == std::string::npos ? 0 : start);
  std::string tail = query == std::string::npos ? "" : url.substr(query);
  std::string head = start == std::string::npos ? url.substr(0, query) : url.substr(0, start);
  return head + "/" + database + tail;
}

void RunPostgres(const std::string& url, const std::string& sql) {
  PGconn* conn = PQconnectdb(url.c_str());
  if (PQstatus(conn) != CONNECTION_OK) {
    std::string message = PQerrorMessage(conn);
    PQfinish(conn);
    throw std::runtime_error("cannot connect to " + url + ": " + message);
  }
  PGresult* result = PQexec(conn, sql.c_str());
  bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
  std::string message = PQresultErrorMessage(result);
  PQclear(result);
  PQfinish(conn);
  if (!ok) throw std::runtime_error(sql + ": " + message);
}

PgDatabase::PgDatabase(const std::string& serverUrl) : serverUrl_(serverUrl) {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count() % 1000000;
  name_ = "vqrtest_" + std::to_string(getpid()) + "_" + std::to_string(++counter) + "_" + std::to_string(stamp);
  RunPostgres(serverUrl_, "CREATE DATABASE " + name_);
  url_ = WithDatabase(serverUrl_, name_);
}

PgDatabase::~PgDatabase() {
  try {
    RunPostgres(serverUrl_, "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  } catch (const std::exception&) {
    // The cluster is thrown away after the run; a database left behind costs nothing.
  }
}

}  // namespace vqrtest
