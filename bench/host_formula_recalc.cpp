// The recalculation of a customer's prices over 50,000 products started from the
// formula screen as a person does it (Enter, Yes, until the success box) through
// `host --stdio`, against the server's own time for the same SetCalcCusProd call, read
// from its call log in the same run. Each round takes another cost type, so every
// round really rewrites the prices. Prints both figures per round and their ratio.
//
//   bench_host_formula_recalc [rounds]   (default 3; 50,000 demo products)
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/app_server_process.h"
#include "support/host_process.h"
#include "support/temp_dir.h"

using Clock = std::chrono::steady_clock;
using testsupport::HostProcess;

namespace {

constexpr const char* kCustomer = "000001";  // the demo customer that always has a formula
constexpr int kProducts = 50000;

std::string RegistrationNumber(const std::string& database) {
  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
  std::string number;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = ?", -1, &stmt, nullptr) == SQLITE_OK) {
    sqlite3_bind_text(stmt, 1, kCustomer, -1, SQLITE_STATIC);
    if (sqlite3_step(stmt) == SQLITE_ROW) number = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  if (number.empty()) throw std::runtime_error("demo customer " + std::string(kCustomer) + " not found");
  return number;
}

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

std::string MessageText(const HostProcess& host) {
  auto box = host.messageBox();
  return box ? box->value("text", "") : "";
}

void Expect(bool condition, const std::string& what, const HostProcess& host) {
  if (!condition) throw std::runtime_error(what + " (message: " + MessageText(host) + ")");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    vqrtest::TempDir dir;
    const std::string database = dir.file("bench.db");
    auto init = vqrtest::RunAppServer({"init", "--db", database, "--demo", "--products", std::to_string(kProducts)});
    if (init.exitCode != 0) throw std::runtime_error("appserver init: " + init.err);
    vqrtest::AppServerProcess server({.database = database});

    HostProcess::Options options;
    options.module = std::string(VQR_BINARY_DIR) + "/lib/Pkg_VQR51200.so";
    options.extraArgs = {"--server", "127.0.0.1:" + std::to_string(server.port()), "--db", database};
    options.timeout = std::chrono::milliseconds(120000);
    HostProcess host(options);
    host.click("frmHost.mnuTabPreClie");
    host.focus("frmTabPreClie.medCdClie");
    host.type(RegistrationNumber(database));
    host.key(9);
    Expect(host.focusPath() == "frmTabPreClie.dbgPadrao", "the customer was not accepted", host);

    std::vector<double> screenMs;
    for (int round = 0; round < rounds; ++round) {
      host.click("frmTabPreClie.sbtFormComp");
      Expect(host.activeForm() == "frmFormCompPreco", "the formula screen did not open", host);
      host.select("frmFormCompPreco.cbbTpCusto", round % 3);
      host.key(13);
      Expect(MessageText(host).find("recalcular") != std::string::npos, "no recalculation question", host);
      const auto start = Clock::now();
      host.answer("btnYes");
      screenMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      Expect(MessageText(host) == "Recálculo de preços realizado com sucesso.", "the recalculation failed", host);
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
