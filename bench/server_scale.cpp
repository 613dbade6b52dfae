// The everyday work on one customer's prices, and the copies to a thousand customers,
// as the price book grows from 250,000 to 25 million prices: each operation through
// the data module's handler on books of each size, its figure at each size and its
// growth from the smallest size to the largest.
//
// Every book holds 5,000 products and 6,000 customers: every sixth customer holds no
// price (the copies' 1,000 targets), the others are priced for every product, from the
// first up, until the book holds its size (50 customers for 250,000 prices, 5,000 for
// 25 million). Customer 000001, the one measured, has the same 5,000 prices, formula
// and costs at every size, and a million history rows besides the one row of history
// every price has.
//
//   bench_server_scale [--pg] [--sizes 250000,2500000,25000000] [--runs N] [--build-only]
//
// Books are built once, set-based, and kept for the next run: SQLite files in
// $VQR_SCALE_DIR (default build/scale-cache), PostgreSQL databases vqrscale_<size> on
// the server of VQR_PG_URL. Each write is taken back (its batch undone, the history and
// batch rows it added removed) so every figure is taken on the same book; the book's
// fingerprint is checked before and after.
#include <fmt/format.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "bench/price_report_run.h"
#include "bench/server_bench_common.h"
#include "contracts/server/customer_list.h"
#include "server/store/schema.h"
#include "server/store/schema_upgrade.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace {

using platform::Variant;
using server::store::Backend;
using server::store::Connection;

constexpr int kProducts = 5000;
constexpr int kCustomers = 6000;
constexpr int kTargetEvery = 6;
constexpr int kCustomerHistory = 1000000;
constexpr const char* kCustomer = "000001";
constexpr const char* kSavedProduct = "002500";
// The copies reach products 0 to 999.
constexpr const char* kFirstCopied = "101001";
constexpr const char* kLastCopied = "102001";

std::string CustomerCode(int number) { return fmt::format("{:06d}", number); }

// Priced customers come first, in numbers that skip the targets: `prices` / kProducts of
// them, the last numbered `LastPricedNumber`.
int LastPricedNumber(long long prices) {
  return static_cast<int>(prices / kProducts * kTargetEvery / (kTargetEvery - 1));
}

std::string CopyTargets() {
  std::vector<std::string> codes;
  for (int i = kTargetEvery; i <= kCustomers; i += kTargetEvery) codes.push_back(CustomerCode(i));
  return contracts::server::EncodeCustomerList(codes);
}

// ---------------------------------------------------------------------------------
// Building a book

// Schema, branch, cost type, factors, customers, products, costs and the measured
// customer's formula; the history's indexes are left to be built after the load.
void WriteReferenceData(const std::string& target) {
  bench::NewDatabase db(target);
  auto& c = *db.c;
  auto customers = c.bulkWriter("CLIENTE", {"CDCLIENTE", "NRINSJURCLIE", "NMRAZSOCCLIE", "NMFANTCLIE", "IDTPIJURCLIE"});
  for (int i = 1; i <= kCustomers; ++i)
    customers->add({CustomerCode(i), fmt::format("{:014d}", i), fmt::format("Cliente {}", i), Variant::Null(), "J"});
  customers->finish();
  bench::WriteLeafProducts(c, kProducts, "Produto {}");
  auto costs = c.bulkWriter("CUSTOPRODUTO", {"CDFILIAL", "CDPRODUTO", "NRTIPOCUSTO", "VRCUSTO"});
  for (int i = 0; i < kProducts; ++i)
    costs->add({"001", fmt::format("{:06d}", i), std::int64_t{1}, 1.0 + (i % 997) * 0.01});
  costs->finish();
  c.executeScript(
      "INSERT INTO COMPPRECLIE VALUES ('000001', '001', '001', 'N', 1.30, 'MUL');"
      "INSERT INTO COMPPRECLIE VALUES ('000001', '002', '002', 'N', 0.82, 'DIV');"
      "INSERT INTO COMPPRECLIE VALUES ('000001', '005', '003', 'M', 2.00, 'SUM');"
      "DROP INDEX IXTABPRECLIEHIST_PRODSEQ; DROP INDEX IXTABPRECLIEHIST_CLIESEQ; DROP INDEX IF EXISTS IXTABPRECLIEHIST_LOTE;");
  db.tx.commit();
}

