// SetCopiaPreco: the source customer's prices copied to every other customer, through
// the data module's handler, against bare SQL doing the same writes (history and
// prices, set-based, in one transaction), each on an identical copy of one prepared
// database, measured in the same run.
//
//   bench_server_copia_preco                 200 prices x 1,000 customers (fast)
//   bench_server_copia_preco --full          2,000 prices x 5,000 customers (10 million rows)
//   bench_server_copia_preco --pg            the same on PostgreSQL (VQR_PG_URL)
//   bench_server_copia_preco --module-first  the data module measured before the bare SQL
#include <fmt/format.h>

#include "bench/server_bench_common.h"
#include "server/store/schema.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace {

using platform::Variant;
using server::store::Connection;

constexpr const char* kSource = "000001";

struct Size {
  int prices;
  int customers;
};

// Customers, products, the source's prices, and some prices the targets already have.
void Prepare(const std::string& target, Size size) {
  auto store = server::store::Store::Open(target, server::store::Store::Mode::Create);
  auto c = store->connect();
  server::store::Transaction tx(*c);
  server::store::CreateSchema(*c);
  c->execute("INSERT INTO FILIAL VALUES ('001', 'Matriz')");
  {
    auto customers = c->bulkWriter("CLIENTE", {"CDCLIENTE", "NRINSJURCLIE", "NMRAZSOCCLIE", "NMFANTCLIE", "IDTPIJURCLIE"});
    for (int i = 1; i <= size.customers; ++i)
      customers->add({fmt::format("{:06d}", i), fmt::format("{:014d}", i), fmt::format("Cliente {}", i),
                      Variant::Null(), "J"});
    customers->finish();
  }
  {
    auto products = c->bulkWriter("PRODUTO", {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "NRNIVEL"});
    for (int i = 0; i < size.prices; ++i)
      products->add({fmt::format("{:06d}", i), fmt::format("1{:02d}{:03d}", i / 999 + 1, i % 999 + 1),
                     fmt::format("Produto {}", i), std::int64_t{3}});
    products->finish();
  }
  {
    auto prices = c->bulkWriter("TABPRECLIE", {"CDCLIENTE", "CDPRODUTO", "VRPRECOPROD", "DTVALINI", "DTVALFIN"});
    for (int i = 0; i < size.prices; ++i)
      prices->add({kSource, fmt::format("{:06d}", i), 1.0 + i * 0.01, Variant::Null(), Variant::Null()});
    // One customer in ten already prices one product in ten.
    for (int customer = 2; customer <= size.customers; customer += 10)
      for (int i = 0; i < size.prices; i += 10)
        prices->add({fmt::format("{:06d}", customer), fmt::format("{:06d}", i), 9.0, "2025-01-01", Variant::Null()});
    prices->finish();
  }
  tx.commit();
}

double ThroughTheModule(const std::string& target) {
  return bench::TimeModuleCall(target, "rdmTabPreClie.SetCopiaPreco",
                               {"001", kSource, 3, "T", "", "01/01/2026", "31/12/2026", "S", "", ""});
}

double BareSql(const std::string& target) {
  auto store = server::store::Store::Open(target);
  auto c = store->connect();
  return bench::Seconds([&] {
    server::store::Transaction tx(*c);
    server::store::SqlBuilder h(c->backend());
    std::string src = h.textParam(kSource), start = h.dateParam("2026-01-01"), end = h.dateParam("2026-12-31");
    c->execute(
        "INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECOANT, DTVALINIANT, DTVALFINANT, VRPRECONOV, "
        "DTVALININOV, DTVALFINNOV, IDORIGALT, DTHRALT, CDUSUARIO) SELECT C.CDCLIENTE, S.CDPRODUTO, O.VRPRECOPROD, O.DTVALINI, "
        "O.DTVALFIN, S.VRPRECOPROD, " + start + ", " + end + ", 'C', " + h.timestampParam("2026-01-01T00:00:00") +
            ", 'bench' FROM CLIENTE C CROSS JOIN TABPRECLIE S LEFT JOIN TABPRECLIE O ON O.CDCLIENTE = C.CDCLIENTE AND "
            "O.CDPRODUTO = S.CDPRODUTO WHERE S.CDCLIENTE = " + src + " AND C.CDCLIENTE <> " + src +
            " AND (O.CDCLIENTE IS NULL OR O.VRPRECOPROD <> S.VRPRECOPROD OR O.DTVALINI IS DISTINCT FROM " + start +
            " OR O.DTVALFIN IS DISTINCT FROM " + end + ")",
        h.params());
    server::store::SqlBuilder p(c->backend());
    src = p.textParam(kSource);
    start = p.dateParam("2026-01-01");
    end = p.dateParam("2026-12-31");
    c->execute(
        "INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) SELECT C.CDCLIENTE, "
        "S.CDPRODUTO, S.VRPRECOPROD, " + start + ", " + end + " FROM CLIENTE C CROSS JOIN TABPRECLIE S WHERE "
        "S.CDCLIENTE = " + src + " AND C.CDCLIENTE <> " + src +
            " ON CONFLICT (CDCLIENTE, CDPRODUTO) DO UPDATE SET VRPRECOPROD = excluded.VRPRECOPROD, DTVALINI = "
            "excluded.DTVALINI, DTVALFIN = excluded.DTVALFIN WHERE TABPRECLIE.VRPRECOPROD <> excluded.VRPRECOPROD OR "
            "TABPRECLIE.DTVALINI IS DISTINCT FROM excluded.DTVALINI OR TABPRECLIE.DTVALFIN IS DISTINCT FROM "
            "excluded.DTVALFIN",
        p.params());
    tx.commit();
  });
}

// Price and history rows, to show both sides wrote the same.
std::string Outcome(const std::string& target) {
  auto c = server::store::Store::Open(target)->connect();
  return fmt::format("{} prices, {} history rows, sum {:.3f}",
                     *c->queryInteger("SELECT COUNT(*) FROM TABPRECLIE", {}),
                     *c->queryInteger("SELECT COUNT(*) FROM TABPRECLIEHIST", {}),
                     std::stod(*c->queryText("SELECT SUM(VRPRECOPROD) FROM TABPRECLIE", {})));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Size size = bench::HasFlag(argc, argv, "--full") ? Size{2000, 5000} : Size{200, 1000};
    int runs = bench::HasFlag(argc, argv, "--full") ? 2 : 3;
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    std::string base = scratch.create("base");
    Prepare(base, size);
    long long rows = static_cast<long long>(size.prices) * (size.customers - 1);
    std::printf("SetCopiaPreco on %s: %d prices to %d customers (%lld price rows)\n",
                scratch.postgres() ? "PostgreSQL" : "SQLite", size.prices, size.customers - 1, rows);
    return bench::CompareOnCopies(scratch, base, runs, bench::HasFlag(argc, argv, "--module-first"), BareSql,
                                  ThroughTheModule, Outcome);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_copia_preco: %s\n", e.what());
    return 1;
  }
}
