// A day of many clerks on one appserver process: 32 clients for 60 s on the demo
// database (60 customers, 300 products), each on its own connection, mixing price saves
// and removals, recalculations, price copies, formula copies, undos and reads (a
// customer's price list, its history). Kept: the latency of every save and every read
// (p50/p99/max), the failures, and at the end the chain check of the whole history
// (support/in_process/history_chain.h), and whether every acknowledged save has its
// history row.
//
// With --appserver PATH the same load runs first on that executable (another build, on
// a database it created itself) and then on this build's, each on a fresh database, in
// the same run.
//
//   bench_server_mixed_load [--pg] [--clients N] [--seconds N] [--threads N] [--appserver PATH]
#include <fmt/format.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <set>

#include "bench/server_bench_common.h"
#include "support/app_server_process.h"
#include "support/in_process/history_chain.h"

namespace {

using platform::Variant;

using bench::Latencies;

// What every client shares: the latencies, the saves acknowledged, the failures.
struct Load : bench::Failures {
  Latencies saves, reads;
  std::vector<std::pair<std::string, double>> savesAcknowledged;  // customer/product, price
  std::atomic<int> saveNumber{0};
  std::atomic<std::int64_t> lastBatch{0};
  std::vector<std::string> customers, products, formulaCustomers;
};

class Clerk {
 public:
  Clerk(std::uint16_t port, Load& load, int id) : load_(load), random_(id) { bench::AimAtLoopback(net_, port); }

  void run(bench::Clock::time_point until) {
    Latencies saves, reads;
    std::vector<std::pair<std::string, double>> acknowledged;
    while (bench::Clock::now() < until) {
      const std::string& customer = pick(load_.customers);
      const int kind = static_cast<int>(random_() % 20);
      auto start = bench::Clock::now();
      if (kind < 7) {
        // A price no other save uses, to find its history row afterwards.
        const double price = 100 + load_.saveNumber++ * 0.001;
        const std::string product = pick(load_.products);
        if (call("SetTabPreClie", {customer, product, price, "01/01/2026", "", "S"}))
          acknowledged.emplace_back(customer + "/" + product, price);
        saves.millis.push_back(Millis(start));
      } else if (kind < 8) {
        call("SetTabPreClie", {customer, pick(load_.products), 0.0, "", "", "S"});
      } else if (kind < 10) {
        std::string number;
        call("SetCalcCusProd",
             {"001", pick(load_.formulaCustomers), platform::Var(number), 3, 1, "", "", random_() % 2 ? "S" : "N"});
      } else if (kind < 11) {
        call("SetCopiaPreco", {"001", pick(load_.formulaCustomers), 3, "", targets(), "01/01/2027", "",
                               random_() % 2 ? "S" : "N", "", ""});
      } else if (kind < 12) {
        call("SetCopiaDados", {"001", pick(load_.formulaCustomers), "", 3, "", targets(), 1, "", ""});
      } else if (kind < 13) {
        if (const std::int64_t last = load_.lastBatch)
          call("SetDesfazLote", {static_cast<int>(std::max<std::int64_t>(1, last - static_cast<int>(random_() % 20)))},
               true);
      } else if (kind < 17) {
        call("GetPrecoProd", {customer, 3});
        reads.millis.push_back(Millis(start));
      } else {
        call("GetHistPreco", {customer, "", "", 0, 100});
        reads.millis.push_back(Millis(start));
      }
    }
    std::lock_guard lock(load_.mutex);
    load_.saves.millis.insert(load_.saves.millis.end(), saves.millis.begin(), saves.millis.end());
    load_.reads.millis.insert(load_.reads.millis.end(), reads.millis.begin(), reads.millis.end());
    load_.savesAcknowledged.insert(load_.savesAcknowledged.end(), acknowledged.begin(), acknowledged.end());
  }

 private:
  static double Millis(bench::Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(bench::Clock::now() - start).count();
  }
  const std::string& pick(const std::vector<std::string>& from) { return from[random_() % from.size()]; }
  // Three customers, as a list.
  std::string targets() { return pick(load_.customers) + "," + pick(load_.customers) + "," + pick(load_.customers); }

  // Whether the call was accepted. An undo may be refused by its rules (a batch undone
  // already, an undo's own); any other refusal or failure is one.
  bool call(const std::string& method, std::vector<platform::CallArg> args, bool undo = false) {
    try {
      auto envelope = contracts::server::ReadEnvelope(net_.Call(method, std::move(args)));
      if (envelope.ok) return true;
      if (undo || envelope.message.find("não tem preço especial") != std::string::npos ||
          envelope.message.find("Nenhum cliente de destino") != std::string::npos)
        return false;
      load_.fail(method + ": " + envelope.message);
    } catch (const std::exception& e) {
      load_.fail(method + ": " + e.what());
    }
    return false;
  }

