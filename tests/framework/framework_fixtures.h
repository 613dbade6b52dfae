#pragma once
// Fixtures of the framework's tests.
//
// DemoDatabase: a fresh database with the schema and the deterministic demo data, on
// SQLite (a file in a temp dir) or PostgreSQL (a database of its own on VQR_PG_URL).
// writer() is a read-write connection of the test's own, to arrange rows and to see
// what the read-only side changed (nothing).
//
// ConfigScope: sets the host configuration for one test and restores the previous
// one (and closes the shared read-only connection) when it goes away.
//
// LoopbackAppServer: a real `appserver serve` process over a DemoDatabase on a free
// loopback port; Point(net, serverName) aims a connection at it.
//
// BackendTest: a test run once per database backend (PostgreSQL skipped with a
// message when VQR_PG_URL is unset); db() is its DemoDatabase, configured as the
// host's database for the test.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "contracts/framework/host_configuration.h"
#include "contracts/framework/netconnection.h"
#include "platform/net/socket_connection.h"
#include "server/store/connection.h"
#include "server/store/store.h"

namespace vqrtest {
class TempDir;
class PgDatabase;
class AppServerProcess;
}  // namespace vqrtest

namespace fwtest {

using server::store::Backend;

class DemoDatabase {
 public:
  explicit DemoDatabase(Backend backend);
  ~DemoDatabase();
  const std::string& target() const noexcept { return target_; }
  Backend backend() const noexcept { return backend_; }
  server::store::Connection& writer();
  server::store::Store& store() { return *store_; }
  // Rows of a query as texts, "<null>" for a null cell.
  std::vector<std::vector<std::string>> rows(const std::string& sql);
  std::int64_t count(const std::string& table);

 private:
  Backend backend_;
  std::unique_ptr<vqrtest::TempDir> dir_;
  std::unique_ptr<vqrtest::PgDatabase> pg_;
  std::string target_;
  std::unique_ptr<server::store::Store> store_;
  std::unique_ptr<server::store::Connection> writer_;
};

class ConfigScope {
 public:
  explicit ConfigScope(framework::HostConfiguration configuration);
  ~ConfigScope();

 private:
  framework::HostConfiguration previous_;
};

class LoopbackAppServer {
 public:
  explicit LoopbackAppServer(DemoDatabase& database);
  ~LoopbackAppServer();
  std::uint16_t port() const;
  void Point(platform::TSocketConnection& net, const std::string& serverName) const;
  // Stops the server (calls fail to connect afterwards).
  void stop();

 private:
  std::unique_ptr<vqrtest::AppServerProcess> server_;
};

// A demo database on SQLite served on loopback, and `net` aimed at the remote data
// module `serverName` of that server.
class ServedDemoTest : public ::testing::Test {
 protected:
  explicit ServedDemoTest(std::string serverName) : serverName_(std::move(serverName)) {}
  void SetUp() override { server.Point(net, serverName_); }

  DemoDatabase db{Backend::SQLite};
  LoopbackAppServer server{db};
  Netconnection::TNetConnection net;

 private:
  std::string serverName_;
};

class BackendTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override;
  void TearDown() override;
  DemoDatabase& db() { return *db_; }
  bool postgres() const { return GetParam() == Backend::PostgreSQL; }

 private:
  std::unique_ptr<DemoDatabase> db_;
  std::unique_ptr<ConfigScope> config_;
};

std::string BackendName(const ::testing::TestParamInfo<Backend>& info);

}  // namespace fwtest

#define FW_BACKEND_SUITE(Suite)                                                                   \
  INSTANTIATE_TEST_SUITE_P(Backends, Suite,                                                       \
                           ::testing::Values(::fwtest::Backend::SQLite, ::fwtest::Backend::PostgreSQL), \
                           ::fwtest::BackendName)
