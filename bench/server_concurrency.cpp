// Sixteen clients at once, each on its own connection and customer, running the
// screens' mix of reads and writes (search, price list, price saves, formula edits,
// recalculations, price copies to a neighbour) against the listener and the data
// modules; every call must succeed. The throughput is compared with one client alone.
//
//   bench_server_concurrency [--pg] [--rounds N] [--clients N]
#include <fmt/format.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "bench/server_bench_common.h"
#include "contracts/server/packets.h"
#include "contracts/server/result_envelope.h"
#include "platform/net/socket_connection.h"
#include "platform/variant/data_packet.h"
#include "server/demo/demo_data.h"
#include "server/store/schema.h"
#include "server/store/transaction.h"

namespace {

using platform::ChangeKind;
using platform::DataPacket;
using platform::Var;
using platform::Variant;

std::string CustomerOf(int client) { return fmt::format("{:06d}", client + 1); }

void Prepare(const std::string& target, int clients) {
  auto store = server::store::Store::Open(target, server::store::Store::Mode::Create);
  auto c = store->connect();
  server::store::Transaction tx(*c);
  server::store::CreateSchema(*c);
  server::demo::FillDemoData(*c, {static_cast<std::size_t>(std::max(clients + 1, 60)), 3000, 1});
  for (int client = 0; client <= clients; ++client) {
    c->execute("DELETE FROM COMPPRECLIE WHERE CDCLIENTE = $1", {CustomerOf(client)});
    c->execute("INSERT INTO COMPPRECLIE VALUES ($1, '001', '001', 'P', 30, 'SUM')", {CustomerOf(client)});
  }
  tx.commit();
}

struct Tally : bench::Failures {
  std::atomic<long> calls{0};
};

class Client {
 public:
  Client(std::uint16_t port, int id, Tally& tally) : id_(id), customer_(CustomerOf(id)), tally_(tally) {
    bench::AimAtLoopback(net_, port);
  }

  void round(int n) {
    call("GetPesqCliente", {"", "T"});
    Variant prices = call("GetPrecoProd", {customer_, 3});
    std::string product = prices.isBlank() ? "" : std::string(prices.asPacket().stringAt(n % 50, 0));
    if (!product.empty()) call("SetTabPreClie", {customer_, product, 10.0 + n, "01/01/2026", "", "S"});
    editFormula();
    if (n % 10 == 0) {
      std::string number;
      call("SetCalcCusProd", {"001", Var(customer_), Var(number), 3, 1, "", "", "S"});
    }
    if (n % 20 == 5) {
      std::string all, list = CustomerOf(id_ + 1), replace = "S";
      call("SetCopiaPreco", {"001", Var(customer_), 3, Var(all), Var(list), "", "", Var(replace), "1", "1"});
    }
  }

 private:
  void editFormula() {
    Variant formula = call("GetFatPreClie", {Var(customer_), "Custo"});
    if (formula.isBlank()) return;
    const DataPacket& rows = formula.asArray()[0].asPacket();
    std::vector<Variant> original;
    for (std::size_t col = 0; col < rows.columnCount(); ++col) original.push_back(rows.value(0, col));
    std::vector<Variant> current = original;
    current[5] = Variant(current[5].asDouble() + 0.5);
    auto delta = std::make_shared<DataPacket>(DataPacket::Delta(contracts::server::FormulaColumns()));
    for (const Variant& cell : current) delta->appendValue(cell);
    delta->endDeltaRow(ChangeKind::Modified, original);
    call("SetCompPreco", {Variant(std::shared_ptr<const DataPacket>(delta)), Var(customer_), "Custo"});
  }

  Variant call(const std::string& method, std::vector<platform::CallArg> args) {
    ++tally_.calls;
    return bench::CallOrNote(net_, method, std::move(args), tally_);
  }

  int id_;
  std::string customer_;
  Tally& tally_;
  platform::TSocketConnection net_;
};

// Runs `clients` clients for `rounds` rounds each; returns calls per second.
double Run(std::uint16_t port, int clients, int rounds, Tally& tally) {
  std::vector<std::thread> threads;
  double seconds = bench::Seconds([&] {
    for (int id = 0; id < clients; ++id)
      threads.emplace_back([&, id] {
        Client client(port, id, tally);
        for (int n = 0; n < rounds; ++n) client.round(n);
      });
    for (auto& t : threads) t.join();
  });
  return tally.calls / seconds;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    int clients = bench::IntOption(argc, argv, "--clients", 16);
    int rounds = bench::IntOption(argc, argv, "--rounds", 30);
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    std::string target = scratch.create("concurrency");
    Prepare(target, clients);
    auto store = server::store::Store::Open(target);
    bench::LocalServer server(*store, 8);

    Tally alone;
    double single = Run(server.port(), 1, rounds, alone);
    Tally many;
    double together = Run(server.port(), clients, rounds, many);

    std::printf("%d clients at once on %s, %d rounds each (8 server threads)\n", clients,
                scratch.postgres() ? "PostgreSQL" : "SQLite", rounds);
    std::printf("  1 client:   %6ld calls, %7.1f calls/s, %ld errors\n", alone.calls.load(), single, alone.errors.load());
    std::printf("  %d clients: %6ld calls, %7.1f calls/s, %ld errors\n", clients, many.calls.load(), together,
                many.errors.load());
    for (const std::string& e : many.firstErrors) std::printf("    error: %s\n", e.c_str());
    std::printf("%d clients / 1 client throughput: %.2fx, errors: %ld (target: none)\n", clients, together / single,
                many.errors.load() + alone.errors.load());
    return many.errors + alone.errors == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_concurrency: %s\n", e.what());
    return 1;
  }
}