  Load& load_;
  std::mt19937 random_;
  platform::TSocketConnection net_;
};

std::vector<std::string> Texts(server::store::Connection& c, const std::string& sql) {
  std::vector<std::string> texts;
  c.query(sql, {}, [&](const server::store::Row& row) { texts.push_back(row.text(0)); });
  return texts;
}

struct Outcome {
  double saveP50 = 0, saveP99 = 0, saveMax = 0, readP50 = 0, readP99 = 0, readMax = 0;
  std::size_t saves = 0, reads = 0, historyRows = 0, chainFaults = 0, savesWithoutHistory = 0;
  long errors = 0;
  std::vector<std::string> firstErrors, firstFaults;
};

Outcome Run(const std::string& executable, const std::string& target, int clients, int seconds, int threads) {
  auto init = vqrtest::RunAppServer({"init", "--db", target, "--demo"}, std::chrono::seconds(300), {}, executable);
  if (init.exitCode != 0) throw std::runtime_error("appserver init: " + init.err);
  Load load;
  auto store = server::store::Store::Open(target);
  auto c = store->connect();
  vqrtest::AddTestUser(*c);
  load.customers = Texts(*c, "SELECT CDCLIENTE FROM CLIENTE ORDER BY CDCLIENTE");
  load.products = Texts(*c, "SELECT CDPRODUTO FROM PRODUTO WHERE NRNIVEL = 3 ORDER BY CDPRODUTO");
  load.formulaCustomers = Texts(*c, "SELECT DISTINCT CDCLIENTE FROM COMPPRECLIE ORDER BY CDCLIENTE");
  const vqrtest::PriceTexts start = vqrtest::CurrentPrices(*c);
  const std::int64_t startNumber = c->queryInteger("SELECT MAX(NRSEQHIST) FROM TABPRECLIEHIST", {}).value_or(0);

  vqrtest::AppServerProcess server(
      {.database = target, .threads = static_cast<unsigned>(threads), .executable = executable});
  std::vector<std::unique_ptr<Clerk>> clerks;
  for (int id = 0; id < clients; ++id) clerks.push_back(std::make_unique<Clerk>(server.port(), load, id));
  const auto until = bench::Clock::now() + std::chrono::seconds(seconds);
  std::thread batchWatcher([&] {
    auto watcher = store->connect();
    while (bench::Clock::now() < until) {
      load.lastBatch = watcher->queryInteger("SELECT MAX(NRLOTE) FROM TABPRECLIELOTE", {}).value_or(0);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  std::vector<std::thread> running;
  for (auto& clerk : clerks) running.emplace_back([&clerk, until] { clerk->run(until); });
  for (auto& thread : running) thread.join();
  batchWatcher.join();
  server.stop();

  Outcome o;
  o.saves = load.saves.millis.size();
  o.saveP50 = load.saves.percentile(0.5), o.saveP99 = load.saves.percentile(0.99), o.saveMax = load.saves.percentile(1);
  o.reads = load.reads.millis.size();
  o.readP50 = load.reads.percentile(0.5), o.readP99 = load.reads.percentile(0.99), o.readMax = load.reads.percentile(1);
  o.errors = load.errors;
  o.firstErrors = load.firstErrors;
  o.historyRows = static_cast<std::size_t>(
      c->queryInteger("SELECT COUNT(*) FROM TABPRECLIEHIST WHERE NRSEQHIST > $1", {startNumber}).value_or(0));
  auto faults = vqrtest::HistoryChainFaults(*c, start, startNumber);
  o.chainFaults = faults.size();
  o.firstFaults.assign(faults.begin(), faults.begin() + std::min<std::size_t>(faults.size(), 3));
  // Each acknowledged save's price is unique: it must be in the history once.
  std::multiset<std::pair<std::string, long long>> manual;
  c->query("SELECT CDCLIENTE || '/' || CDPRODUTO, VRPRECONOV FROM TABPRECLIEHIST WHERE IDORIGALT = 'M' AND "
           "VRPRECONOV IS NOT NULL AND NRSEQHIST > $1",
           {startNumber}, [&](const server::store::Row& row) {
             manual.emplace(row.text(0), std::llround(row.real(1) * 1000));
           });
  for (const auto& [key, price] : load.savesAcknowledged)
    if (manual.count({key, std::llround(price * 1000)}) != 1) ++o.savesWithoutHistory;
  return o;
}

void Print(const std::string& name, const Outcome& o) {
  std::printf("  %s\n", name.c_str());
  std::printf("    save: %7zu calls  p50 %8.2f ms  p99 %8.2f ms  max %8.2f ms\n", o.saves, o.saveP50, o.saveP99,
              o.saveMax);
  std::printf("    read: %7zu calls  p50 %8.2f ms  p99 %8.2f ms  max %8.2f ms\n", o.reads, o.readP50, o.readP99,
              o.readMax);
  std::printf("    history: %zu rows, %zu chain breaks or replay mismatches, %zu acknowledged saves without their "
              "row; %ld failed calls\n",
              o.historyRows, o.chainFaults, o.savesWithoutHistory, o.errors);
  for (const auto& f : o.firstFaults) std::printf("      fault: %s\n", f.c_str());
  for (const auto& e : o.firstErrors) std::printf("      failure: %s\n", e.c_str());
}

std::string TextOption(int argc, char** argv, const std::string& name) {
  for (int i = 1; i + 1 < argc; ++i)
    if (argv[i] == name) return argv[i + 1];
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int clients = bench::IntOption(argc, argv, "--clients", 32);
    const int seconds = bench::IntOption(argc, argv, "--seconds", 60);
    const int threads = bench::IntOption(argc, argv, "--threads", 8);
    const std::string other = TextOption(argc, argv, "--appserver");
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    std::printf("%d clients for %d s on %s, one appserver (--threads %d)\n", clients, seconds,
                scratch.postgres() ? "PostgreSQL" : "SQLite", threads);
    bool exact = true;
    if (!other.empty()) {
      Outcome before = Run(other, scratch.create("before"), clients, seconds, threads);
      Print("before (" + other + ")", before);
    }
    Outcome after = Run(vqrtest::AppServerPath(), scratch.create("after"), clients, seconds, threads);
    Print("this build", after);
    exact = after.chainFaults == 0 && after.savesWithoutHistory == 0 && after.errors == 0;
    return exact ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_mixed_load: %s\n", e.what());
    return 1;
  }
}
