// The product search list's query through the framework's read-only connection
// (TADOIBQuery: bind, run, build the packet, load the client dataset) against the bare
// database client reading the same rows into strings, measured in the same run.
//   bench_framework_query [--pg] [--products N]
#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/server_bench_common.h"
#include "contracts/framework/adoibquery.h"
#include "contracts/framework/host_configuration.h"
#include "server/demo/demo_data.h"
#include "server/init_command.h"

namespace {

constexpr const char* kFrameworkSql =
    "SELECT CDPRODUTO, CDARVPROD, NMPRODUTO FROM PRODUTO "
    "WHERE ((CDARVPROD = :P_CDARVPROD)OR(:P_TCDPRODUTO = 'T')) ORDER BY CDARVPROD, NMPRODUTO";

std::size_t BareSqlite(sqlite3* db) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT CDPRODUTO, CDARVPROD, NMPRODUTO FROM PRODUTO WHERE ((CDARVPROD = ?1)OR(?2 = 'T')) "
                     "ORDER BY CDARVPROD, NMPRODUTO",
                     -1, &statement, nullptr);
  sqlite3_bind_text(statement, 1, "", 0, SQLITE_STATIC);
  sqlite3_bind_text(statement, 2, "T", 1, SQLITE_STATIC);
  std::vector<std::string> cells;
  while (sqlite3_step(statement) == SQLITE_ROW)
    for (int c = 0; c < 3; ++c) cells.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
  sqlite3_finalize(statement);
  return cells.size() / 3;
}

std::size_t BarePostgres(PGconn* conn) {
  const char* values[2] = {"", "T"};
  PGresult* result = PQexecParams(conn,
                                  "SELECT CDPRODUTO, CDARVPROD, NMPRODUTO FROM PRODUTO WHERE ((CDARVPROD = $1)OR($2 = 'T')) "
                                  "ORDER BY CDARVPROD, NMPRODUTO",
                                  2, nullptr, values, nullptr, nullptr, 0);
  std::vector<std::string> cells;
  for (int r = 0; r < PQntuples(result); ++r)
    for (int c = 0; c < 3; ++c) cells.emplace_back(PQgetvalue(result, r, c));
  PQclear(result);
  return cells.size() / 3;
}

std::size_t Framework() {
  Adoibquery::TADOIBQuery query;
  query.SQL.SetText(kFrameworkSql);
  query.AddField<Adoibquery::TADOIBStringField>("CDPRODUTO", 10);
  query.AddField<Adoibquery::TADOIBStringField>("CDARVPROD", 20);
  query.AddField<Adoibquery::TADOIBStringField>("NMPRODUTO", 50);
  query.ParamByName("P_CDARVPROD").SetAsString("");
  query.ParamByName("P_TCDPRODUTO").SetAsString("T");
  query.Open();
  return static_cast<std::size_t>(query.RecordCount());
}

std::size_t ProductsOption(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--products") return std::strtoul(argv[i + 1], nullptr, 10);
  return 20000;
}

}  // namespace

int main(int argc, char** argv) {
  const bool postgres = bench::HasFlag(argc, argv, "--pg");
  bench::Scratch scratch(postgres);
  server::InitOptions init;
  init.database = scratch.create("products");
  init.demo = true;
  init.demoOptions.customers = 10;
  init.demoOptions.products = std::min(ProductsOption(argc, argv), server::demo::MaxDemoProducts());
  server::RunInit(init);

  framework::HostConfiguration configuration;
  configuration.database = init.database;
  framework::SetHostConfiguration(configuration);

  // Both sides keep their connection open across runs, as a session does.
  sqlite3* lite = nullptr;
  PGconn* pg = nullptr;
  if (postgres)
    pg = PQconnectdb(init.database.c_str());
  else
    sqlite3_open_v2(init.database.c_str(), &lite, SQLITE_OPEN_READONLY, nullptr);
  constexpr int kRuns = 20;
  std::size_t bareRows = 0, frameworkRows = 0;
  auto bare = [&] { bareRows = postgres ? BarePostgres(pg) : BareSqlite(lite); };
  bare();
  frameworkRows = Framework();
  const double bareSeconds = bench::Seconds([&] {
    for (int i = 0; i < kRuns; ++i) bare();
  });
  const double frameworkSeconds = bench::Seconds([&] {
    for (int i = 0; i < kRuns; ++i) frameworkRows = Framework();
  });
  std::printf("backend %s, %zu rows (bare %zu)\n", postgres ? "PostgreSQL" : "SQLite", frameworkRows, bareRows);
  std::printf("bare client        %8.2f ms per query\n", bareSeconds * 1000 / kRuns);
  std::printf("TADOIBQuery.Open   %8.2f ms per query  (%.2fx the bare client)\n", frameworkSeconds * 1000 / kRuns,
              frameworkSeconds / bareSeconds);
  Adoibquery::dtmDBGeral->adcGeral->Close();
  if (pg) PQfinish(pg);
  if (lite) sqlite3_close(lite);
  return 0;
}
