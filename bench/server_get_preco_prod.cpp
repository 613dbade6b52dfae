// GetPrecoProd end to end: the call over a loopback connection to the listener, the
// data module's query and packet, the transfer, and loading the packet into a client
// dataset, against the same SQL query run bare in process, for one customer over
// 50,000 products.
//
//   bench_server_get_preco_prod [--pg] [--products N] [--runs N]
#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>

#include "bench/server_bench_common.h"
#include "contracts/server/result_envelope.h"
#include "platform/data/client_dataset.h"
#include "platform/net/socket_connection.h"
#include "platform/variant/codec.h"
#include "server/store/schema.h"
#include "server/store/transaction.h"

namespace {

using platform::Variant;

constexpr const char* kCustomer = "000001";

constexpr const char* kQuery =
    "SELECT P.CDPRODUTO, P.NMPRODUTO, P.CDARVPROD, T.VRPRECOPROD, T.DTVALINI, T.DTVALFIN FROM PRODUTO P LEFT JOIN "
    "TABPRECLIE T ON T.CDPRODUTO = P.CDPRODUTO AND T.CDCLIENTE = $1 WHERE P.NRNIVEL = $2 ORDER BY P.CDARVPROD";

// The query alone, every cell read.
std::size_t BareQuery(server::store::Connection& c) {
  std::size_t rows = 0, bytes = 0;
  c.query(kQuery, {kCustomer, std::int64_t{3}}, [&](const server::store::Row& row) {
    ++rows;
    for (int col : {0, 1, 2, 4, 5}) bytes += row.textView(col).size();
    if (!row.isNull(3)) bytes += row.real(3) > 0;
  });
  return rows + (bytes == 0);
}

std::size_t EndToEnd(platform::TSocketConnection& net, platform::TClientDataSet& dataset) {
  auto envelope = contracts::server::ReadEnvelope(net.Call("GetPrecoProd", {kCustomer, 3}));
  if (!envelope.ok) throw std::runtime_error("GetPrecoProd refused: " + envelope.message);
  dataset.SetData(envelope.data);
  return static_cast<std::size_t>(dataset.RecordCount());
}

}  // namespace

int main(int argc, char** argv) {
  try {
    int products = bench::IntOption(argc, argv, "--products", 50000);
    int runs = bench::IntOption(argc, argv, "--runs", 15);
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    std::string target = scratch.create("prices");
    bench::PrepareOneCustomerPrices(target, products, 5);
    auto store = server::store::Store::Open(target);
    auto bare = store->connect();
    bench::LocalServer server(*store, 4);
    platform::TSocketConnection net;
    net.SetServerName("VQR51200.rdmTabPreClie");
    vqrtest::SignInAs(net);
    net.BeforeConnect = [&](platform::TObject*) {
      net.SetHost("127.0.0.1");
      net.SetPort(server.port());
    };
    platform::TClientDataSet dataset;

    std::vector<double> bareTimes, endTimes;
    std::size_t bareRows = 0, endRows = 0;
    for (int run = 0; run < runs + 2; ++run) {  // the first two warm caches up
      double b = bench::Seconds([&] { bareRows = BareQuery(*bare); });
      double e = bench::Seconds([&] { endRows = EndToEnd(net, dataset); });
      if (run >= 2) {
        bareTimes.push_back(b);
        endTimes.push_back(e);
      }
    }
    // Where the time goes: the handler alone (query and packet), the packet's encoding
    // and decoding, and loading it into the dataset.
    std::vector<double> handlerTimes, codecTimes, loadTimes;
    server::modules::MethodHandler handler;
    for (auto& entry : server::modules::DataModuleMethods(*store))
      if (entry.address == "rdmTabPreClie.GetPrecoProd") handler = entry.handler;
    for (int run = 0; run < runs; ++run) {
      Variant packet;
      std::vector<Variant> args{kCustomer, 3};
      handlerTimes.push_back(
          bench::Seconds([&] { packet = contracts::server::ReadEnvelope(handler({vqrtest::kTestUser}, args)).data; }));
      codecTimes.push_back(bench::Seconds([&] { packet = platform::DecodeVariant(platform::EncodeVariant(packet)); }));
      loadTimes.push_back(bench::Seconds([&] { dataset.SetData(packet); }));
    }
    if (bareRows != endRows) throw std::runtime_error(fmt::format("rows differ: {} and {}", bareRows, endRows));
    double b = bench::Median(bareTimes), e = bench::Median(endTimes);
    std::printf("GetPrecoProd on %s: one customer over %zu products (median of %d)\n",
                scratch.postgres() ? "PostgreSQL" : "SQLite", endRows, runs);
    std::printf("  bare query in process        %8.1f ms\n", b * 1000);
    std::printf("  call, transfer and SetData   %8.1f ms\n", e * 1000);
    std::printf("    of which handler (query and packet) %.1f ms, encode and decode %.1f ms, SetData %.1f ms\n",
                bench::Median(handlerTimes) * 1000, bench::Median(codecTimes) * 1000, bench::Median(loadTimes) * 1000);
    std::printf("end to end / bare query: %.2fx (target <= 1.5x)\n", e / b);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_get_preco_prod: %s\n", e.what());
    return 1;
  }
}
