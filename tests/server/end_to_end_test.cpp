// The real appserver process on loopback, with a real client connection: the screens'
// calls over the wire, bad requests, users editing at the same time, two servers on
// one PostgreSQL database, a server killed in the middle of a large copy, and the
// server's memory while clients hold large unfinished frames.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "contracts/server/packets.h"
#include "contracts/server/result_envelope.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "platform/net/server_list.h"
#include "platform/net/socket_connection.h"
#include "platform/variant/data_packet.h"
#include "server/demo/demo_data.h"
#include "server/modules/data_modules.h"
#include "server/rpc/server.h"
#include "server/store/transaction.h"
#include "support/app_server_process.h"
#include "tests/server/backend_fixture.h"
#include "tests/server/seed.h"
#include "tests/support/raw_socket.h"
#include "tests/support/rpc_test_server.h"
#include "support/in_process/test_users.h"

namespace servertest {
namespace {

using platform::CallArg;
using platform::ChangeKind;
using platform::DataPacket;
using platform::Var;
using platform::Variant;

// A client connection to the data module, pointed at a server's port.
struct Client {
  explicit Client(std::uint16_t port, const std::string& serverName = "VQR51200.rdmTabPreClie",
                  const std::string& login = vqrtest::kTestUser) {
    vqrtest::PointAt(net, port, nullptr, serverName);
    vqrtest::SignInAs(net, login);
  }
  // The envelope of a call, sent with a condition when one is given.
  contracts::server::Envelope call(const std::string& method, std::vector<CallArg> args, Variant condition = {}) {
    return contracts::server::ReadEnvelope(net.Call(method, std::move(args), std::move(condition)));
  }
  // The data part of a call that must succeed (CheckResultServ's way).
  Variant ok(const std::string& method, std::vector<CallArg> args) {
    auto envelope = call(method, std::move(args));
    EXPECT_TRUE(envelope.ok) << method << ": " << envelope.message;
    return envelope.data;
  }
  platform::TSocketConnection net;
};

Variant FormulaDelta(ChangeKind kind, double value, std::optional<double> original) {
  auto row = [](double v) -> std::vector<Variant> { return {"001", "C1", "MKP", "001", "P", v, "SUM"}; };
  auto delta = std::make_shared<DataPacket>(DataPacket::Delta(contracts::server::FormulaColumns()));
  for (const Variant& cell : row(value)) delta->appendValue(cell);
  delta->endDeltaRow(kind, original ? row(*original) : std::vector<Variant>{});
  return Variant(std::shared_ptr<const DataPacket>(std::move(delta)));
}

class EndToEndTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped()) return;
    SeedBasics(db());
    server_ = std::make_unique<vqrtest::AppServerProcess>(vqrtest::AppServerProcess::Options{target()});
  }
  void TearDown() override { server_.reset(); }

  // Reads the formula value of C1's row 001 and raises it by one, with what was read
  // as the original; true when the server accepted it.
  static bool RaiseFormulaValue(Client& client) {
    std::string customer = "C1";
    Variant answer = client.ok("GetFatPreClie", {Var(customer), "Custo"});
    double read = answer.asArray()[0].asPacket().value(0, 5).asDouble();
    auto envelope = client.call("SetCompPreco", {FormulaDelta(ChangeKind::Modified, read + 1, read), Var(customer), "Custo"});
    return envelope.ok;
  }

  std::unique_ptr<vqrtest::AppServerProcess> server_;
};