// The prices of the priced customers numbered `first` to `last`, in key order, and
// their history rows.
void LoadPrices(Connection& c, int first, int last) {
  server::store::Transaction tx(c);
  if (c.backend() == Backend::PostgreSQL) c.executeScript("SET LOCAL work_mem = '256MB'");
  c.execute(
      "INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) SELECT C.CDCLIENTE, "
      "P.CDPRODUTO, 1.0 + ((CAST(C.CDCLIENTE AS INTEGER) * 7 + CAST(P.CDPRODUTO AS INTEGER)) % 1000) * 0.01, NULL, "
      "NULL FROM CLIENTE C CROSS JOIN PRODUTO P WHERE C.CDCLIENTE BETWEEN $1 AND $2 AND "
      "CAST(C.CDCLIENTE AS INTEGER) % 6 <> 0 ORDER BY C.CDCLIENTE, P.CDPRODUTO",
      {CustomerCode(first), CustomerCode(last)});
  server::store::SqlBuilder b(c.backend());
  const std::string from = b.textParam(CustomerCode(first)), to = b.textParam(CustomerCode(last));
  c.execute(
      "INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECOANT, VRPRECONOV, IDORIGALT, DTHRALT, CDUSUARIO) "
      "SELECT CDCLIENTE, CDPRODUTO, VRPRECOPROD + 1, VRPRECOPROD, 'M', " +
          b.timestampParam("2025-06-02T08:00:00") + ", 'carga' FROM TABPRECLIE WHERE CDCLIENTE BETWEEN " + from +
          " AND " + to + " ORDER BY CDCLIENTE, CDPRODUTO",
      b.params());
  tx.commit();
}

// The measured customer's earlier million changes: 200 of every product.
void LoadCustomerHistory(Connection& c) {
  server::store::Transaction tx(c);
  server::store::SqlBuilder b(c.backend());
  c.execute(
      "INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECOANT, VRPRECONOV, IDORIGALT, DTHRALT, CDUSUARIO) "
      "SELECT " + b.textParam(kCustomer) + ", P.CDPRODUTO, 2.0, 3.0, 'M', " + b.timestampParam("2025-01-02T08:00:00") +
          ", 'carga' FROM CLIENTE K CROSS JOIN PRODUTO P WHERE K.CDCLIENTE <= " +
          b.textParam(CustomerCode(kCustomerHistory / kProducts)) + " ORDER BY K.CDCLIENTE, P.CDPRODUTO",
      b.params());
  tx.commit();
}

void BuildBook(const std::string& target, long long prices) {
  WriteReferenceData(target);
  auto store = server::store::Store::Open(target);
  auto c = store->connect();
  // The rows come from a join of the customers and products themselves: PostgreSQL's
  // foreign key triggers, one call per row, are left out of the load.
  if (c->backend() == Backend::PostgreSQL) c->executeScript("ALTER TABLE TABPRECLIE DISABLE TRIGGER ALL");
  LoadCustomerHistory(*c);
  const int lastPriced = LastPricedNumber(prices);
  for (int first = 1; first <= lastPriced; first += 600) {
    LoadPrices(*c, first, std::min(lastPriced, first + 599));
    std::printf("    %d of %d customers loaded\n", std::min(lastPriced, first + 599), lastPriced);
    std::fflush(stdout);
  }
  if (c->backend() == Backend::PostgreSQL) c->executeScript("ALTER TABLE TABPRECLIE ENABLE TRIGGER ALL");
  if (c->backend() == Backend::PostgreSQL) c->executeScript("SET maintenance_work_mem = '512MB'");
  c->executeScript(server::store::HistoryIndexSql(c->backend()));
  c->executeScript("ANALYZE");
  if (c->backend() == Backend::SQLite) c->executeScript("PRAGMA wal_checkpoint(TRUNCATE)");
}

