// SetCopiaDados: the source customer's formula copied to every other customer and
// their prices worked out from it, through the data module's handler, against bare
// set-based SQL doing the same writes (formula rows, history and prices, one
// transaction, the same rounding), each on an identical copy of one prepared
// database, measured in the same run.
//
//   bench_server_copia_dados                         1,000 targets x 2,000 priced products
//   bench_server_copia_dados --pg                    the same on PostgreSQL (VQR_PG_URL)
//   bench_server_copia_dados --customers N --products N
#include <fmt/format.h>

#include "bench/server_bench_common.h"
#include "server/store/schema.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace {

using platform::Variant;

constexpr const char* kSource = "000001";

struct Size {
  int targets;
  int products;
};

// The source with a two-row formula; targets, one in ten with a formula of its own and
// some special prices with dates, which the copy keeps.
void Prepare(const std::string& target, Size size) {
  bench::NewDatabase db(target);
  auto& c = db.c;
  {
    auto customers =
        c->bulkWriter("CLIENTE", {"CDCLIENTE", "NRINSJURCLIE", "NMRAZSOCCLIE", "NMFANTCLIE", "IDTPIJURCLIE"});
    for (int i = 1; i <= size.targets + 1; ++i)
      customers->add(
          {fmt::format("{:06d}", i), fmt::format("{:014d}", i), fmt::format("Cliente {}", i), Variant::Null(), "J"});
    customers->finish();
  }
  {
    auto formula = c->bulkWriter(
        "COMPPRECLIE", {"CDCLIENTE", "CDFATPRECO", "NRORDEMFAT", "IDDETFATPRE", "VRFATPRECLIE", "IDTPOPERFATCLIE"});
    formula->add({kSource, "001", "001", "P", 30.0, "SUM"});
    formula->add({kSource, "005", "002", "M", 1.5, "SUM"});
    for (int i = 2; i <= size.targets + 1; i += 10)
      formula->add({fmt::format("{:06d}", i), "001", "001", "P", 10.0, "SUM"});
    formula->finish();
  }
  {
    auto products = c->bulkWriter("PRODUTO", {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "NRNIVEL"});
    for (int i = 0; i < size.products; ++i)
      products->add({fmt::format("{:06d}", i), fmt::format("1{:02d}{:03d}", i / 999 + 1, i % 999 + 1),
                     fmt::format("Produto {}", i), std::int64_t{3}});
    products->finish();
  }
  {
    auto costs = c->bulkWriter("CUSTOPRODUTO", {"CDFILIAL", "CDPRODUTO", "NRTIPOCUSTO", "VRCUSTO"});
    for (int i = 0; i < size.products; ++i)
      costs->add({"001", fmt::format("{:06d}", i), std::int64_t{1}, 1.0 + (i % 5000) * 0.013});
    costs->finish();
  }
  {
    auto prices = c->bulkWriter("TABPRECLIE", {"CDCLIENTE", "CDPRODUTO", "VRPRECOPROD", "DTVALINI", "DTVALFIN"});
    for (int customer = 2; customer <= size.targets + 1; customer += 10)
      for (int i = 0; i < size.products; i += 10)
        prices->add({fmt::format("{:06d}", customer), fmt::format("{:06d}", i), 9.0, "2025-01-01", Variant::Null()});
    prices->finish();
  }
  db.tx.commit();
}

double ThroughTheModule(const std::string& target) {
  return bench::TimeModuleCall(target, "rdmTabPreClie.SetCopiaDados",
                               {"001", kSource, "00000000000001", 3, "T", "", 1, "", ""});
}

// Each product's price from the source's formula, written out by hand, its rounding as
// the server's, worked out once into a temporary table.
void FillBasePrices(server::store::Connection& c) {
  server::store::SqlBuilder b(c.backend());
  c.execute("CREATE TEMPORARY TABLE BAREBASE AS SELECT C.CDPRODUTO AS CDPRODUTO, " +
                b.roundPrice("((C.VRCUSTO * " + b.doubleParam(1.0 + 30.0 / 100.0) + ") + " + b.doubleParam(1.5) + ")") +
                " AS VRPRECOPROD FROM PRODUTO P JOIN CUSTOPRODUTO C ON C.CDPRODUTO = P.CDPRODUTO AND C.CDFILIAL = "
                "'001' AND C.NRTIPOCUSTO = 1 WHERE P.NRNIVEL = 3",
            b.params());
}