TEST_P(EndToEndTest, TheScreensCallsWorkOverTheWire) {
  Client client(server_->port());
  Variant found = client.ok("GetPesqCliente", {"11.222.333/0001-81", ""});
  EXPECT_EQ(found.asPacket().value(0, 4), Variant("C1"));
  EXPECT_EQ(client.ok("GetPrecoProd", {"C1", 3}).asPacket().rowCount(), 4u);

  client.ok("SetTabPreClie", {"C1", "P1", 12.0, "01/01/2026", "", "S"});
  Variant prices = client.ok("GetPrecoProd", {"C1", 3});
  EXPECT_EQ(prices.asPacket().value(0, 3), Variant(12.0)) << "a whole price stays a double";
  EXPECT_EQ(prices.asPacket().value(0, 4), Variant(platform::EncodeDate(2026, 1, 1)));

  std::string customer = "C1";
  Variant saved = client.ok("SetCompPreco", {FormulaDelta(ChangeKind::Inserted, 50, std::nullopt), Var(customer), "Custo"});
  EXPECT_EQ(saved.asArray()[1], Variant("Custo + MKP(50,000%)"));
  EXPECT_EQ(customer, "C1");
  std::string number = "11222333000181";
  client.ok("SetCalcCusProd", {"001", Var(customer), Var(number), 3, 1, "", "", "S"});
  EXPECT_EQ(client.ok("GetPrecoProd", {"C1", 3}).asPacket().value(3, 3), Variant(30.0));

  db().execute("UPDATE COMPPRECLIE SET IDTPOPERFATCLIE = 'SUB', VRFATPRECLIE = 100");
  auto refused = client.call("SetCalcCusProd", {"001", Var(customer), Var(number), 3, 1, "", "", "S"});
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message, "@PrecoZerNeg");

  Client costs(server_->port(), "cus.rdmCustProd");
  EXPECT_EQ(costs.ok("GetTipoCusto", {}).asPacket().rowCount(), 3u);

  // One log line per call: method, customer, duration, outcome.
  auto logged = [&](const std::string& text) {
    for (int i = 0; i < 200 && server_->log().find(text) == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return server_->log().find(text) != std::string::npos;
  };
  EXPECT_TRUE(logged("rdmTabPreClie.SetTabPreClie usuario=teste cliente=C1 ")) << server_->log();
  EXPECT_TRUE(logged("rdmTabPreClie.SetCalcCusProd usuario=teste cliente=C1 ")) << server_->log();
  EXPECT_TRUE(logged("recusado: @PrecoZerNeg")) << server_->log();
  EXPECT_TRUE(logged("rdmCustProd.GetTipoCusto ")) << server_->log();
}

TEST_P(EndToEndTest, BadRequestsGetClearErrorsAndTheServerGoesOn) {
  Client client(server_->port());
  EXPECT_THROW(client.net.Call("NaoExiste", {}), platform::ERemoteError);
  try {
    client.net.Call("GetPrecoProd", {"C1"});
    ADD_FAILURE() << "a call with too few arguments was answered";
  } catch (const platform::ERemoteError& e) {
    EXPECT_NE(std::string(e.what()).find("espera 2 argumentos"), std::string::npos) << e.what();
  }
  EXPECT_THROW(client.net.Call("GetPrecoProd", {"C1", "3"}), platform::ERemoteError);
  {
    vqrtest::RawSocket garbage(vqrtest::ConnectLoopback(server_->port()));
    garbage.send(std::string("\xc1\xc1\xc1 not a frame", 15));
    garbage.receive(std::chrono::milliseconds(500));
  }
  EXPECT_EQ(client.ok("GetPesqCliente", {"", "T"}).asPacket().rowCount(), 3u);
  EXPECT_TRUE(server_->running());
}

TEST_P(EndToEndTest, TwoUsersEditingTheSameCustomerAtOnceLoseNoUpdate) {
  AddFormula(db(), "C1", {{"001", "001", "P", 10, "SUM"}});
  std::atomic<int> accepted{0};
  std::atomic<int> pricesSaved{0};
  auto user = [&](int who) {
    Client client(server_->port());
    for (int i = 0; i < 15; ++i) {
      if (RaiseFormulaValue(client)) ++accepted;
      if (client.call("SetTabPreClie", {"C1", who ? "P1" : "P2", 10.0 + i, "", "", "S"}).ok) ++pricesSaved;
    }
  };
  std::thread first(user, 0), second(user, 1);
  first.join();
  second.join();
  EXPECT_GE(accepted.load(), 15);
  EXPECT_EQ(*db().queryInteger("SELECT CAST(VRFATPRECLIE AS INTEGER) FROM COMPPRECLIE", {}), 10 + accepted.load())
      << "every accepted change built on the one before it";
  EXPECT_EQ(pricesSaved.load(), 30);
  EXPECT_EQ(count("TABPRECLIEHIST", "CDCLIENTE = 'C1'"), 30);
}