// ---------------------------------------------------------------------------------
// The kept books

// A kept book brought to this server's schema, as the server does when it opens a
// database, with the statistics made again when it changed.
void Upgrade(const std::string& target) {
  auto c = server::store::Store::Open(target)->connect();
  const double seconds = bench::Seconds([&] {
    if (server::store::UpgradeSchema(*c) != server::store::kSchemaVersion) c->executeScript("ANALYZE");
  });
  if (seconds > 1) std::printf("    schema upgraded in %.0f s\n", seconds);
}

class BookCache {
 public:
  explicit BookCache(bool postgres) {
    if (postgres) {
      serverUrl_ = bench::PostgresServerUrl();
      return;
    }
    const char* dir = std::getenv("VQR_SCALE_DIR");
    dir_ = dir && *dir ? std::filesystem::path(dir) : std::filesystem::path(VQR_BINARY_DIR) / "scale-cache";
    std::filesystem::create_directories(dir_);
  }

  bool postgres() const { return !serverUrl_.empty(); }
  std::string where() const { return postgres() ? "databases vqrscale_<size> on " + serverUrl_ : dir_.string(); }

  // The book of `prices`, built first when it is not kept yet (built under another
  // name and renamed once whole). Sets `builtSeconds` when it had to be built.
  std::string book(long long prices, double& builtSeconds) {
    const std::string name = fmt::format("vqrscale_{}", prices);
    if (exists(name)) {
      Upgrade(target(name));
      return target(name);
    }
    remove(name + "_part");
    create(name + "_part");
    builtSeconds = bench::Seconds([&] { BuildBook(target(name + "_part"), prices); });
    rename(name + "_part", name);
    return target(name);
  }

 private:
  std::string target(const std::string& name) const {
    return postgres() ? bench::DatabaseUrl(serverUrl_, name) : (dir_ / (name + ".db")).string();
  }
  bool exists(const std::string& name) {
    if (!postgres()) return std::filesystem::exists(target(name));
    return admin().exists("SELECT 1 FROM pg_database WHERE datname = $1", {name});
  }
  void create(const std::string& name) {
    if (postgres()) admin().executeScript("CREATE DATABASE " + name);
  }
  void remove(const std::string& name) {
    if (postgres()) {
      admin().executeScript("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
      return;
    }
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(target(name) + suffix);
  }
  void rename(const std::string& from, const std::string& to) {
    if (postgres()) {
      admin().executeScript("ALTER DATABASE " + from + " RENAME TO " + to);
      return;
    }
    for (const char* suffix : {"-wal", "-shm"})
      if (std::filesystem::exists(target(from) + suffix)) throw std::runtime_error(target(from) + suffix + " was left");
    std::filesystem::rename(target(from), target(to));
  }
  Connection& admin() {
    if (!adminConnection_) adminConnection_ = server::store::Store::Open(serverUrl_)->connect();
    return *adminConnection_;
  }

  std::filesystem::path dir_;
  std::string serverUrl_;
  std::unique_ptr<Connection> adminConnection_;
};

// ---------------------------------------------------------------------------------
// Measuring one book

// What the checks compare before and after: prices, their sum, formula rows, history
// and batches.
std::string Fingerprint(Connection& c) {
  return fmt::format("{} prices, sum {}, {} formula rows, {} history rows, {} batches",
                     *c.queryInteger("SELECT COUNT(*) FROM TABPRECLIE", {}),
                     *c.queryText("SELECT CAST(ROUND(CAST(SUM(VRPRECOPROD) AS NUMERIC), 2) AS VARCHAR) FROM TABPRECLIE", {}),
                     *c.queryInteger("SELECT COUNT(*) FROM COMPPRECLIE", {}),
                     *c.queryInteger("SELECT COUNT(*) FROM TABPRECLIEHIST", {}),
                     *c.queryInteger("SELECT COUNT(*) FROM TABPRECLIELOTE", {}));
}

// The history's and batches' last numbers, to take back what a write added after them.
struct Marks {
  std::int64_t history = 0;
  std::int64_t batch = 0;
};

Marks MarksOf(Connection& c) {
  return {*c.queryInteger("SELECT COALESCE(MAX(NRSEQHIST), 0) FROM TABPRECLIEHIST", {}),
          *c.queryInteger("SELECT COALESCE(MAX(NRLOTE), 0) FROM TABPRECLIELOTE", {})};
}

void ForgetSince(Connection& c, Marks marks) {
  server::store::Transaction tx(c);
  c.execute("DELETE FROM TABPRECLIEHIST WHERE NRSEQHIST > $1", {marks.history});
  c.execute("DELETE FROM COMPPRECLIELOTE WHERE NRLOTE > $1", {marks.batch});
  c.execute("DELETE FROM TABPRECLIELOTE WHERE NRLOTE > $1", {marks.batch});
  tx.commit();
}

using Figures = std::map<std::string, double>;  // seconds by operation

class BookRun {
 public:
  BookRun(const std::string& target, int runs)
      : store_(server::store::Store::Open(target)), calls_(*store_), c_(store_->connect()), runs_(runs) {}

