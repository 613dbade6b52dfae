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
  double seconds = 0;  // of the command they waited behind
};

// Saves prices until `done`, alternating a target's and the source's; the products
// of `products` in turn.
void SaveUntil(Client& saver, const std::vector<std::string>& products, const std::atomic<bool>& done, Saves& saves) {
  for (std::size_t n = 0; !done; ++n) {
    const bool reached = n % 2 == 0;
    std::string customer = reached ? kTarget : kSource;
    std::string product = products[(n / 2 * 7919) % products.size()];
    auto start = bench::Clock::now();
    saver.call("SetTabPreClie", {Var(customer), Var(product), 10.0 + (n % 1000) * 0.01, "01/01/2026", "", "S"});
    (reached ? saves.reached : saves.untouched)
        .millis.push_back(std::chrono::duration<double, std::milli>(bench::Clock::now() - start).count());
  }
}

// The saves made while `work` ran.
Saves SavesDuring(Client& saver, const std::vector<std::string>& products, const std::function<void()>& work) {
  std::atomic<bool> done{false};
  Saves saves;
  std::thread saving([&] { SaveUntil(saver, products, done, saves); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  saves.seconds = bench::Seconds(work);
  done = true;
  saving.join();
  return saves;
}

void Print(const char* subject, Saves& saves) {
  std::printf("  %-44s %6.2f s   reached price: %4zu saves, p99 %8.2f ms, max %8.2f ms   "
              "untouched price: %4zu saves, p99 %8.2f ms, max %8.2f ms\n",
              subject, saves.seconds, saves.reached.millis.size(), saves.reached.percentile(0.99),
              saves.reached.percentile(1.0), saves.untouched.millis.size(), saves.untouched.percentile(0.99),
              saves.untouched.percentile(1.0));
}

// The source's prices, worked out from its formula; returns their products.
std::vector<std::string> PriceTheSource(Client& client) {
  std::string source = kSource, number;
  client.call("SetCalcCusProd", {"001", Var(source), Var(number), 3, 1, "", "", "S"});
  Variant prices = client.call("GetPrecoProd", {Var(source), 3});
  std::vector<std::string> products;
  for (std::size_t row = 0; row < prices.asPacket().rowCount(); ++row)
    products.emplace_back(prices.asPacket().stringAt(row, 0));
  if (products.empty()) throw std::runtime_error("the source has no price");
  return products;
}

int Measure(bench::Scratch& scratch, int customers, int products) {
  std::string target = scratch.create("savebehind");
  Prepare(target, customers, products);
  auto store = server::store::Store::Open(target);
  bench::LocalServer server(*store, 8);
  bench::Failures failures;
  Client bulk(server.port(), failures), saver(server.port(), failures);
  const std::vector<std::string> codes = PriceTheSource(bulk);
  auto copy = [&](const char* method, const char* start, const char* end) {
    return [&bulk, method, start, end] {
      std::string source = kSource, all = "T", list, replace = "S";
      bulk.call(method, {"001", Var(source), 3, Var(all), Var(list), start, end, Var(replace), "", ""});
    };
  };
  Saves alone = SavesDuring(saver, codes, [] { std::this_thread::sleep_for(std::chrono::seconds(3)); });
  Saves preview = SavesDuring(saver, codes, copy("GetPreviaCopiaPreco", "01/01/2026", "31/12/2026"));
  Saves creating = SavesDuring(saver, codes, copy("SetCopiaPreco", "01/01/2026", "31/12/2026"));
  Saves changing = SavesDuring(saver, codes, copy("SetCopiaPreco", "01/01/2027", "31/12/2027"));

  std::printf("single price saves behind a copy of %zu prices to %d customers on %s (8 server threads)\n",
              codes.size(), customers - 1, scratch.postgres() ? "PostgreSQL" : "SQLite");
  Print("alone", alone);
  Print("(a) during its preview", preview);
  Print("(b) during the copy, creating every price", creating);
  Print("(c) during the copy, changing every price", changing);
  for (const std::string& e : failures.firstErrors) std::printf("    error: %s\n", e.c_str());
  return failures.errors == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    return Measure(scratch, bench::IntOption(argc, argv, "--customers", 500),
                   bench::IntOption(argc, argv, "--products", 2000));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_save_behind_batch: %s\n", e.what());
    return 1;
  }
}
