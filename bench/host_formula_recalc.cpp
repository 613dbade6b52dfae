// The recalculation of a customer's prices over 50,000 products started from the
// formula screen as a person does it (Enter, Yes, until the success box) through
// `host --stdio`, against the server's own time for the same SetCalcCusProd call, read
// from its call log in the same run. Each round takes another cost type, so every
// round really rewrites the prices. Prints both figures per round and their ratio.
//
//   bench_host_formula_recalc [rounds]   (default 3; 50,000 demo products)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/host_bench_common.h"
#include "support/app_server_process.h"
#include "support/host_process.h"
#include "support/temp_dir.h"

using Clock = std::chrono::steady_clock;
using testsupport::HostProcess;

namespace {

constexpr const char* kCustomer = "000001";  // the demo customer that always has a formula
constexpr int kProducts = 50000;

// The milliseconds of every SetCalcCusProd the server logged, in order.
std::vector<double> ServerFigures(const std::string& log) {
  static const std::regex line(R"(rdmTabPreClie\.SetCalcCusProd cliente=\S+ ([0-9.]+) ms ok)");
  std::vector<double> figures;
  std::istringstream in(log);
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (std::regex_search(text, m, line)) figures.push_back(std::stod(m[1]));
  }
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    vqrtest::TempDir dir;
    const std::string database = dir.file("bench.db");
    auto init = vqrtest::RunAppServer({"init", "--db", database, "--demo", "--products", std::to_string(kProducts)});
    if (init.exitCode != 0) throw std::runtime_error("appserver init: " + init.err);
    vqrtest::AddUser(database);
    vqrtest::AppServerProcess server({.database = database});

    HostProcess host(bench::ModuleHost(server.port(), database));
    bench::OpenPriceTable(host, database, kCustomer);

    std::vector<double> screenMs;
    for (int round = 0; round < rounds; ++round) {
      host.click("frmTabPreClie.sbtFormComp");
      bench::Expect(host.activeForm() == "frmFormCompPreco", "the formula screen did not open", host);
      host.select("frmFormCompPreco.cbbTpCusto", round % 3);
      host.key(13);
      bench::Expect(bench::MessageText(host).find("recalcular") != std::string::npos, "no recalculation question", host);
      const auto start = Clock::now();
      host.answer("btnYes");
      screenMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      bench::Expect(bench::MessageText(host) == "Recálculo de preços realizado com sucesso.", "the recalculation failed", host);
      host.answer("btnOK");
    }
    const std::vector<double> serverMs = ServerFigures(server.log());
    if (serverMs.size() != screenMs.size()) throw std::runtime_error("the server logged another count of calls");

    std::printf("SetCalcCusProd over %d products from the formula screen (Enter, Yes, until the success box)\n",
                kProducts);
    std::printf("%-8s %14s %14s %8s\n", "round", "screen (ms)", "server (ms)", "ratio");
    double worst = 0;
    for (std::size_t i = 0; i < screenMs.size(); ++i) {
      const double ratio = screenMs[i] / serverMs[i];
      worst = std::max(worst, ratio);
      std::printf("%-8zu %14.1f %14.1f %7.2fx\n", i + 1, screenMs[i], serverMs[i], ratio);
    }
    std::printf("screen / server, worst round: %.2fx (target <= 1.2x): %s\n", worst, worst <= 1.2 ? "met" : "NOT met");
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_host_formula_recalc: %s\n", e.what());
    return 1;
  }
}
