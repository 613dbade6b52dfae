// The multiple-choice customer list of the copy screen through `host --stdio`, as a
// person uses it (Lista, the search button, keys, Space, mark all), with 10,000
// customers against the same steps with 10 customers in the same run. Prints p50 and
// p99 of each step, their ratio to the 10-customer list, and the state sizes.
//
//   bench_host_customer_list [keys]   (default 1000 key round trips per kind)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bench/host_bench_common.h"
#include "support/app_server_process.h"
#include "support/host_process.h"
#include "support/temp_dir.h"

using Clock = std::chrono::steady_clock;
using testsupport::HostProcess;

namespace {

constexpr const char* kSource = "000001";
constexpr const char* kList = "dlgPesquisaLista.dbgPesquisa";

struct Figures {
  double p50 = 0, p99 = 0;
};

Figures Measure(int rounds, const std::function<void(int)>& step) {
  std::vector<double> micros;
  for (int i = 0; i < rounds; ++i) {
    const auto start = Clock::now();
    step(i);
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::sort(micros.begin(), micros.end());
  auto at = [&](double q) { return micros[static_cast<std::size_t>(q * static_cast<double>(micros.size() - 1))]; };
  return {at(0.50), at(0.99)};
}

// The median of the milliseconds the server logged for its GetPesqClieLista calls.
double ServerListMs(const std::string& log) {
  static const std::regex line(R"(rdmTabPreClie\.GetPesqClieLista\S* \S*\s*([0-9.]+) ms ok)");
  std::vector<double> figures;
  std::istringstream in(log);
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (std::regex_search(text, m, line)) figures.push_back(std::stod(m[1]));
  }
  if (figures.empty()) return 0;
  std::sort(figures.begin(), figures.end());
  return figures[figures.size() / 2];
}

struct Case {
  std::map<std::string, Figures> steps;
  double serverListMs = 0;           // the server's own time of the list call
  std::size_t stateBytes = 0;        // the state answering a key, nothing marked
  std::size_t markedStateBytes = 0;  // the same with every row marked
};

Case Run(int customers, int keys) {
  vqrtest::TempDir dir;
  const std::string database = dir.file("bench.db");
  auto init = vqrtest::RunAppServer(
      {"init", "--db", database, "--demo", "--customers", std::to_string(customers), "--products", "50"});
  if (init.exitCode != 0) throw std::runtime_error("appserver init: " + init.err);
  vqrtest::AddUser(database);
  vqrtest::AppServerProcess server({.database = database});
  HostProcess host(bench::ModuleHost(server.port(), database));
  bench::OpenPriceTable(host, database, kSource);
  host.click("frmTabPreClie.sbtCopiaDados");
  bench::Expect(host.activeForm() == "frmCopiaDados", "the copy screen did not open", host);
  host.click("frmCopiaDados.rbtLista");

  Case result;
  result.steps["open the list"] = Measure(10, [&](int) {
    host.click("frmCopiaDados.btpPesqClie");
    bench::Expect(host.activeForm() == "dlgPesquisaLista", "the list did not open", host);
    host.key(27);
  });
  host.click("frmCopiaDados.btpPesqClie");
  host.key(40);
  result.steps["Down / Up"] = Measure(keys, [&](int i) { host.key(i % 2 == 0 ? 40 : 38); });
  result.stateBytes = host.transcript().back().size();
  result.steps["Space"] = Measure(keys, [&](int) { host.key(32, {}, " "); });
  result.steps["mouse mark"] = Measure(keys, [&](int i) { host.mark(kList, i % 8); });
  result.steps["search a letter"] = Measure(keys, [&](int i) {
    const char letter = static_cast<char>('A' + i % 26);
    host.key(letter, {}, std::string(1, letter));
  });
  result.steps["scroll"] = Measure(keys, [&](int i) { host.scroll(kList, (i * 7919) % std::max(1, customers - 20)); });
  result.steps["mark all / unmark all"] = Measure(20, [&](int i) {
    host.click(i % 2 == 0 ? "dlgPesquisaLista.btnMarcarTodos" : "dlgPesquisaLista.btnDesmarcarTodos");
  });
  host.click("dlgPesquisaLista.btnMarcarTodos");
  host.key(40);
  result.steps["Down / Up, all marked"] = Measure(keys, [&](int i) { host.key(i % 2 == 0 ? 40 : 38); });
  result.markedStateBytes = host.transcript().back().size();
  result.steps["OK, all marked"] = Measure(1, [&](int) { host.click("dlgPesquisaLista.btnOK"); });
  bench::Expect(host.activeForm() == "frmCopiaDados", "the list did not close", host);
  result.serverListMs = ServerListMs(server.log());
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int keys = argc > 1 ? std::max(100, std::atoi(argv[1])) : 1000;
    const Case small = Run(10, keys);
    const Case large = Run(10000, keys);
    std::printf("multiple-choice customer list through host --stdio, %d keys per kind\n", keys);
    std::printf("%-24s %12s %12s %12s %12s %10s\n", "step", "p50 10 (us)", "p99 10 (us)", "p50 10k (us)",
                "p99 10k (us)", "p99 ratio");
    for (const auto& [name, figures] : large.steps) {
      const Figures& base = small.steps.at(name);
      std::printf("%-24s %12.0f %12.0f %12.0f %12.0f %9.2fx\n", name.c_str(), base.p50, base.p99, figures.p50,
                  figures.p99, figures.p99 / base.p99);
    }
    std::printf("state bytes, nothing marked: %zu (10) %zu (10,000); every row marked: %zu (10) %zu (10,000)\n",
                small.stateBytes, large.stateBytes, small.markedStateBytes, large.markedStateBytes);
    std::printf("opening the list: the server's own time of GetPesqClieLista %.1f ms (10), %.1f ms (10,000)\n",
                small.serverListMs, large.serverListMs);
    double worstKey = 0;
    for (const char* key : {"Down / Up", "Space", "mouse mark", "search a letter", "scroll", "Down / Up, all marked"})
      worstKey = std::max(worstKey, large.steps.at(key).p99);
    std::printf("target p99 of a key round trip < 5 ms with 10,000 customers: %.2f ms, %s\n", worstKey / 1000,
                worstKey < 5000 ? "met" : "NOT met");
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_host_customer_list: %s\n", e.what());
    return 1;
  }
}