  std::string fingerprint() { return Fingerprint(*c_); }

  void measureReads(Figures& figures) {
    figures["grid (GetPrecoProd)"] = median([&] { return calls_.seconds("rdmTabPreClie.GetPrecoProd", {kCustomer, 3}); });
    figures["history page, all products"] =
        median([&] { return calls_.seconds("rdmTabPreClie.GetHistPreco", {kCustomer, "", "", 0, 100}); }, 5);
    figures["history page, one product"] = median(
        [&] { return calls_.seconds("rdmTabPreClie.GetHistPreco", {kCustomer, kSavedProduct, "", 0, 100}); }, 5);
    figures["report (price table, PDF)"] =
        median([&] { return bench::Seconds([&] { bench::RunPriceReport(kCustomer, ""); }); });
  }

  void measureWrites(Figures& figures) {
    const double kept = std::stod(*c_->queryText(
        "SELECT CAST(VRPRECOPROD AS VARCHAR) FROM TABPRECLIE WHERE CDCLIENTE = $1 AND CDPRODUTO = $2",
        {kCustomer, kSavedProduct}));
    figures["single price save"] = median([&] {
      return takenBack([&] {
        const double seconds = calls_.seconds("rdmTabPreClie.SetTabPreClie", {kCustomer, kSavedProduct, kept + 1, "", "", "S"});
        calls_.call("rdmTabPreClie.SetTabPreClie", {kCustomer, kSavedProduct, kept, "", "", "S"});
        return seconds;
      });
    });
    std::vector<double> undos;
    figures["recalculation, 5,000 prices"] = median([&] {
      return takenBack([&] {
        const double seconds = calls_.seconds("rdmTabPreClie.SetCalcCusProd", {"001", kCustomer, "", 3, 1, "", "", "S"});
        undos.push_back(undoLast());
        return seconds;
      });
    });
    figures["undo of its batch"] = bench::Median(undos);
    const std::string targets = CopyTargets();
    figures["formula copy, 1,000 customers x 1,000 products"] = takenBack([&] {
      const double seconds = calls_.seconds("rdmTabPreClie.SetCopiaDados",
                                            {"001", kCustomer, "", 3, "", targets, 1, kFirstCopied, kLastCopied});
      undoLast();
      return seconds;
    });
    figures["price copy, 1,000 products to 1,000 customers"] = takenBack([&] {
      const double seconds = calls_.seconds("rdmTabPreClie.SetCopiaPreco", {"001", kCustomer, 3, "", targets, "01/01/2026",
                                                                             "31/12/2026", "S", kFirstCopied, kLastCopied});
      undoLast();
      return seconds;
    });
  }