// What a command sent with its preview's history position wrote over (the aside of
// its envelope), as "customer product user old>new", with the count of them all.
std::pair<std::int64_t, std::vector<std::string>> WrittenOver(const contracts::server::Envelope& envelope) {
  EXPECT_TRUE(envelope.ok) << envelope.message;
  if (!envelope.ok) return {};
  EXPECT_TRUE(envelope.data.isEmpty()) << "the data part stays none";
  auto reply = contracts::server::DecodeAsideOf<contracts::server::SetCalcCusProd>(envelope.aside);
  std::vector<std::string> rows;
  const DataPacket& packet = *reply.packet;
  for (std::size_t r = 0; r < packet.rowCount(); ++r) {
    EXPECT_FALSE(packet.value(r, 6).isBlank()) << "each change listed has its time";
    rows.push_back(packet.value(r, 0).toString() + " " + packet.value(r, 2).toString() + " " +
                   packet.value(r, 5).toString() + " " + packet.value(r, 7).toString() + ">" +
                   packet.value(r, 8).toString());
  }
  return {reply.record.changed, rows};
}

template <class Preview>
std::int64_t PreviewMark(const Variant& preview) {
  return contracts::server::DecodeReplyOf<Preview>(preview).record.historyMark;
}

TEST_P(EndToEndTest, ACommandCommittedAfterItsPreviewIsWrittenAndListsThePricesAnotherChangedSince) {
  AddFormula(db(), "C1", {{"001", "001", "P", 50, "SUM"}});
  vqrtest::AddTestUser(db(), "maria");
  Client clerk(server_->port());
  Client other(server_->port(), "VQR51200.rdmTabPreClie", "maria");
  std::string customer = "C1", number = "11222333000181";
  auto recalc = [&]() -> std::vector<CallArg> { return {"001", Var(customer), Var(number), 3, 1, "", "", "S"}; };
  other.ok("SetTabPreClie", {"C1", "P2", 5.0, "", "", "S"});
  const std::int64_t mark = PreviewMark<contracts::server::GetPreviaCalcCusProd>(clerk.ok("GetPreviaCalcCusProd", recalc()));
  other.ok("SetTabPreClie", {"C1", "P1", 99.0, "", "", "S"});
  other.ok("SetTabPreClie", {"C2", "P1", 42.0, "", "", "S"});
  auto [count, rows] = WrittenOver(clerk.call("SetCalcCusProd", recalc(), Variant(mark)));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(rows, (std::vector<std::string>{"C1 P1 maria 99>15"}))
      << "a change before the preview, or of a price the command did not write, is not listed";
  EXPECT_EQ(PriceOf(db(), "C1", "P1")->price, 15.0) << "the command is written all the same";

  other.ok("SetTabPreClie", {"C1", "P1", 98.0, "", "", "S"});
  std::tie(count, rows) = WrittenOver(clerk.call("SetCalcCusProd", recalc()));
  EXPECT_EQ(count, 0) << "without a position nothing is listed";
  EXPECT_EQ(PriceOf(db(), "C1", "P1")->price, 15.0);

  auto lines = std::make_shared<DataPacket>(contracts::server::ImportLineColumns());
  for (auto [line, product, price] : {std::tuple{2, "102001", 7.0}, {3, "201001", 8.0}}) {
    lines->appendInteger(line);
    lines->appendString("C1");
    lines->appendString("");
    lines->appendString(product);
    lines->appendFloat(price);
    lines->appendNull();
    lines->appendNull();
    lines->endRow();
  }
  const Variant file(std::shared_ptr<const DataPacket>(std::move(lines)));
  const std::int64_t importMark = PreviewMark<contracts::server::GetPreviaImpPreco>(clerk.ok("GetPreviaImpPreco", {file, "C1", 3}));
  other.ok("SetTabPreClie", {"C1", "P4", 31.0, "", "", "S"});
  std::tie(count, rows) = WrittenOver(clerk.call("SetImpPreco", {file, "C1", 3}, Variant(importMark)));
  EXPECT_EQ(rows, (std::vector<std::string>{"C1 P4 maria 31>8"}));
  EXPECT_EQ(PriceOf(db(), "C1", "P4")->price, 8.0);
}

