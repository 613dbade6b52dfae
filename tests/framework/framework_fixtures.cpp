#include "tests/framework/framework_fixtures.h"

#include "contracts/framework/adoibquery.h"
#include "server/init_command.h"
#include "support/app_server_process.h"
#include "support/temp_dir.h"
#include "support/in_process/test_users.h"
#include "tests/support/pg_database.h"
#include "tests/support/rpc_test_server.h"

namespace fwtest {

namespace {

server::demo::DemoOptions SmallDemo() {
  server::demo::DemoOptions options;
  options.customers = 12;
  options.products = 40;
  return options;
}

}  // namespace

DemoDatabase::DemoDatabase(Backend backend) : backend_(backend) {
  if (backend == Backend::PostgreSQL) {
    const auto url = vqrtest::PostgresUrl();
    if (!url) throw std::runtime_error(vqrtest::kNoPostgresMessage);
    pg_ = std::make_unique<vqrtest::PgDatabase>(*url);
    target_ = pg_->url();
  } else {
    dir_ = std::make_unique<vqrtest::TempDir>();
    target_ = dir_->file("demo.db");
  }
  server::InitOptions init;
  init.database = target_;
  init.demo = true;
  init.demoOptions = SmallDemo();
  server::RunInit(init);
  store_ = server::store::Store::Open(target_);
  vqrtest::AddTestUser(writer());
}

DemoDatabase::~DemoDatabase() {
  Adoibquery::dtmDBGeral->adcGeral->Close();
  writer_.reset();
  store_.reset();
}

server::store::Connection& DemoDatabase::writer() {
  if (!writer_) writer_ = store_->connect();
  return *writer_;
}

std::vector<std::vector<std::string>> DemoDatabase::rows(const std::string& sql) {
  std::vector<std::vector<std::string>> result;
  writer().query(sql, {}, [&](const server::store::Row& row) {
    std::vector<std::string> cells;
    for (int col = 0; col < row.columnCount(); ++col) cells.push_back(row.isNull(col) ? "<null>" : row.text(col));
    result.push_back(std::move(cells));
  });
  return result;
}

std::int64_t DemoDatabase::count(const std::string& table) {
  return *writer().queryInteger("SELECT COUNT(*) FROM " + table, {});
}

ConfigScope::ConfigScope(framework::HostConfiguration configuration) : previous_(framework::GetHostConfiguration()) {
  Adoibquery::dtmDBGeral->adcGeral->Close();
  framework::SetHostConfiguration(std::move(configuration));
}

ConfigScope::~ConfigScope() {
  Adoibquery::dtmDBGeral->adcGeral->Close();
  framework::SetHostConfiguration(previous_);
}

LoopbackAppServer::LoopbackAppServer(DemoDatabase& database) {
  vqrtest::AppServerProcess::Options options;
  options.database = database.target();
  options.threads = 2;
  server_ = std::make_unique<vqrtest::AppServerProcess>(options);
}

LoopbackAppServer::~LoopbackAppServer() = default;

std::uint16_t LoopbackAppServer::port() const { return server_->port(); }

void LoopbackAppServer::Point(platform::TSocketConnection& net, const std::string& serverName) const {
  vqrtest::PointAt(net, server_->port(), nullptr, serverName);
  vqrtest::SignInAs(net);
}

void LoopbackAppServer::stop() { server_->stop(); }

void BackendTest::SetUp() {
  if (postgres() && !vqrtest::PostgresUrl()) GTEST_SKIP() << vqrtest::kNoPostgresMessage;
  db_ = std::make_unique<DemoDatabase>(GetParam());
  framework::HostConfiguration configuration;
  configuration.database = db_->target();
  config_ = std::make_unique<ConfigScope>(configuration);
}

void BackendTest::TearDown() {
  config_.reset();
  db_.reset();
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

}  // namespace fwtest
