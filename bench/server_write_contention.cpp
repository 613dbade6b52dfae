// Writes under contention: sixteen writers on one customer at once, each on its own
// connection to the listener, saving prices of the customer's products one at a time
// and, every 50th call, recalculating all of them, for a fixed time; the latency of
// every reply is kept. The baseline is one writer alone doing the same, in the same
// run. On SQLite the write-ahead log's size is sampled throughout.
//
//   bench_server_write_contention [--pg] [--seconds N] [--writers N]   (30 s, 16 writers)
#include <fmt/format.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

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

constexpr int kProducts = 3000;
constexpr int kRecalcEvery = 50;

void Prepare(const std::string& target) {
  auto store = server::store::Store::Open(target, server::store::Store::Mode::Create);
  auto c = store->connect();
  server::store::Transaction tx(*c);
  server::store::CreateSchema(*c);
  server::demo::FillDemoData(*c, {60, kProducts, 1});
  c->execute("DELETE FROM COMPPRECLIE WHERE CDCLIENTE = '000001'");
  c->execute("INSERT INTO COMPPRECLIE VALUES ('000001', '001', '001', 'P', 30, 'SUM')");
  tx.commit();
}

using bench::Latencies;

// Latencies of every call, of the recalculations apart, and the failures.
struct Replies : bench::Failures {
  Latencies all, recalculations;
  void add(const Latencies& mine, const Latencies& myRecalculations) {
    std::lock_guard lock(mutex);
    all.millis.insert(all.millis.end(), mine.millis.begin(), mine.millis.end());
    recalculations.millis.insert(recalculations.millis.end(), myRecalculations.millis.begin(),
                                 myRecalculations.millis.end());
  }
};

class Writer {
 public:
  Writer(std::uint16_t port, Replies& replies) : replies_(replies) {
    bench::AimAtLoopback(net_, port);
    Variant prices = call("GetPrecoProd", {customer_, 3});
    for (std::size_t row = 0; row < prices.asPacket().rowCount(); ++row)
      products_.emplace_back(prices.asPacket().stringAt(row, 0));
  }

  void run(bench::Clock::time_point until, int id) {
    Latencies mine, myRecalculations;
    for (int n = 0; bench::Clock::now() < until; ++n) {
      auto start = bench::Clock::now();
      // Each writer's recalculations out of step with the others'.
      const bool recalculation = (n + id * 7) % kRecalcEvery == kRecalcEvery - 1;
      if (recalculation) {
        std::string number;
        call("SetCalcCusProd", {"001", Var(customer_), Var(number), 3, 1, "", "", "S"});
      } else {
        const std::string& product = products_[(static_cast<std::size_t>(id) * 7919 + n) % products_.size()];
        call("SetTabPreClie", {customer_, product, 10.0 + (n % 1000) * 0.01, "01/01/2026", "", "S"});
      }
      const double millis = std::chrono::duration<double, std::milli>(bench::Clock::now() - start).count();
      mine.millis.push_back(millis);
      if (recalculation) myRecalculations.millis.push_back(millis);
    }
    replies_.add(mine, myRecalculations);
  }

 private:
  Variant call(const std::string& method, std::vector<platform::CallArg> args) {
    return bench::CallOrNote(net_, method, std::move(args), replies_);
  }

  std::string customer_ = "000001";
  std::vector<std::string> products_;
  Replies& replies_;
  platform::TSocketConnection net_;
};

// The largest size the write-ahead log reached while `work` ran (SQLite), in MB.
double PeakLogMegabytes(const std::string& target, bool sqlite, const std::function<void()>& work) {
  std::atomic<bool> done{false};
  std::uintmax_t peak = 0;
  std::thread sampler([&] {
    while (!done) {
      std::error_code ec;
      if (sqlite) peak = std::max(peak, std::filesystem::file_size(target + "-wal", ec) * !ec);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  work();
  done = true;
  sampler.join();
  return static_cast<double>(peak) / 1e6;
}

struct Outcome {
  double p50 = 0, p99 = 0, max = 0, recalculationP50 = 0, recalculationMax = 0, logMegabytes = 0;
  std::size_t calls = 0;
  long errors = 0;
  std::vector<std::string> firstErrors;
};

Outcome Run(std::uint16_t port, int writers, int seconds, const std::string& target, bool sqlite) {
  Replies replies;
  std::vector<std::unique_ptr<Writer>> clients;
  for (int id = 0; id < writers; ++id) clients.push_back(std::make_unique<Writer>(port, replies));
  Outcome outcome;
  outcome.logMegabytes = PeakLogMegabytes(target, sqlite, [&] {
    auto until = bench::Clock::now() + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    for (int id = 0; id < writers; ++id) threads.emplace_back([&, id] { clients[id]->run(until, id); });
    for (auto& t : threads) t.join();
  });
  outcome.calls = replies.all.millis.size();
  outcome.p50 = replies.all.percentile(0.50);
  outcome.p99 = replies.all.percentile(0.99);
  outcome.max = replies.all.percentile(1.0);
  outcome.recalculationP50 = replies.recalculations.percentile(0.5);
  outcome.recalculationMax = replies.recalculations.percentile(1.0);
  outcome.errors = replies.errors;
  outcome.firstErrors = replies.firstErrors;
  return outcome;
}

void Print(const char* name, const Outcome& o, bool sqlite) {
  std::printf("  %-10s %7zu calls   p50 %7.2f ms   p99 %7.2f ms   max %8.2f ms   %ld errors", name, o.calls, o.p50,
              o.p99, o.max, o.errors);
  if (sqlite) std::printf("   log peak %.1f MB", o.logMegabytes);
  std::printf("\n             of which recalculations: p50 %.2f ms, max %.2f ms\n", o.recalculationP50,
              o.recalculationMax);
  for (const std::string& e : o.firstErrors) std::printf("    error: %s\n", e.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int writers = bench::IntOption(argc, argv, "--writers", 16);
    const int seconds = bench::IntOption(argc, argv, "--seconds", 30);
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    const bool sqlite = !scratch.postgres();
    std::string target = scratch.create("contention");
    Prepare(target);
    auto store = server::store::Store::Open(target);
    bench::LocalServer server(*store, 8);

    Outcome alone = Run(server.port(), 1, seconds, target, sqlite);
    Outcome together = Run(server.port(), writers, seconds, target, sqlite);
    std::printf("writes on one customer on %s, %d s each: prices one at a time, a recalculation of %d products "
                "every %d calls (8 server threads)\n",
                sqlite ? "SQLite" : "PostgreSQL", seconds, kProducts, kRecalcEvery);
    Print("1 writer", alone, sqlite);
    Print(fmt::format("{} writers", writers).c_str(), together, sqlite);
    std::printf("%d writers: p99 %.2f ms, max %.2f ms (%.1fx and %.1fx one writer's), errors: %ld\n", writers,
                together.p99, together.max, together.p99 / alone.p99, together.max / alone.max,
                together.errors + alone.errors);
    return together.errors + alone.errors == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_write_contention: %s\n", e.what());
    return 1;
  }
}
