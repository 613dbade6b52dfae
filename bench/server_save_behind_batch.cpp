// Single price saves behind a large command: one client saves prices one at a time,
// each on its own, while another client runs
//   (a) the preview of a copy of the source's 2,000 prices to the 499 other customers
//       (GetPreviaCopiaPreco),
//   (b) that copy, creating every price (SetCopiaPreco), and
//   (c) the copy again with other dates, changing every price.
// The saves alternate between a price the copy reaches (a target's) and one it does
// not (the source's), and the time of each reply is kept apart for the two. The
// baseline is the same saves with nothing else running, in the same run.
//
//   bench_server_save_behind_batch [--pg] [--customers N] [--products N]   (500, 2,000)
#include <atomic>
#include <cstdio>

#include "bench/server_bench_common.h"
#include "contracts/server/result_envelope.h"
#include "platform/net/socket_connection.h"
#include "platform/variant/data_packet.h"
#include "server/demo/demo_data.h"
#include "server/store/schema.h"
#include "server/store/transaction.h"

namespace {

using platform::Var;
using platform::Variant;

constexpr const char* kSource = "000001";
constexpr const char* kTarget = "000002";

void Prepare(const std::string& target, int customers, int products) {
  auto store = server::store::Store::Open(target, server::store::Store::Mode::Create);
  auto c = store->connect();
  server::store::Transaction tx(*c);
  server::store::CreateSchema(*c);
  server::demo::FillDemoData(*c, {static_cast<std::size_t>(customers), static_cast<std::size_t>(products), 1});
  c->execute("DELETE FROM COMPPRECLIE WHERE CDCLIENTE = $1", {std::string(kSource)});
  c->execute("INSERT INTO COMPPRECLIE VALUES ($1, '001', '001', 'P', 30, 'SUM')", {std::string(kSource)});
  tx.commit();
}

class Client {
 public:
  Client(std::uint16_t port, bench::Failures& failures) : failures_(failures) { bench::AimAtLoopback(net_, port); }
  Variant call(const std::string& method, std::vector<platform::CallArg> args) {
    return bench::CallOrNote(net_, method, std::move(args), failures_);
  }

 private:
  bench::Failures& failures_;
  platform::TSocketConnection net_;
};

struct Saves {
  bench::Latencies reached, untouched;
};

// Saves prices until `done`, alternating a target's and the source's; the products
// of `products` in turn.
Saves SaveUntil(Client& saver, const std::vector<std::string>& products, const std::atomic<bool>& done) {
  Saves saves;
  for (std::size_t n = 0; !done; ++n) {
    const bool reached = n % 2 == 0;
    std::string customer = reached ? kTarget : kSource;
    std::string product = products[(n / 2 * 7919) % products.size()];
    auto start = bench::Clock::now();
    saver.call("SetTabPreClie", {Var(customer), Var(product), 10.0 + (n % 1000) * 0.01, "01/01/2026", "", "S"});
    (reached ? saves.reached : saves.untouched)
        .millis.push_back(std::chrono::duration<double, std::milli>(bench::Clock::now() - start).count());
  }
  return saves;
}

// The saves made while `work` ran, and the seconds it took.
Saves SavesDuring(Client& saver, const std::vector<std::string>& products, const std::function<void()>& work,
                  double& seconds) {
  std::atomic<bool> done{false};
  Saves saves;
  std::thread saving([&] { saves = SaveUntil(saver, products, done); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  seconds = bench::Seconds(work);
  done = true;
  saving.join();
  return saves;
}

void Print(const char* subject, Saves& saves, double seconds) {
  std::printf("  %-44s %6.2f s   reached price: %4zu saves, p99 %8.2f ms, max %8.2f ms   "
              "untouched price: %4zu saves, p99 %8.2f ms, max %8.2f ms\n",
              subject, seconds, saves.reached.millis.size(), saves.reached.percentile(0.99),
              saves.reached.percentile(1.0), saves.untouched.millis.size(), saves.untouched.percentile(0.99),
              saves.untouched.percentile(1.0));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int customers = bench::IntOption(argc, argv, "--customers", 500);
    const int products = bench::IntOption(argc, argv, "--products", 2000);
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    std::string target = scratch.create("savebehind");
    Prepare(target, customers, products);
    auto store = server::store::Store::Open(target);
    bench::LocalServer server(*store, 8);
    bench::Failures failures;
    Client bulk(server.port(), failures), saver(server.port(), failures);

    std::string source = kSource, number;
    bulk.call("SetCalcCusProd", {"001", Var(source), Var(number), 3, 1, "", "", "S"});  // the source's prices
    Variant prices = bulk.call("GetPrecoProd", {Var(source), 3});
    std::vector<std::string> codes;
    for (std::size_t row = 0; row < prices.asPacket().rowCount(); ++row)
      codes.emplace_back(prices.asPacket().stringAt(row, 0));
    if (codes.empty()) throw std::runtime_error("the source has no price");

    auto copy = [&](const char* method, const char* start, const char* end) {
      return [&bulk, method, start, end] {
        std::string source = kSource, all = "T", list, replace = "S";
        bulk.call(method, {"001", Var(source), 3, Var(all), Var(list), start, end, Var(replace), "", ""});
      };
    };
    double seconds = 0;
    Saves alone = SavesDuring(saver, codes, [] { std::this_thread::sleep_for(std::chrono::seconds(3)); }, seconds);
    Saves preview = SavesDuring(saver, codes, copy("GetPreviaCopiaPreco", "01/01/2026", "31/12/2026"), seconds);
    const double previewSeconds = seconds;
    Saves creating = SavesDuring(saver, codes, copy("SetCopiaPreco", "01/01/2026", "31/12/2026"), seconds);
    const double creatingSeconds = seconds;
    Saves changing = SavesDuring(saver, codes, copy("SetCopiaPreco", "01/01/2027", "31/12/2027"), seconds);

    std::printf("single price saves behind a copy of %zu prices to %d customers on %s (8 server threads)\n",
                codes.size(), customers - 1, scratch.postgres() ? "PostgreSQL" : "SQLite");
    Print("alone", alone, 3);
    Print("(a) during its preview", preview, previewSeconds);
    Print("(b) during the copy, creating every price", creating, creatingSeconds);
    Print("(c) during the copy, changing every price", changing, seconds);
    for (const std::string& e : failures.firstErrors) std::printf("    error: %s\n", e.c_str());
    return failures.errors == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_save_behind_batch: %s\n", e.what());
    return 1;
  }
}
