#pragma once
// BackendTest: a test that runs once on SQLite and once on PostgreSQL, each time on a
// fresh database of its own with the schema created. The PostgreSQL run is skipped
// with a message when VQR_PG_URL is unset.
//
//   class PricesTest : public servertest::BackendTest {};
//   TEST_P(PricesTest, ...) { db().execute(...); }
//   VQR_BACKEND_SUITE(PricesTest);
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "server/store/connection.h"
#include "server/store/store.h"
#include "support/temp_dir.h"
#include "tests/support/pg_database.h"

namespace servertest {

using server::store::Backend;

class BackendTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override;

  // Whether SetUp creates the schema.
  virtual bool wantsSchema() const { return true; }

  bool postgres() const { return GetParam() == Backend::PostgreSQL; }
  const std::string& target() const { return target_; }
  // A database no connection has touched yet: a new file name on SQLite, the test's
  // own (still empty unless wantsSchema) database on PostgreSQL.
  std::string untouchedTarget() const;
  server::store::Store& store() { return *store_; }
  // A connection of the test's own, outside the pool.
  server::store::Connection& db() { return *connection_; }

  // Rows of a query as texts, "<null>" for a null cell.
  std::vector<std::vector<std::string>> rows(const std::string& sql, const server::store::Params& params = {});
  std::int64_t count(const std::string& table, const std::string& where = "", const server::store::Params& params = {});

 private:
  std::unique_ptr<vqrtest::TempDir> dir_;
  std::unique_ptr<vqrtest::PgDatabase> pg_;
  std::string target_;
  std::unique_ptr<server::store::Store> store_;
  std::unique_ptr<server::store::Connection> connection_;
};

std::string BackendParamName(const ::testing::TestParamInfo<Backend>& info);

}  // namespace servertest

#define VQR_BACKEND_SUITE(Suite)                                                                      \
  INSTANTIATE_TEST_SUITE_P(Backends, Suite,                                                           \
                           ::testing::Values(::servertest::Backend::SQLite, ::servertest::Backend::PostgreSQL), \
                           ::servertest::BackendParamName)
