#include "tests/server/backend_fixture.h"

#include "server/store/schema.h"

namespace servertest {

void BackendTest::SetUp() {
  if (postgres()) {
    auto url = vqrtest::PostgresUrl();
    if (!url) GTEST_SKIP() << vqrtest::kNoPostgresMessage;
    pg_ = std::make_unique<vqrtest::PgDatabase>(*url);
    target_ = pg_->url();
  } else {
    dir_ = std::make_unique<vqrtest::TempDir>();
    target_ = dir_->file("test.db");
  }
  store_ = server::store::Store::Open(target_, server::store::Store::Mode::Create);
  connection_ = store_->connect();
  if (wantsSchema()) server::store::CreateSchema(*connection_);
}

std::string BackendTest::untouchedTarget() const { return dir_ ? dir_->file("untouched.db") : target_; }

std::vector<std::vector<std::string>> BackendTest::rows(const std::string& sql, const server::store::Params& params) {
  std::vector<std::vector<std::string>> result;
  db().query(sql, params, [&](const server::store::Row& row) {
    std::vector<std::string> cells;
    for (int col = 0; col < row.columnCount(); ++col) cells.push_back(row.isNull(col) ? "<null>" : row.text(col));
    result.push_back(std::move(cells));
  });
  return result;
}

std::int64_t BackendTest::count(const std::string& table, const std::string& where, const server::store::Params& params) {
  return *db().queryInteger("SELECT COUNT(*) FROM " + table + (where.empty() ? "" : " WHERE " + where), params);
}

std::string BackendParamName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

}  // namespace servertest
