// What stating the values read costs a save: one price saved over the listener with
// its condition (the price and dates it was based on) against the same save without,
// taking turns in the same run, medians of the runs.
//
//   bench_server_price_condition [--pg] [--runs N]   (2000 runs)
#include <cstdio>

#include "bench/server_bench_common.h"
#include "contracts/server/price_basis.h"

using bench::Seconds;
using platform::Variant;

int main(int argc, char** argv) {
  try {
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    const std::string target = scratch.create("price_condition");
    bench::PrepareOneCustomerPrices(target, 100, 1);
    auto store = server::store::Store::Open(target, server::store::Store::Mode::Existing);
    bench::LocalServer server(*store, 4);
    const int runs = bench::IntOption(argc, argv, "--runs", 2000);
    platform::TSocketConnection net;
    bench::AimAtLoopback(net, server.port());
    const std::string customer = "000001";
    auto save = [&](const std::string& product, double price, Variant condition) {
      Variant result = net.Call("SetTabPreClie", {customer, product, price, "01/01/2026", "", "S"}, condition);
      if (!contracts::server::ReadEnvelope(result).ok) throw std::runtime_error("the save was refused");
    };
    std::vector<double> plain, conditioned;
    // Each product's price stands where the previous run of the same kind left it.
    double price = 10;
    for (int run = 0; run < runs; ++run) {
      price += 0.01;
      plain.push_back(Seconds([&] { save("000001", price, Variant()); }));
      contracts::server::PriceBasis basis{price - 0.01, "01/01/2026", ""};
      if (run == 0) save("000002", price - 0.01, Variant());
      conditioned.push_back(Seconds([&] { save("000002", price, contracts::server::PriceBasisValue(basis)); }));
    }
    const double without = bench::Median(plain), with = bench::Median(conditioned);
    std::printf("One price saved on %s, median of %d runs\n", scratch.postgres() ? "PostgreSQL" : "SQLite", runs);
    std::printf("  without a condition  %8.3f ms\n", without * 1000);
    std::printf("  with its condition   %8.3f ms  %5.2fx\n", with * 1000, with / without);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_price_condition: %s\n", e.what());
    return 1;
  }
}
