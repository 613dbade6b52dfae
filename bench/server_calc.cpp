// SetCalcCusProd: a customer's prices recalculated from a four-row formula over
// 50,000 products, through the data module's handler, against bare set-based
// statements doing the same writes (history and prices, one transaction, the same
// rounding), each on an identical copy of one prepared database.
//
//   bench_server_calc [--pg] [--products N]   (default 50,000 products)
#include <fmt/format.h>

#include <cstdlib>

#include "bench/server_bench_common.h"
#include "server/store/schema.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace {


constexpr const char* kCustomer = "000001";

double ThroughTheModule(const std::string& target) {
  return bench::TimeModuleCall(target, "rdmTabPreClie.SetCalcCusProd",
                               {"001", kCustomer, "11222333000181", 3, 1, "", "", "S"});
}

// The formula written out by hand, its rounding as the server's.
std::string Prices(server::store::SqlBuilder& b) {
  return "SELECT C.CDPRODUTO AS CDPRODUTO, " +
         b.roundPrice("((((C.VRCUSTO * " + b.doubleParam(1.0 + 35.0 / 100.0) + ") * " +
                      b.doubleParam(1.0 + 18.0 / 100.0) + ") + " + b.doubleParam(0.5) + ") * " +
                      b.doubleParam(1.0 - 5.0 / 100.0) + ")") +
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
        "DTVALININOV, DTVALFINNOV, IDORIGALT, DTHRALT) SELECT " + customer + ", N.CDPRODUTO, O.VRPRECOPROD, "
        "O.DTVALINI, O.DTVALFIN, N.VRPRECOPROD, O.DTVALINI, O.DTVALFIN, 'R', " +
            h.timestampParam("2026-01-01T00:00:00") + " FROM (" + Prices(h) +
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

std::string Outcome(const std::string& target) {
  auto c = server::store::Store::Open(target)->connect();
  return fmt::format("{} prices, {} history rows, sum {}", *c->queryInteger("SELECT COUNT(*) FROM TABPRECLIE", {}),
                     *c->queryInteger("SELECT COUNT(*) FROM TABPRECLIEHIST", {}),
                     *c->queryText("SELECT CAST(SUM(VRPRECOPROD) AS VARCHAR) FROM TABPRECLIE", {}));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    int products = bench::IntOption(argc, argv, "--products", 50000);
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    std::string base = scratch.create("base");
    bench::PrepareFormulaCustomer(base, products);
    std::printf("SetCalcCusProd on %s: %d products, a four-row formula, one price in ten already set\n",
                scratch.postgres() ? "PostgreSQL" : "SQLite", products);
    double module = 1e9, bare = 1e9;
    std::string moduleOutcome, bareOutcome;
    for (int run = 0; run < 3; ++run) {
      std::string a = scratch.copy(base, "bare" + std::to_string(run));
      bare = std::min(bare, BareSql(a));
      bareOutcome = Outcome(a);
      std::string b = scratch.copy(base, "module" + std::to_string(run));
      module = std::min(module, ThroughTheModule(b));
      moduleOutcome = Outcome(b);
    }
    std::printf("  bare SQL      %8.3f s   %s\n", bare, bareOutcome.c_str());
    std::printf("  data module   %8.3f s   %s\n", module, moduleOutcome.c_str());
    std::printf("data module / bare SQL: %.2fx (target <= 1.3x)%s\n", module / bare,
                moduleOutcome == bareOutcome ? "" : "  OUTCOMES DIFFER");
    return moduleOutcome == bareOutcome ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_calc: %s\n", e.what());
    return 1;
  }
}
