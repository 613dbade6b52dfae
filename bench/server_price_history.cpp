// The price history of one customer with a million changes: the first page of one
// product's history (what the history window asks for when it opens on a grid row),
// the first page of every product's, and a page deep in the list, through the data
// module's handler, p50 and p99 over many products, against the bare query of the same
// rows measured in the same run.
//
//   bench_server_price_history [--pg] [--rows N] [--calls N]   (default 1,000,000 rows, 300 calls)
#include <fmt/format.h>

#include <random>

#include "bench/server_bench_common.h"
#include "server/store/sql_builder.h"

namespace {

constexpr int kProducts = 50000;

// Customer 000001 with `rows` changes spread over its products, one a minute.
void Prepare(const std::string& target, int rows) {
  bench::PrepareOneCustomerPrices(target, kProducts, 1);
  auto c = server::store::Store::Open(target)->connect();
  server::store::Transaction tx(*c);
  auto history = c->bulkWriter("TABPRECLIEHIST", {"CDCLIENTE", "CDPRODUTO", "VRPRECOANT", "VRPRECONOV", "IDORIGALT",
                                                  "DTHRALT"});
  for (int i = 0; i < rows; ++i) {
    const int minutes = i;
    history->add({"000001", fmt::format("{:06d}", i % kProducts), 1.0 + i % 97, 1.0 + (i + 1) % 97, "M",
                  fmt::format("2020-01-{:02d}T{:02d}:{:02d}:00", 1 + minutes / 1440 % 28, minutes / 60 % 24,
                              minutes % 60)});
  }
  history->finish();
  tx.commit();
}

// One call of the history handler; raises when it refuses.
void Call(const server::modules::MethodHandler& handler, std::vector<platform::Variant> args) {
  auto answer = contracts::server::ReadEnvelope(handler({"teste"}, args));
  if (!answer.ok) throw std::runtime_error(answer.message);
}

struct Percentiles {
  double p50, p99;
};

Percentiles Of(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  auto at = [&](double q) { return samples[static_cast<std::size_t>(q * (samples.size() - 1))] * 1000; };
  return {at(0.5), at(0.99)};
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int rows = bench::IntOption(argc, argv, "--rows", 1000000);
    const int calls = bench::IntOption(argc, argv, "--calls", 300);
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    std::string target = scratch.create("history");
    Prepare(target, rows);
    std::printf("Price history on %s: one customer, %d changes over %d products\n",
                scratch.postgres() ? "PostgreSQL" : "SQLite", rows, kProducts);
    auto store = server::store::Store::Open(target);
    server::modules::MethodHandler history;
    for (auto& entry : server::modules::DataModuleMethods(*store))
      if (entry.address == "rdmTabPreClie.GetHistPreco") history = entry.handler;
    auto bare = store->connect();
    std::mt19937 random(7);
    std::vector<double> product, bareProduct, all, deep;
    for (int i = 0; i < calls; ++i) {
      const std::string code = fmt::format("{:06d}", random() % kProducts);
      product.push_back(bench::Seconds([&] { Call(history, {"000001", code, "", 0, 100}); }));
      bareProduct.push_back(bench::Seconds([&] {
        int n = 0;
        bare->query("SELECT H.NRSEQHIST, H.DTHRALT, H.VRPRECOANT, H.VRPRECONOV, P.NMPRODUTO FROM TABPRECLIEHIST H "
                    "JOIN PRODUTO P ON P.CDPRODUTO = H.CDPRODUTO WHERE H.CDCLIENTE = $1 AND H.CDPRODUTO = $2 "
                    "ORDER BY H.DTHRALT DESC, H.NRSEQHIST DESC LIMIT 100",
                    {std::string("000001"), code}, [&](const server::store::Row&) { ++n; });
      }));
      all.push_back(bench::Seconds([&] { Call(history, {"000001", "", "", 0, 100}); }));
      deep.push_back(bench::Seconds([&] { Call(history, {"000001", "", "2020-01-15T12:00:00", 1, 100}); }));
    }
    const Percentiles a = Of(product), b = Of(bareProduct), c = Of(all), d = Of(deep);
    std::printf("  one product, first page     p50 %6.2f ms   p99 %6.2f ms\n", a.p50, a.p99);
    std::printf("  bare query of the same rows p50 %6.2f ms   p99 %6.2f ms\n", b.p50, b.p99);
    std::printf("  every product, first page   p50 %6.2f ms   p99 %6.2f ms\n", c.p50, c.p99);
    std::printf("  every product, a deep page  p50 %6.2f ms   p99 %6.2f ms\n", d.p50, d.p99);
    std::printf("one product / bare query (p99): %.2fx; one product p99 %.2f ms (target < 5 ms)\n", a.p99 / b.p99,
                a.p99);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_price_history: %s\n", e.what());
    return 1;
  }
}