// Every target with every base price.
std::string TargetPrices(server::store::SqlBuilder& b) {
  return "SELECT T.CDCLIENTE AS CDCLIENTE, B.CDPRODUTO AS CDPRODUTO, B.VRPRECOPROD AS VRPRECOPROD FROM CLIENTE T "
         "CROSS JOIN BAREBASE B WHERE T.CDCLIENTE <> " +
         b.textParam(kSource);
}

double BareSql(const std::string& target) {
  auto c = server::store::Store::Open(target)->connect();
  return bench::Seconds([&] {
    server::store::Transaction tx(*c);
    c->execute("DELETE FROM COMPPRECLIE WHERE CDCLIENTE <> $1", {kSource});
    c->execute(
        "INSERT INTO COMPPRECLIE (CDCLIENTE, CDFATPRECO, NRORDEMFAT, IDDETFATPRE, VRFATPRECLIE, IDTPOPERFATCLIE) "
        "SELECT T.CDCLIENTE, F.CDFATPRECO, F.NRORDEMFAT, F.IDDETFATPRE, F.VRFATPRECLIE, F.IDTPOPERFATCLIE FROM "
        "CLIENTE T CROSS JOIN COMPPRECLIE F WHERE F.CDCLIENTE = $1 AND T.CDCLIENTE <> $1",
        {kSource});
    FillBasePrices(*c);
    server::store::SqlBuilder h(c->backend());
    const std::string changed = h.timestampParam("2026-01-01T00:00:00");
    c->execute(
        "INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECOANT, DTVALINIANT, DTVALFINANT, VRPRECONOV, "
        "DTVALININOV, DTVALFINNOV, IDORIGALT, DTHRALT, CDUSUARIO) SELECT N.CDCLIENTE, N.CDPRODUTO, O.VRPRECOPROD, O.DTVALINI, "
        "O.DTVALFIN, N.VRPRECOPROD, O.DTVALINI, O.DTVALFIN, 'C', " +
            changed + ", 'bench' FROM (" + TargetPrices(h) +
            ") N LEFT JOIN TABPRECLIE O ON O.CDCLIENTE = N.CDCLIENTE AND O.CDPRODUTO = N.CDPRODUTO WHERE "
            "O.CDCLIENTE IS NULL OR O.VRPRECOPROD <> N.VRPRECOPROD",
        h.params());
    server::store::SqlBuilder p(c->backend());
    c->execute(
        "INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) SELECT N.CDCLIENTE, "
        "N.CDPRODUTO, N.VRPRECOPROD, NULL, NULL FROM (" +
            TargetPrices(p) +
            ") N WHERE 1 = 1 ON CONFLICT (CDCLIENTE, CDPRODUTO) DO UPDATE SET VRPRECOPROD = "
            "excluded.VRPRECOPROD WHERE TABPRECLIE.VRPRECOPROD <> excluded.VRPRECOPROD",
        p.params());
    tx.commit();
  });
}

// Formula rows, price and history rows, to show both sides wrote the same.
std::string Outcome(const std::string& target) {
  auto c = server::store::Store::Open(target)->connect();
  return fmt::format("{} formula rows, {} prices, {} history rows, sum {:.3f}",
                     *c->queryInteger("SELECT COUNT(*) FROM COMPPRECLIE", {}),
                     *c->queryInteger("SELECT COUNT(*) FROM TABPRECLIE", {}),
                     *c->queryInteger("SELECT COUNT(*) FROM TABPRECLIEHIST", {}),
                     std::stod(*c->queryText("SELECT SUM(VRPRECOPROD) FROM TABPRECLIE", {})));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Size size{bench::IntOption(argc, argv, "--customers", 1000),
                    bench::IntOption(argc, argv, "--products", 2000)};
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    std::string base = scratch.create("base");
    Prepare(base, size);
    std::printf("SetCopiaDados on %s: a two-row formula to %d customers over %d priced products\n",
                scratch.postgres() ? "PostgreSQL" : "SQLite", size.targets, size.products);
    return bench::CompareOnCopies(scratch, base, 3, false, BareSql, ThroughTheModule, Outcome);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_copia_dados: %s\n", e.what());
    return 1;
  }
}
