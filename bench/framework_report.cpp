// The price table report of one customer over 50,000 products (about 900 pages): the
// whole run of the report runner into a PDF (parameters, list check, the query read
// twice in one snapshot, pages laid out and drawn, the file published) against the
// bare query of the same rows in the same run; and the peak memory of a 50,000-row
// report against a 500-row one (about 10 pages), each run in a child process of its
// own so neither inherits the other's peak.
//
//   bench_framework_report [--pg] [--products N] [--runs N]
#include <fmt/format.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "bench/price_report_run.h"
#include "bench/server_bench_common.h"
#include "server/store/schema.h"
#include "server/store/transaction.h"

namespace {

using platform::Variant;

constexpr const char* kCustomer = "000001";

constexpr const char* kBareQuery =
    "SELECT C.CDCLIENTE, C.NRINSJURCLIE, C.IDTPIJURCLIE, C.NMRAZSOCCLIE, P.CDARVPROD, P.NMPRODUTO, T.VRPRECOPROD, "
    "T.DTVALINI, T.DTVALFIN FROM TABPRECLIE T JOIN CLIENTE C ON C.CDCLIENTE = T.CDCLIENTE "
    "JOIN PRODUTO P ON P.CDPRODUTO = T.CDPRODUTO WHERE T.CDCLIENTE = $1 ORDER BY C.NMRAZSOCCLIE, C.CDCLIENTE, "
    "P.CDARVPROD";

// The query alone, every cell read.
std::size_t BareQuery(server::store::Connection& c) {
  std::size_t rows = 0, bytes = 0;
  c.query(kBareQuery, {kCustomer}, [&](const server::store::Row& row) {
    ++rows;
    for (int col = 0; col < row.columnCount(); ++col) bytes += row.isNull(col) ? 0 : row.textView(col).size();
  });
  return rows + (bytes == 0);
}

std::size_t StatusKb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(key + ":", 0) == 0) return std::stoul(line.substr(key.size() + 1));
  return 0;
}

struct Peak {
  std::size_t startKb = 0;
  std::size_t peakKb = 0;
};

// The peak resident memory of one report run, measured in a child process whose peak
// starts at what it inherited.
Peak PeakOf(const std::string& last) {
  int fds[2];
  if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    std::ofstream("/proc/self/clear_refs") << "5";
    Peak peak;
    peak.startKb = StatusKb("VmRSS");
    bench::RunPriceReport(kCustomer, last);
    peak.peakKb = StatusKb("VmHWM");
    if (::write(fds[1], &peak, sizeof peak) != sizeof peak) ::_exit(2);
    ::_exit(0);
  }
  ::close(fds[1]);
  Peak peak;
  const bool read = ::read(fds[0], &peak, sizeof peak) == sizeof peak;
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("the measuring child failed");
  return peak;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int products = bench::IntOption(argc, argv, "--products", 50000);
    const int runs = bench::IntOption(argc, argv, "--runs", 3);
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    const std::string target = scratch.create("report");
    bench::PrepareOneCustomerPrices(target, products, 1);
    const std::string documents = std::filesystem::temp_directory_path() / fmt::format("vqrbench-docs-{}", ::getpid());
    std::filesystem::create_directories(documents);
    bench::AimReportsAt(target, documents);

    // Memory first, in children, while this process holds no database connection.
    const Peak small = PeakOf("101500");
    const Peak large = PeakOf("");

    auto store = server::store::Store::Open(target);
    auto bare = store->connect();
    std::vector<double> bareTimes, reportTimes;
    std::size_t rows = 0;
    for (int run = 0; run < runs + 1; ++run) {  // the first warms caches up
      const double b = bench::Seconds([&] { rows = BareQuery(*bare); });
      const double r = bench::Seconds([&] { bench::RunPriceReport(kCustomer, ""); });
      if (run == 0) continue;
      bareTimes.push_back(b);
      reportTimes.push_back(r);
    }
    const int pages = bench::RunPriceReport(kCustomer, "", true);
    Adoibquery::dtmDBGeral->adcGeral->Close();
    std::filesystem::remove_all(documents);

    const double b = bench::Median(bareTimes), r = bench::Median(reportTimes);
    std::printf("price table report on %s: one customer, %zu prices, %d pages (median of %d)\n",
                scratch.postgres() ? "PostgreSQL" : "SQLite", rows, pages, runs);
    std::printf("  bare query in process   %9.1f ms\n", b * 1000);
    std::printf("  report into a PDF       %9.1f ms\n", r * 1000);
    std::printf("report / bare query: %.1fx\n", r / b);
    std::printf("peak memory: %zu prices %.1f MB (%.1f MB above the start), 500 prices %.1f MB (%.1f MB above)\n", rows,
                large.peakKb / 1024.0, (large.peakKb - large.startKb) / 1024.0, small.peakKb / 1024.0,
                (small.peakKb - small.startKb) / 1024.0);
    std::printf("peak memory, %zu prices / 500 prices: %.2fx (target <= 1.5x)\n", rows,
                static_cast<double>(large.peakKb) / static_cast<double>(small.peakKb));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_framework_report: %s\n", e.what());
    return 1;
  }
}
