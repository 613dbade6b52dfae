// One key event through `host --stdio` and back (input line in, idle state line out),
// measured three ways in the same run: the baseline with only the main window open,
// a 10-row grid and a 100,000-row grid (the test module's grid form). Prints p50 and
// p99 of each and their ratio to the baseline, and the state sizes of both grids.
#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/host_process.h"

using Clock = std::chrono::steady_clock;
using testsupport::HostProcess;

namespace {

struct Figures {
  double p50 = 0, p99 = 0;
  std::size_t stateBytes = 0;
};

// Alternates Down and Up so the cursor really moves on every key.
Figures measure(HostProcess& host, int rounds) {
  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(rounds));
  for (int i = 0; i < rounds; ++i) {
    auto start = Clock::now();
    host.key(i % 2 == 0 ? 40 : 38);
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::sort(micros.begin(), micros.end());
  auto at = [&](double q) { return micros[static_cast<std::size_t>(q * (micros.size() - 1))]; };
  return {at(0.50), at(0.99), host.transcript().back().size()};
}

Figures gridCase(const char* button, int rounds) {
  HostProcess host;
  host.click("frmHost.mnuTabPreClie");
  host.click(std::string("frmTeste.") + button);
  host.focus("frmGrade.dbgGrade");
  measure(host, 50);  // warm up
  return measure(host, rounds);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(100, std::atoi(argv[1])) : 2000;
  Figures base;
  {
    HostProcess host;
    measure(host, 50);
    base = measure(host, rounds);
  }
  Figures small = gridCase("btnGrade", rounds);
  Figures large = gridCase("btnGrade100k", rounds);
  std::printf("host key round trip over stdio, %d keys per case\n", rounds);
  std::printf("%-22s %10s %10s %12s %12s %12s\n", "case", "p50 (us)", "p99 (us)", "p50/base", "p99/base",
              "state bytes");
  auto row = [&](const char* name, const Figures& f) {
    std::printf("%-22s %10.0f %10.0f %12.2f %12.2f %12zu\n", name, f.p50, f.p99, f.p50 / base.p50,
                f.p99 / base.p99, f.stateBytes);
  };
  row("baseline (no grid)", base);
  row("grid, 10 rows", small);
  row("grid, 100,000 rows", large);
  std::printf("state size 100,000 rows / 10 rows: %.3f\n",
              static_cast<double>(large.stateBytes) / static_cast<double>(small.stateBytes));
  std::printf("target p99 < 5 ms with 100,000 rows: %s\n", large.p99 < 5000 ? "met" : "NOT met");
  return 0;
}