TEST_P(EndToEndTest, TwoServersOnOnePostgreSQLDatabaseShareEveryChange) {
  if (!postgres()) GTEST_SKIP() << "several servers share a PostgreSQL database, not a SQLite file";
  AddFormula(db(), "C1", {{"001", "001", "P", 10, "SUM"}});
  vqrtest::AppServerProcess other({target()});
  std::atomic<int> accepted{0};
  auto user = [&](std::uint16_t port) {
    Client client(port);
    for (int i = 0; i < 15; ++i)
      if (RaiseFormulaValue(client)) ++accepted;
  };
  std::thread first(user, server_->port()), second(user, other.port());
  first.join();
  second.join();
  EXPECT_EQ(*db().queryInteger("SELECT CAST(VRFATPRECLIE AS INTEGER) FROM COMPPRECLIE", {}), 10 + accepted.load());
  Client a(server_->port()), b(other.port());
  a.ok("SetTabPreClie", {"C2", "P4", 21.5, "", "", "S"});
  EXPECT_EQ(b.ok("GetPrecoProd", {"C2", 3}).asPacket().value(3, 3), Variant(21.5));
}

TEST_P(EndToEndTest, WhenTheServerInUseIsKilledTheNextSaveGoesToTheOtherInTheSameSession) {
  if (!postgres()) GTEST_SKIP() << "several servers share a PostgreSQL database, not a SQLite file";
  vqrtest::AppServerProcess other({target()});
  platform::TSocketConnection net;
  net.SetServerName("VQR51200.rdmTabPreClie");
  net.SetServerList(std::make_shared<platform::TServerList>(std::vector<platform::TServerAddress>{
      {"127.0.0.1", server_->port()}, {"127.0.0.1", other.port()}}));
  auto signIn = vqrtest::SignInAs(net);
  auto save = [&](double price) {
    return contracts::server::ReadEnvelope(net.Call("SetTabPreClie", {"C1", "P1", price, "", "", "S"})).ok;
  };
  EXPECT_TRUE(save(12.0));
  const std::string session = signIn->Session();
  server_->kill9();
  EXPECT_TRUE(save(13.0));
  EXPECT_EQ(signIn->Session(), session) << "the session was resumed by the other server";
  EXPECT_EQ(rows("SELECT VRPRECOANT, VRPRECONOV FROM TABPRECLIEHIST WHERE CDCLIENTE = 'C1' AND CDPRODUTO = 'P1' "
                 "ORDER BY NRSEQHIST"),
            (std::vector<std::vector<std::string>>{{"<null>", "12"}, {"12", "13"}}));
}

VQR_BACKEND_SUITE(EndToEndTest);

// A copy big enough to be killed half-way: every other customer gets the source's
// price of every product.
class KilledCopyTest : public BackendTest {
 protected:
  static constexpr const char* kSource = "000001";

  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped()) return;
    {
      server::store::Transaction tx(db());
      server::demo::FillDemoData(db(), {400, 2500, 9});
      tx.commit();
    }
    vqrtest::AddTestUser(db());
    // The source prices every product.
    for (auto& entry : server::modules::DataModuleMethods(store()))
      if (entry.address == "rdmTabPreClie.SetCalcCusProd") {
        std::vector<Variant> args{"001", kSource, "", 3, 1, "", "", "S"};
        ASSERT_TRUE(contracts::server::ReadEnvelope(entry.handler({vqrtest::kTestUser}, args)).ok);
      }
  }

  struct State {
    std::int64_t prices = 0;
    std::int64_t history = 0;
    friend bool operator==(const State&, const State&) = default;
  };
  State state() { return {count("TABPRECLIE"), count("TABPRECLIEHIST")}; }

  // What the copy will leave, worked out from the tables before it.
  State expectedAfter(const State& before) {
    const std::string pairs =
        "FROM CLIENTE C CROSS JOIN TABPRECLIE S LEFT JOIN TABPRECLIE T ON T.CDCLIENTE = C.CDCLIENTE AND "
        "T.CDPRODUTO = S.CDPRODUTO WHERE S.CDCLIENTE = $1 AND C.CDCLIENTE <> $1";
    std::int64_t missing = *db().queryInteger("SELECT COUNT(*) " + pairs + " AND T.CDCLIENTE IS NULL", {kSource});
    std::int64_t changed = *db().queryInteger("SELECT COUNT(*) " + pairs, {kSource});  // dates change on every one
    return {before.prices + missing, before.history + changed};
  }
};