 private:
  double median(const std::function<double()>& once, int extraRuns = 0) {
    once();  // warms the caches up
    std::vector<double> seconds;
    for (int run = 0; run < runs_ + extraRuns; ++run) seconds.push_back(once());
    return bench::Median(seconds);
  }

  // The seconds of `write`, after which the history and batch rows it added go.
  double takenBack(const std::function<double()>& write) {
    const Marks marks = MarksOf(*c_);
    const double seconds = write();
    ForgetSince(*c_, marks);
    return seconds;
  }

  // Undoes the last batch; its seconds.
  double undoLast() {
    const auto batch = c_->queryInteger("SELECT MAX(NRLOTE) FROM TABPRECLIELOTE", {});
    return calls_.seconds("rdmTabPreClie.SetDesfazLote", {static_cast<int>(batch.value_or(0))});
  }

  std::unique_ptr<server::store::Store> store_;
  bench::ModuleCalls calls_;
  std::unique_ptr<Connection> c_;
  int runs_;
};

std::vector<long long> Sizes(int argc, char** argv) {
  std::string list = "250000,2500000,25000000";
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--sizes") list = argv[i + 1];
  std::vector<long long> sizes;
  std::stringstream in(list);
  for (std::string item; std::getline(in, item, ',');) {
    const long long size = std::stoll(item);
    if (size <= 0 || size % (kProducts * (kTargetEvery - 1)) || size > 1LL * kProducts * kCustomers * 5 / 6)
      throw std::runtime_error(fmt::format("size {}: a multiple of {} up to {}", size, kProducts * (kTargetEvery - 1),
                                           1LL * kProducts * kCustomers * 5 / 6));
    sizes.push_back(size);
  }
  return sizes;
}

void PrintTable(const std::vector<long long>& sizes, const std::vector<Figures>& figures) {
  std::printf("\n%-50s", "operation (ms)");
  for (long long size : sizes) std::printf(" %12lld", size);
  std::printf(" %8s\n", "growth");
  for (const auto& [operation, first] : figures.front()) {
    std::printf("%-50s", operation.c_str());
    for (const Figures& at : figures) std::printf(" %12.1f", at.at(operation) * 1000);
    std::printf(" %7.2fx\n", figures.back().at(operation) / first);
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<long long> sizes = Sizes(argc, argv);
    const int runs = bench::IntOption(argc, argv, "--runs", 3);
    const bool buildOnly = bench::HasFlag(argc, argv, "--build-only");
    BookCache cache(bench::HasFlag(argc, argv, "--pg"));
    const std::string documents = std::filesystem::temp_directory_path() / fmt::format("vqrscale-docs-{}", ::getpid());
    std::filesystem::create_directories(documents);
    std::printf("Scale on %s; books kept in %s\n", cache.postgres() ? "PostgreSQL" : "SQLite", cache.where().c_str());
    std::vector<Figures> figures;
    bool unchanged = true;
    for (long long size : sizes) {
      double built = -1;
      const std::string target = cache.book(size, built);
      if (built >= 0)
        std::printf("  book of %lld prices built in %.0f s\n", size, built);
      else
        std::printf("  book of %lld prices kept from an earlier run\n", size);
      std::fflush(stdout);
      if (buildOnly) continue;
      bench::AimReportsAt(target, documents);
      BookRun run(target, runs);
      const std::string before = run.fingerprint();
      Figures at;
      run.measureReads(at);
      run.measureWrites(at);
      const std::string after = run.fingerprint();
      std::printf("    %s%s\n", after.c_str(), after == before ? "" : fmt::format("  CHANGED from {}", before).c_str());
      std::fflush(stdout);
      unchanged &= after == before;
      figures.push_back(at);
    }
    Adoibquery::dtmDBGeral->adcGeral->Close();
    std::filesystem::remove_all(documents);
    if (!figures.empty()) PrintTable(sizes, figures);
    return unchanged ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_scale: %s\n", e.what());
    return 1;
  }
}
