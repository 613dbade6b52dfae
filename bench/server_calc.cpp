// SetCalcCusProd of the reference workload: one customer's prices computed from a
// three-row formula (x 1,30 number, ÷ 0,82 number, + 2,00 currency) over 50,000 leaf
// products, product i (1..50,000) costing (i mod 997) + 1 + (i mod 100)/100, through
// the data module's handler, against bare set-based statements doing the same writes
// (history and prices, one transaction, the same rounding), each on an identical copy
// of one prepared database. Both sides must leave the same prices and history; the
// sum of the 50,000 prices must be 39593643,292.
//
//   bench_server_calc [--pg] [--runs N]   (median of N runs, default 5)
#include <fmt/format.h>

#include <cmath>
#include <cstdlib>

#include "bench/server_bench_common.h"
#include "server/store/schema.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace {

using platform::Variant;

constexpr const char* kCustomer = "000001";
constexpr int kProducts = bench::kReferenceProducts;
// The sum of the workload's prices, in thousandths.
constexpr long long kExpectedSumMillis = 39593643292;

double ThroughTheModule(const std::string& target) {
  return bench::TimeModuleCall(target, "rdmTabPreClie.SetCalcCusProd",
                               {"001", kCustomer, "11222333000181", 3, 1, "", "", "S"});
}

// The formula written out by hand, its rounding as the server's.
std::string Prices(server::store::SqlBuilder& b) {
  return "SELECT C.CDPRODUTO AS CDPRODUTO, " +
         b.roundPrice("(((C.VRCUSTO * " + b.doubleParam(1.30) + ") / " + b.doubleParam(0.82) + ") + " +
                      b.doubleParam(2.00) + ")") +
         " AS VRPRECOPROD FROM PRODUTO P JOIN CUSTOPRODUTO C ON C.CDPRODUTO = P.CDPRODUTO AND C.CDFILIAL = '001' AND "
         "C.NRTIPOCUSTO = 1 WHERE P.NRNIVEL = 3";
}

double BareSql(const std::string& target) {
  auto c = server::store::Store::Open(target)->connect();
  return bench::Seconds([&] {
    server::store::Transaction tx(*c);
    server::store::SqlBuilder h(c->backend());
    std::string customer = h.textParam(kCustomer);
    c->execute(
        "INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECOANT, DTVALINIANT, DTVALFINANT, VRPRECONOV, "
        "DTVALININOV, DTVALFINNOV, IDORIGALT, DTHRALT, CDUSUARIO) SELECT " + customer + ", N.CDPRODUTO, O.VRPRECOPROD, "
        "O.DTVALINI, O.DTVALFIN, N.VRPRECOPROD, O.DTVALINI, O.DTVALFIN, 'R', " +
            h.timestampParam("2026-01-01T00:00:00") + ", 'bench' FROM (" + Prices(h) +
            ") N LEFT JOIN TABPRECLIE O ON O.CDCLIENTE = " + customer +
            " AND O.CDPRODUTO = N.CDPRODUTO WHERE O.CDCLIENTE IS NULL OR O.VRPRECOPROD <> N.VRPRECOPROD",
        h.params());
    server::store::SqlBuilder p(c->backend());
    customer = p.textParam(kCustomer);
    c->execute("INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) SELECT " + customer +
                   ", N.CDPRODUTO, N.VRPRECOPROD, NULL, NULL FROM (" + Prices(p) +
                   ") N WHERE 1 = 1 ON CONFLICT (CDCLIENTE, CDPRODUTO) DO UPDATE SET VRPRECOPROD = "
                   "excluded.VRPRECOPROD WHERE TABPRECLIE.VRPRECOPROD <> excluded.VRPRECOPROD",
               p.params());
    tx.commit();
  });
}

struct Outcome {
  std::int64_t prices = 0, history = 0;
  long long sumMillis = 0;  // each price in thousandths, added exactly
  friend bool operator==(const Outcome&, const Outcome&) = default;
  std::string text() const {
    return fmt::format("{} prices, {} history rows, sum {}.{:03d}", prices, history, sumMillis / 1000, sumMillis % 1000);
  }
};

Outcome OutcomeOf(const std::string& target) {
  auto c = server::store::Store::Open(target)->connect();
  Outcome outcome;
  c->query("SELECT VRPRECOPROD FROM TABPRECLIE WHERE CDCLIENTE = $1", {kCustomer}, [&](const server::store::Row& row) {
    ++outcome.prices;
    outcome.sumMillis += std::llround(row.real(0) * 1000);
  });
  outcome.history = *c->queryInteger("SELECT COUNT(*) FROM TABPRECLIEHIST WHERE IDORIGALT = 'R'", {});
  return outcome;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int runs = bench::IntOption(argc, argv, "--runs", 5);
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    std::string base = scratch.create("base");
    bench::PrepareReferenceWorkload(base);
    std::printf("SetCalcCusProd on %s: %d products, formula x 1,30 / 0,82 + 2,00 (median of %d)\n",
                scratch.postgres() ? "PostgreSQL" : "SQLite", kProducts, runs);
    std::vector<double> module, bare;
    Outcome moduleOutcome, bareOutcome;
    for (int run = 0; run < runs; ++run) {
      // Each side on its own copy; the side going first alternates.
      auto measureBare = [&] {
        std::string a = scratch.copy(base, "bare" + std::to_string(run));
        bare.push_back(BareSql(a));
        bareOutcome = OutcomeOf(a);
      };
      auto measureModule = [&] {
        std::string b = scratch.copy(base, "module" + std::to_string(run));
        module.push_back(ThroughTheModule(b));
        moduleOutcome = OutcomeOf(b);
      };
      if (run % 2 == 0) {
        measureBare();
        measureModule();
      } else {
        measureModule();
        measureBare();
      }
    }
    const bool sumRight = moduleOutcome.sumMillis == kExpectedSumMillis && moduleOutcome.prices == kProducts;
    std::printf("  bare SQL      %8.1f ms   %s\n", bench::Median(bare) * 1000, bareOutcome.text().c_str());
    std::printf("  data module   %8.1f ms   %s\n", bench::Median(module) * 1000, moduleOutcome.text().c_str());
    std::printf("sum check: %s (expected 39593643.292)\n", sumRight ? "right" : "WRONG");
    std::printf("data module / bare SQL: %.2fx%s\n", bench::Median(module) / bench::Median(bare),
                moduleOutcome == bareOutcome ? "" : "  OUTCOMES DIFFER");
    return moduleOutcome == bareOutcome && sumRight ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_calc: %s\n", e.what());
    return 1;
  }
}