TEST_P(KilledCopyTest, KillingTheServerDuringALargeCopyLeavesExactlyBeforeOrAfter) {
  State before = state();
  State after = expectedAfter(before);
  ASSERT_GT(after.prices - before.prices, 100000);
  auto server = std::make_unique<vqrtest::AppServerProcess>(vqrtest::AppServerProcess::Options{target()});
  std::atomic<bool> answered{false};
  std::thread copy([&] {
    Client client(server->port());
    std::string source = kSource, all = "T", list, replace = "S";
    try {
      client.net.Call("SetCopiaPreco", {"001", Var(source), 3, Var(all), Var(list), "01/01/2026", "31/12/2026",
                                        Var(replace), "", ""});
      answered = true;
    } catch (const platform::ENetError&) {
      // The server died under the call: the client reports the lost connection.
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  server->kill9();
  copy.join();
  EXPECT_FALSE(answered) << "the copy finished before the kill; this run proves less";

  // The database opens and serves again, what the copy had committed of its slices
  // taken back (modules/unfinished_batches.h).
  vqrtest::AppServerProcess again({target()});
  State now = state();
  EXPECT_TRUE(now == before || now == after)
      << "prices " << now.prices << " (before " << before.prices << ", after " << after.prices << "), history "
      << now.history << " (before " << before.history << ", after " << after.history << ")";
  EXPECT_EQ(count("TABPRECLIELOTE", "QTPRECO < 0"), 0);
  Client client(again.port());
  EXPECT_EQ(client.ok("GetPrecoProd", {kSource, 3}).asPacket().rowCount(), 2500u);
}

VQR_BACKEND_SUITE(KilledCopyTest);

// The most resident memory the process has had (VmHWM), in bytes.
std::size_t PeakResidentBytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  return 0;
}

TEST(AppServerMemory, EightConnectionsHoldingLargeUnfinishedFramesStayWithinTheBudget) {
  vqrtest::TempDir dir;
  const std::string database = dir.file("memoria.db");
  ASSERT_EQ(vqrtest::RunAppServer({"init", "--db", database}).exitCode, 0);
  vqrtest::AddUser(database);
  vqrtest::AppServerProcess server({.database = database});
  Client client(server.port());
  client.ok("GetPesqCliente", {"", "T"});
  const std::size_t before = PeakResidentBytes(server.pid());
  ASSERT_GT(before, 0u);

  // [0, n, "rdmTabPreClie.GetPesqCliente", [60 texts of 1,000,000 bytes]], sent as far
  // as 56 of them: 8 x 56 MB that an unbounded server would buffer.
  const std::string text = std::string("\xdb\x00\x0f\x42\x40", 5) + std::string(1'000'000, 'a');
  std::vector<vqrtest::RawSocket> attackers;
  for (int i = 0; i < 8; ++i) attackers.push_back(vqrtest::ConnectLoopback(server.port()));
  std::vector<std::thread> senders;
  for (int i = 0; i < 8; ++i)
    senders.emplace_back([&, i] {
      std::string head = std::string("\x94\x00", 2) + static_cast<char>(i) + "\xbcrdmTabPreClie.GetPesqCliente" +
                         std::string("\xdc\x00\x3c", 3);
      if (!attackers[i].send(head)) return;
      for (int piece = 0; piece < 56; ++piece)
        if (!attackers[i].send(text)) return;  // refused: the server closed it
    });
  for (auto& sender : senders) sender.join();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  Client during(server.port());
  EXPECT_EQ(during.ok("GetPesqCliente", {"", "T"}).asPacket().columns(), contracts::server::CustomerColumns())
      << "a small call is served while the large frames hold the budget";
  const std::size_t grown = PeakResidentBytes(server.pid()) - before;
  const std::size_t budget = server::rpc::kDefaultMemoryBudgetMiB << 20;
  EXPECT_LT(grown, budget + (48u << 20)) << "peak grew by " << (grown >> 20) << " MiB";
  EXPECT_TRUE(server.running());
  EXPECT_NE(server.log().find("sem memória livre para receber esta chamada"), std::string::npos);
}

}  // namespace
}  // namespace servertest
