// The safety of a mass repricing against the repricing itself: the preview of the
// reference recalculation of 50,000 products (the same work in a transaction rolled
// back, with the largest changes read back) and the undo of that recalculation's batch,
// each against SetCalcCusProd measured in the same run on identical copies of one
// prepared database, where one product in ten already has a special price.
//
//   bench_server_repricing [--pg]
#include <fmt/format.h>

#include "bench/server_bench_common.h"

namespace {

const std::vector<platform::Variant> kRecalculation{"001", "000001", "11222333000181", 3, 1, "", "", "S"};

double Recalculation(const std::string& target) {
  return bench::TimeModuleCall(target, "rdmTabPreClie.SetCalcCusProd", kRecalculation);
}

double Preview(const std::string& target) {
  return bench::TimeModuleCall(target, "rdmTabPreClie.GetPreviaCalcCusProd", kRecalculation);
}

// The recalculation first (not measured), then the undo of its batch.
double Undo(const std::string& target) {
  Recalculation(target);
  auto batch = server::store::Store::Open(target)->connect()->queryInteger("SELECT MAX(NRLOTE) FROM TABPRECLIELOTE", {});
  bench::Settle();
  return bench::TimeModuleCall(target, "rdmTabPreClie.SetDesfazLote", {static_cast<int>(batch.value_or(0))});
}

void SetEveryTenthPrice(const std::string& target) {
  auto c = server::store::Store::Open(target)->connect();
  server::store::Transaction tx(*c);
  auto prices = c->bulkWriter("TABPRECLIE", {"CDCLIENTE", "CDPRODUTO", "VRPRECOPROD", "DTVALINI", "DTVALFIN"});
  for (int i = 0; i < bench::kReferenceProducts; i += 10)
    prices->add({"000001", fmt::format("{:06d}", i), 3.0, "2026-01-01", platform::Variant::Null()});
  prices->finish();
  tx.commit();
}

std::string Prices(const std::string& target) {
  auto c = server::store::Store::Open(target)->connect();
  return fmt::format("{} prices, sum {}", *c->queryInteger("SELECT COUNT(*) FROM TABPRECLIE", {}),
                     *c->queryText("SELECT CAST(SUM(VRPRECOPROD) AS VARCHAR) FROM TABPRECLIE", {}));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    std::string base = scratch.create("base");
    bench::PrepareReferenceWorkload(base);
    SetEveryTenthPrice(base);
    const std::string before = Prices(base);
    std::printf("Repricing on %s: the reference recalculation of %d products, one price in ten already set\n",
                scratch.postgres() ? "PostgreSQL" : "SQLite", bench::kReferenceProducts);
    double recalculation = 1e9, preview = 1e9, undo = 1e9;
    bool previewWroteNothing = true, undoRestored = true;
    for (int run = 0; run < 3; ++run) {
      std::string a = scratch.copy(base, "recalc" + std::to_string(run));
      bench::Settle();
      recalculation = std::min(recalculation, Recalculation(a));
      std::string b = scratch.copy(base, "preview" + std::to_string(run));
      bench::Settle();
      preview = std::min(preview, Preview(b));
      previewWroteNothing &= Prices(b) == before;
      std::string c = scratch.copy(base, "undo" + std::to_string(run));
      undo = std::min(undo, Undo(c));
      undoRestored &= Prices(c) == before;
    }
    std::printf("  recalculation %8.3f s\n", recalculation);
    std::printf("  preview       %8.3f s%s\n", preview, previewWroteNothing ? "" : "  THE PREVIEW WROTE");
    std::printf("  undo          %8.3f s%s\n", undo, undoRestored ? "" : "  PRICES NOT RESTORED");
    std::printf("preview / recalculation: %.2fx (target <= 1.2x)\n", preview / recalculation);
    std::printf("undo / recalculation:    %.2fx (target <= 1.3x)\n", undo / recalculation);
    return previewWroteNothing && undoRestored ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_repricing: %s\n", e.what());
    return 1;
  }
}
