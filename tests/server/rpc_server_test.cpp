// The application server's listener with the client connection over loopback, with
// test handlers and no database: round trips, var arguments, refused calls that leave
// the connection usable, hostile bytes that never harm other clients, fair
// connections (limits that close idle connections for new clients, the idle timeout,
// a frame deadline no slow sender can move), the worker pool, and stopping with calls
// in flight.
#include "server/rpc/server.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <fstream>
#include <future>
#include <limits>
#include <mutex>

#include "contracts/server/result_envelope.h"
#include "platform/net/frame_reader.h"
#include "platform/net/socket_connection.h"
#include "platform/variant/codec.h"
#include "platform/variant/data_packet.h"
#include "server/tls/self_signed_pair.h"
#include "support/temp_dir.h"
#include "tests/support/raw_socket.h"
#include "tests/support/rpc_test_server.h"

namespace server::rpc {
namespace {

using platform::CallArg;
using platform::ENetError;
using platform::ERemoteError;
using platform::TSocketConnection;
using platform::Var;
using platform::Variant;
using namespace std::chrono_literals;

// A one-shot gate handlers can wait on, released by the test.
class Gate {
 public:
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  // Waits until open; false after `limit`.
  bool wait(std::chrono::milliseconds limit = 5s) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

// The first bytes of a request whose address is a 4 KiB text: a frame under way.
const std::string kFrameStart("\x94\x00\x01\xda\x10\x00", 6);

// Whether the peer has closed the connection, without waiting.
bool PeerClosed(vqrtest::RawSocket& socket) {
  char byte;
  return ::recv(socket.fd(), &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

MethodRegistry EchoRegistry() {
  MethodRegistry registry;
  registry.add("rdmTabPreClie.Eco", [](std::vector<Variant>& params) {
    return params.empty() ? Variant() : params[0];
  });
  return registry;
}

std::string RawRequest(std::uint32_t msgid, const std::string& address,
                       std::vector<Variant> params = {}) {
  return platform::EncodeVariant(platform::RpcRequestFrame({msgid, address, std::move(params)}));
}

// Reads one response frame from a raw socket (or nullopt when none came in time).
std::optional<platform::RpcResponse> RawResponse(vqrtest::RawSocket& socket, bool* closed = nullptr,
                                                 std::chrono::milliseconds limit = 5s) {
  std::string bytes = socket.receive(limit, closed, [](const std::string& b) {
    return platform::RpcFrameReader::FrameLength(b) > 0;
  });
  if (platform::RpcFrameReader::FrameLength(bytes) == 0) return std::nullopt;
  return platform::ReadRpcResponse(platform::DecodeVariant(
      std::string_view(bytes).substr(0, platform::RpcFrameReader::FrameLength(bytes))));
}

platform::DataPacket SamplePacket(bool delta) {
  std::vector<platform::ColumnDef> columns = {{"CDPRODUTO", platform::FieldType::String, 10},
                                              {"VRPRECOPROD", platform::FieldType::Float, 0},
                                              {"DTVALINI", platform::FieldType::DateTime, 0},
                                              {"NRNIVEL", platform::FieldType::Integer, 0},
                                              {"IDATIVO", platform::FieldType::Boolean, 0}};
  platform::DataPacket packet =
      delta ? platform::DataPacket::Delta(columns) : platform::DataPacket(columns);
  std::vector<std::vector<Variant>> rows = {
      {"101001", 3.0, platform::EncodeDate(2026, 12, 31), std::int64_t{3}, true},
      {"", -0.0, platform::EncodeDate(1899, 12, 30), std::int64_t{-1}, false},
      {Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null()}};
  if (!delta) {
    for (const auto& row : rows) packet.appendRow(row);
    return packet;
  }
  auto cells = [&](const std::vector<Variant>& row) {
    for (const Variant& cell : row) packet.appendValue(cell);
  };
  cells(rows[0]);
  packet.endDeltaRow(platform::ChangeKind::Inserted);
  cells(rows[1]);
  packet.endDeltaRow(platform::ChangeKind::Modified, rows[2]);
  cells(rows[2]);
  packet.endDeltaRow(platform::ChangeKind::Deleted, rows[0]);
  return packet;
}

class RpcServerTest : public ::testing::Test {
 protected:
  void connect(TSocketConnection& net, vqrtest::TestServer& server, int* connects = nullptr) {
    vqrtest::PointAt(net, server.port(), connects);
  }
};

// ---------------------------------------------------------------------------------
// Round trips

TEST_F(RpcServerTest, EveryVariantKindComesBackExactly) {
  vqrtest::TestServer server(EchoRegistry());
  TSocketConnection net;
  connect(net, server);
  std::vector<Variant> values = {
      Variant(), Variant::Null(), true, false, std::int64_t{0},
      std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(),
      3.0, -0.0, DBL_MIN, DBL_MAX, 0.1, "", "Preço de São João — ação", std::string(100000, 'x'),
      platform::EncodeDate(2026, 2, 28),
      platform::VarArrayOf({}),
      platform::VarArrayOf({1, "dois", platform::VarArrayOf({3.5, Variant::Null()})}),
      Variant(std::make_shared<const platform::DataPacket>(SamplePacket(false))),
      Variant(std::make_shared<const platform::DataPacket>(SamplePacket(true))),
      platform::VarArrayOf(
          {Variant(std::make_shared<const platform::DataPacket>(SamplePacket(false))), "SUM"})};
  for (const Variant& value : values) {
    Variant back = net.Call("Eco", {value});
    EXPECT_EQ(back.kind(), value.kind()) << Variant::KindName(value.kind());
    EXPECT_TRUE(back == value) << Variant::KindName(value.kind());
  }
  Variant minusZero = net.Call("Eco", {-0.0});
  EXPECT_TRUE(std::signbit(minusZero.asDouble()));
}

TEST_F(RpcServerTest, VarTextArgumentsComeBackIntoTheCallersVariablesAndNothingElseDoes) {
  MethodRegistry registry;
  registry.add("rdmTabPreClie.Muda", [](std::vector<Variant>& params) {
    params[0] = "000777";          // var, text: written back
    params[1] = std::int64_t{5};   // var, no longer a text: left alone
    params[2] = "ignorado";        // by value: never written back
    return contracts::server::MakeSuccess();
  });
  vqrtest::TestServer server(std::move(registry));
  TSocketConnection net;
  connect(net, server);
  std::string code = "000123", number = "12345678000190", byValue = "T";
  net.Call("Muda", {Var(code), Var(number), byValue});
  EXPECT_EQ(code, "000777");
  EXPECT_EQ(number, "12345678000190");
  EXPECT_EQ(byValue, "T");
}

TEST_F(RpcServerTest, CallsAddressTheModuleAfterTheLastDotOfTheServerName) {
  MethodRegistry registry;
  registry.add("rdmCustProd.GetTipoCusto", [](std::vector<Variant>&) { return Variant("custos"); });
  vqrtest::TestServer server(std::move(registry));
  TSocketConnection net;
  vqrtest::PointAt(net, server.port(), nullptr, "cus.rdmCustProd");
  EXPECT_EQ(net.Call("GetTipoCusto", {}), Variant("custos"));
  ASSERT_EQ(server.calls().size(), 1u);
  EXPECT_EQ(server.calls()[0].address, "rdmCustProd.GetTipoCusto");
}

// ---------------------------------------------------------------------------------
// Refused calls keep the connection usable

TEST_F(RpcServerTest, RefusedCallsGetClearTextsAndTheConnectionStaysUsable) {
  MethodRegistry registry = EchoRegistry();
  registry.add("rdmTabPreClie.GetPrecoProd", [](std::vector<Variant>&) {
    return contracts::server::MakeSuccess("lista");
  });
  vqrtest::TestServer server(std::move(registry));
  TSocketConnection net;
  int connects = 0;
  connect(net, server, &connects);
  auto errorOf = [&](std::string_view method, std::vector<CallArg> args) {
    try {
      net.Call(method, std::move(args));
    } catch (const ERemoteError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(errorOf("Inexistente", {}),
            "Método desconhecido no servidor de aplicação: rdmTabPreClie.Inexistente");
  EXPECT_EQ(errorOf("GetPrecoProd", {"000123"}),
            "Método rdmTabPreClie.GetPrecoProd espera 2 argumentos e recebeu 1");
  EXPECT_NE(errorOf("GetPrecoProd", {"000123", "3"}).find("(TtNiveis) deve ser inteiro"),
            std::string::npos);
  EXPECT_EQ(net.Call("GetPrecoProd", {"000123", 3}), contracts::server::MakeSuccess("lista"));
  EXPECT_EQ(connects, 1);
  auto calls = server.calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].outcome, CallOutcome::Error);
  EXPECT_EQ(calls[1].outcome, CallOutcome::Error);
  EXPECT_EQ(calls[3].outcome, CallOutcome::Ok);
  EXPECT_EQ(calls[3].customer, "000123");
}

TEST_F(RpcServerTest, AnIntegerSentForADoubleReachesTheHandlerAsADouble) {
  MethodRegistry registry;
  registry.add("rdmTabPreClie.SetTabPreClie", [](std::vector<Variant>& params) {
    return Variant(Variant::KindName(params[2].kind()));
  });
  vqrtest::TestServer server(std::move(registry));
  TSocketConnection net;
  connect(net, server);
  EXPECT_EQ(net.Call("SetTabPreClie", {"1", "2", 10, "01/01/2026", "31/12/2026", "S"}),
            Variant("Double"));
}

TEST_F(RpcServerTest, AHandlerThatThrowsGivesAnErrorReplyAndTheServerGoesOn) {
  MethodRegistry registry = EchoRegistry();
  registry.add("rdmTabPreClie.Falha", [](std::vector<Variant>&) -> Variant {
    throw std::runtime_error("Cliente 000999 não cadastrado");
  });
  registry.add("rdmTabPreClie.FalhaLonga", [](std::vector<Variant>&) -> Variant {
    throw std::runtime_error(std::string(3u << 20, 'e'));
  });
  registry.add("rdmTabPreClie.Recusa", [](std::vector<Variant>&) {
    return contracts::server::MakeFailure("@PrecoZerNeg");
  });
  vqrtest::TestServer server(std::move(registry));
  TSocketConnection net;
  connect(net, server);
  EXPECT_THROW(
      {
        try {
          net.Call("Falha", {});
        } catch (const ERemoteError& e) {
          EXPECT_STREQ(e.what(), "Cliente 000999 não cadastrado");
          throw;
        }
      },
      ERemoteError);
  // A text too long for a frame still comes back, cut short.
  EXPECT_THROW(net.Call("FalhaLonga", {}), ERemoteError);
  EXPECT_EQ(net.Call("Recusa", {}), contracts::server::MakeFailure("@PrecoZerNeg"));
  EXPECT_EQ(net.Call("Eco", {"ainda aqui"}), Variant("ainda aqui"));
  auto calls = server.calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].outcome, CallOutcome::Error);
  EXPECT_EQ(calls[0].message, "Cliente 000999 não cadastrado");
  EXPECT_EQ(calls[2].outcome, CallOutcome::Refused);
  EXPECT_EQ(calls[2].message, "@PrecoZerNeg");
}

TEST_F(RpcServerTest, AResponseOverTheFrameLimitsBecomesAnErrorReply) {
  MethodRegistry registry = EchoRegistry();
  registry.add("rdmTabPreClie.Enorme", [](std::vector<Variant>&) {
    return Variant(std::string(platform::kRpcMaxStringBytes + 1, 'x'));
  });
  vqrtest::TestServer server(std::move(registry));
  TSocketConnection net;
  int connects = 0;
  connect(net, server, &connects);
  try {
    net.Call("Enorme", {});
    FAIL() << "no error";
  } catch (const ERemoteError& e) {
    EXPECT_NE(std::string(e.what()).find("Resposta de rdmTabPreClie.Enorme recusada"),
              std::string::npos)
        << e.what();
  }
  EXPECT_EQ(net.Call("Eco", {1}), Variant(1));
  EXPECT_EQ(connects, 1);
}

// ---------------------------------------------------------------------------------
// Hostile bytes

TEST_F(RpcServerTest, GarbageBytesCloseOnlyThatConnection) {
  vqrtest::TestServer server(EchoRegistry());
  TSocketConnection net;
  connect(net, server);
  EXPECT_EQ(net.Call("Eco", {1}), Variant(1));

  auto raw = vqrtest::ConnectLoopback(server.port());
  raw.send(std::string("\xc1\xc1 GET / HTTP/1.1\r\n\r\n", 21));
  EXPECT_TRUE(raw.waitForClose(5s));
  EXPECT_EQ(net.Call("Eco", {2}), Variant(2));
}

TEST_F(RpcServerTest, ATruncatedFrameThenCloseLeavesNothingBehind) {
  vqrtest::TestServer server(EchoRegistry());
  {
    auto raw = vqrtest::ConnectLoopback(server.port());
    std::string request = RawRequest(1, "rdmTabPreClie.Eco", {std::string(5000, 'a')});
    raw.send(request.substr(0, request.size() / 2));
    ASSERT_TRUE(server.waitForConnections(1));
  }
  EXPECT_TRUE(server.waitForConnections(0));
  EXPECT_TRUE(server.calls().empty());
}

TEST_F(RpcServerTest, HugeClaimsAreAnsweredAtOnceWithTheirMsgidAndTheConnectionClosed) {
  vqrtest::TestServer server(EchoRegistry());
  const std::string prefix("\x94\x00\x2a\xa3m.x\x91", 8);  // [0, 42, "m.x", [ ...
  for (std::string claim : {std::string("\xdb\x80\x00\x00\x00", 5),     // a 2 GiB text
                            std::string("\xdd\x80\x00\x00\x00", 5)}) {  // a 2 G-item array
    auto raw = vqrtest::ConnectLoopback(server.port());
    raw.send(prefix + claim);
    bool closed = false;
    auto response = RawResponse(raw, &closed);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->msgid, 42u);
    EXPECT_NE(response->error.find("limite"), std::string::npos) << response->error;
    EXPECT_TRUE(closed || raw.waitForClose(5s));
  }
}

TEST_F(RpcServerTest, AFrameOverTheByteLimitIsAnsweredAndItsConnectionClosed) {
  vqrtest::TestServer server(EchoRegistry());
  auto raw = vqrtest::ConnectLoopback(server.port());
  // [0, 5, "m.x", [70 texts of 1 MiB]]: over 64 MiB once the 64th text is announced.
  std::string head("\x94\x00\x05\xa3m.x\xdc\x00\x46", 10);
  std::string text = std::string("\xdb\x00\x10\x00\x00", 5) + std::string(1u << 20, 'a');
  std::thread sender([&] {
    if (!raw.send(head)) return;
    for (int i = 0; i < 70; ++i)
      if (!raw.send(text)) return;  // the server may close before we are done
  });
  bool closed = false;
  auto response = RawResponse(raw, &closed, 20s);
  sender.join();
  ASSERT_TRUE(response);
  EXPECT_EQ(response->msgid, 5u);
  EXPECT_NE(response->error.find("acima do limite"), std::string::npos) << response->error;
  EXPECT_TRUE(closed || raw.waitForClose(10s));
}

TEST_F(RpcServerTest, AWellFormedFrameOfTheWrongShapeGetsAnErrorReplyAndTheStreamGoesOn) {
  vqrtest::TestServer server(EchoRegistry());
  auto raw = vqrtest::ConnectLoopback(server.port());
  // [0, 9, 42, []]: the address is no text.
  raw.send(platform::EncodeVariant(platform::VarArrayOf({0, 9, 42, platform::VarArrayOf({})})));
  auto refused = RawResponse(raw);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->msgid, 9u);
  EXPECT_NE(refused->error.find("malformado"), std::string::npos);
  raw.send(RawRequest(10, "rdmTabPreClie.Eco", {"ok"}));
  auto answered = RawResponse(raw);
  ASSERT_TRUE(answered);
  EXPECT_EQ(answered->msgid, 10u);
  EXPECT_EQ(answered->returnValue, Variant("ok"));
}

TEST_F(RpcServerTest, AFrameWithoutAMsgidClosesItsConnection) {
  vqrtest::TestServer server(EchoRegistry());
  auto raw = vqrtest::ConnectLoopback(server.port());
  raw.send(platform::EncodeVariant(Variant("olá")));
  bool closed = false;
  EXPECT_EQ(raw.receive(5s, &closed), "");
  EXPECT_TRUE(closed);
}

TEST_F(RpcServerTest, PipelinedRequestsAreAnsweredOneAtATimeInOrder) {
  std::atomic<int> running{0}, overlapped{0};
  MethodRegistry registry;
  registry.add("rdmTabPreClie.Lento", [&](std::vector<Variant>& params) {
    if (++running > 1) ++overlapped;
    std::this_thread::sleep_for(20ms);
    --running;
    return params[0];
  });
  vqrtest::TestServer server(std::move(registry));
  auto raw = vqrtest::ConnectLoopback(server.port());
  std::string burst;
  for (int i = 1; i <= 5; ++i) burst += RawRequest(i, "rdmTabPreClie.Lento", {i * 10});
  raw.send(burst);
  platform::RpcFrameReader reader;
  std::vector<platform::RpcResponse> responses;
  while (responses.size() < 5) {
    std::string more = raw.receive(5s, nullptr, [](const std::string& b) { return !b.empty(); });
    ASSERT_FALSE(more.empty());
    reader.append(more);
    while (auto frame = reader.next()) responses.push_back(platform::ReadRpcResponse(frame->value));
  }
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(responses[i].msgid, static_cast<std::uint32_t>(i + 1));
    EXPECT_EQ(responses[i].returnValue, Variant(std::int64_t{(i + 1) * 10}));
  }
  EXPECT_EQ(overlapped, 0);
}

// ---------------------------------------------------------------------------------
// Connections, the pool and stopping

TEST_F(RpcServerTest, AFullServerMakesRoomWithAnUnfinishedFrameThenAnIdleConnectionAndRefusesOnlyWhenAllRunCalls) {
  Gate release;
  MethodRegistry registry = EchoRegistry();
  registry.add("rdmTabPreClie.Espera", [&](std::vector<Variant>&) { return Variant(release.wait()); });
  ServerOptions options = vqrtest::TestOptions();
  options.maxConnections = 2;
  vqrtest::TestServer server(std::move(registry), options);
  TSocketConnection a, c, d;
  int connectsOfA = 0, connectsOfD = 0;
  connect(a, server, &connectsOfA);
  EXPECT_EQ(a.Call("Eco", {1}), Variant(1));
  auto receiving = vqrtest::ConnectLoopback(server.port());
  ASSERT_TRUE(receiving.send(kFrameStart));
  ASSERT_TRUE(server.waitForConnections(2));
  connect(c, server);
  EXPECT_EQ(c.Call("Eco", {2}), Variant(2));
  EXPECT_TRUE(receiving.waitForClose(5s)) << "the unfinished frame made room before the idle connection";
  EXPECT_EQ(a.Call("Eco", {3}), Variant(3));
  EXPECT_EQ(connectsOfA, 1);

  EXPECT_EQ(c.Call("Eco", {4}), Variant(4));
  connect(d, server, &connectsOfD);
  EXPECT_EQ(d.Call("Eco", {5}), Variant(5)) << "an idle connection made room";
  auto waitingA = std::async(std::launch::async, [&] { return a.Call("Espera", {}); });
  auto waitingD = std::async(std::launch::async, [&] { return d.Call("Espera", {}); });
  std::this_thread::sleep_for(200ms);  // both run a call: nothing may be closed for room
  TSocketConnection e;
  connect(e, server);
  EXPECT_THROW(e.Call("Eco", {6}), ENetError);
  release.open();
  EXPECT_EQ(waitingA.get(), Variant(true));
  EXPECT_EQ(waitingD.get(), Variant(true));
  EXPECT_EQ(e.Call("Eco", {6}), Variant(6));
}

TEST_F(RpcServerTest, HalfSentFramesOfOneAddressGiveWayToNewClientsWhileOtherAddressesKeepTheirIdleConnections) {
  ServerOptions options = vqrtest::TestOptions();
  options.maxConnections = 16;
  options.maxConnectionsPerAddress = 12;
  vqrtest::TestServer server(EchoRegistry(), options);
  std::vector<vqrtest::RawSocket> idle, dripping;
  for (int i = 0; i < 4; ++i) idle.push_back(vqrtest::ConnectLoopbackFrom(server.port(), "127.0.1.1"));
  ASSERT_TRUE(server.waitForConnections(4));
  for (int i = 0; i < 12; ++i) {
    dripping.push_back(vqrtest::ConnectLoopbackFrom(server.port(), "127.0.2.1"));
    ASSERT_TRUE(dripping.back().send(kFrameStart));
    ASSERT_TRUE(server.waitForConnections(5 + i));
    std::this_thread::sleep_for(10ms);  // each frame starts after the one before
  }
  std::atomic<bool> dripOn{true};
  std::thread dripper([&] {
    while (dripOn) {
      for (auto& socket : dripping) socket.send("a");
      std::this_thread::sleep_for(100ms);
    }
  });
  std::this_thread::sleep_for(300ms);
  // The sending address at its own limit gives way with its own oldest unfinished frame.
  auto oneMore = vqrtest::ConnectLoopbackFrom(server.port(), "127.0.2.1");
  ASSERT_TRUE(oneMore.send(kFrameStart));
  EXPECT_TRUE(dripping[0].waitForClose(5s));

  // A new client of another address at the server's limit: the busiest address gives way.
  TSocketConnection net;
  connect(net, server);
  const auto asked = std::chrono::steady_clock::now();
  EXPECT_EQ(net.Call("Eco", {"servido"}), Variant("servido"));
  EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
  dripOn = false;
  dripper.join();
  EXPECT_TRUE(dripping[1].waitForClose(5s));
  std::size_t idleClosed = 0, drippingClosed = 0;
  for (auto& socket : idle) idleClosed += PeerClosed(socket);
  for (auto& socket : dripping) drippingClosed += PeerClosed(socket);
  EXPECT_EQ(idleClosed, 0u) << "the idle connections of the other address were kept";
  EXPECT_EQ(drippingClosed, 2u) << "the two oldest unfinished frames, and no more";
  EXPECT_FALSE(PeerClosed(oneMore));
}

// This process's resident memory, in bytes.
std::size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

TEST_F(RpcServerTest, RepliesNobodyReadsStayWithinTheMemoryBudgetAndAreGivenBackWhenTheirConnectionsClose) {
  constexpr std::size_t kMiB = 1 << 20;
  constexpr std::size_t kReplyMiB = 16;
  constexpr int kClients = 60;
  MethodRegistry registry;
  registry.add("rdmTabPreClie.Grande", [](std::vector<Variant>&) {
    return platform::VarArrayOf(Variant::Array(kReplyMiB, Variant(std::string(kMiB - 64, 'x'))));
  });
  ServerOptions options = vqrtest::TestOptions();
  options.memoryBudget = 64 * kMiB;
  options.frameTimeout = 2s;  // how long a call waits for room before it is refused
  options.workers = 4;
  vqrtest::TestServer server(std::move(registry), options);

  const std::size_t before = ResidentBytes();
  std::atomic<std::size_t> peak{before};
  std::atomic<bool> sampling{true};
  std::thread sampler([&] {
    while (sampling) {
      peak = std::max(peak.load(), ResidentBytes());
      std::this_thread::sleep_for(5ms);
    }
  });
  std::vector<vqrtest::RawSocket> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.push_back(vqrtest::ConnectLoopback(server.port()));
    ASSERT_TRUE(clients.back().send(RawRequest(i + 1, "rdmTabPreClie.Grande")));
  }
  std::this_thread::sleep_for(3s);  // nobody reads; the calls left waiting are refused
  // The budget, and the calls running on the workers when it filled: each holds its
  // value, its encoding and the encoder's growth. Sixty replies held would be 960 MiB.
  const std::size_t bound = options.memoryBudget + 3 * options.workers * kReplyMiB * kMiB + 64 * kMiB;
  EXPECT_LT(peak - before, bound) << "peak " << (peak - before) / kMiB << " MiB";

  std::size_t replies = 0, refusals = 0;
  for (auto& client : clients) {
    const std::string bytes = client.receive(10s, nullptr, [](const std::string& b) {
      return platform::RpcFrameReader::FrameLength(b) > 0;
    }, std::size_t(-1));
    const auto response = platform::ReadRpcResponse(platform::DecodeVariant(bytes));
    if (response.error.empty())
      ++replies;
    else if (response.error.find("sem memória livre") != std::string::npos && response.error.find("nada foi executado") != std::string::npos)
      ++refusals;
  }
  EXPECT_EQ(replies + refusals, std::size_t(kClients)) << "each call answered, by its reply or a refusal";
  EXPECT_GT(replies, 0u);
  EXPECT_GT(refusals, 0u);
  clients.clear();
  ASSERT_TRUE(server.waitForConnections(0));
  std::this_thread::sleep_for(300ms);
  sampling = false;
  sampler.join();
  EXPECT_LT(ResidentBytes(), before + 64 * kMiB) << "the replies' memory was handed back";
}

TEST_F(RpcServerTest, ADripFedFrameIsCutAtItsDeadlineWhileAnIdleConnectionWaitsForItsOwn) {
  ServerOptions options = vqrtest::TestOptions();
  options.frameTimeout = 600ms;
  options.idleTimeout = 10s;
  vqrtest::TestServer server(EchoRegistry(), options);
  auto idle = vqrtest::ConnectLoopback(server.port());
  auto dripping = vqrtest::ConnectLoopback(server.port());
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(dripping.send(kFrameStart));
  bool closed = false;
  while (!closed && std::chrono::steady_clock::now() - started < 5s) {
    dripping.send("a");
    dripping.receive(100ms, &closed);
  }
  const auto lasted = std::chrono::steady_clock::now() - started;
  EXPECT_TRUE(closed);
  EXPECT_GE(lasted, 500ms);
  EXPECT_LT(lasted, 3s) << "the drip did not move the deadline";
  EXPECT_FALSE(PeerClosed(idle));
  ASSERT_TRUE(server.waitForConnections(1));
  TSocketConnection net;
  connect(net, server);
  EXPECT_EQ(net.Call("Eco", {1}), Variant(1));
}

TEST_F(RpcServerTest, IdleConnectionsAreClosedAndTheClientReconnectsSilently) {
  ServerOptions options = vqrtest::TestOptions();
  options.idleTimeout = 100ms;
  vqrtest::TestServer server(EchoRegistry(), options);
  auto raw = vqrtest::ConnectLoopback(server.port());
  EXPECT_TRUE(raw.waitForClose(5s));

  TSocketConnection net;
  int connects = 0;
  connect(net, server, &connects);
  EXPECT_EQ(net.Call("Eco", {1}), Variant(1));
  ASSERT_TRUE(server.waitForConnections(0));
  EXPECT_EQ(net.Call("Eco", {2}), Variant(2));  // no error: the idle close was seen first
  EXPECT_EQ(connects, 2);
}

TEST_F(RpcServerTest, SlowHandlersOfSeveralClientsRunTogetherOnThePool) {
  constexpr int kClients = 4;
  std::mutex mutex;
  std::condition_variable allIn;
  int inside = 0;
  MethodRegistry registry;
  // Each call waits until all four are inside at once: only a pool running them
  // together lets every call answer true.
  registry.add("rdmTabPreClie.Junto", [&](std::vector<Variant>&) {
    std::unique_lock lock(mutex);
    ++inside;
    allIn.notify_all();
    return Variant(allIn.wait_for(lock, 5s, [&] { return inside >= kClients; }));
  });
  ServerOptions options = vqrtest::TestOptions();
  options.workers = kClients;
  vqrtest::TestServer server(std::move(registry), options);
  std::vector<std::future<Variant>> results;
  for (int i = 0; i < kClients; ++i)
    results.push_back(std::async(std::launch::async, [&] {
      TSocketConnection net;
      vqrtest::PointAt(net, server.port());
      return net.Call("Junto", {});
    }));
  for (auto& result : results) EXPECT_EQ(result.get(), Variant(true));
}

// Writers all waiting (on locks held in the database, say) leave the reads a worker.
TEST_F(RpcServerTest, AReadIsAnsweredWhileEveryWriterWaits) {
  Gate release;
  MethodRegistry registry;
  registry.add("rdmTabPreClie.Grava", [&](std::vector<Variant>&) { return Variant(release.wait(10s)); });
  registry.add("rdmTabPreClie.Le", [](std::vector<Variant>&) { return Variant(true); });
  ServerOptions options = vqrtest::TestOptions();
  options.workers = 1;
  options.writeWorkers = 1;
  options.writes = [](std::string_view address) { return address == "rdmTabPreClie.Grava"; };
  vqrtest::TestServer server(std::move(registry), options);
  auto writer = [&] {
    TSocketConnection net;
    vqrtest::PointAt(net, server.port());
    return net.Call("Grava", {});
  };
  auto first = std::async(std::launch::async, writer);
  auto second = std::async(std::launch::async, writer);  // waits for the one writer
  TSocketConnection reader;
  vqrtest::PointAt(reader, server.port());
  EXPECT_EQ(reader.Call("Le", {}), Variant(true));
  EXPECT_EQ(second.wait_for(0s), std::future_status::timeout) << "the writers are still waiting";
  release.open();
  EXPECT_EQ(first.get(), Variant(true));
  EXPECT_EQ(second.get(), Variant(true));
}

TEST_F(RpcServerTest, StopLetsARunningCallAnswerBeforeRunReturns) {
  Gate entered, release;
  MethodRegistry registry;
  registry.add("rdmTabPreClie.Lento", [&](std::vector<Variant>&) {
    entered.open();
    release.wait();
    return Variant("terminou");
  });
  vqrtest::TestServer server(std::move(registry));
  TSocketConnection net;
  connect(net, server);
  auto call = std::async(std::launch::async, [&] { return net.Call("Lento", {}); });
  ASSERT_TRUE(entered.wait());
  std::thread stopper([&] { server.stop(); });
  std::this_thread::sleep_for(50ms);
  release.open();
  EXPECT_EQ(call.get(), Variant("terminou"));
  stopper.join();
}

TEST_F(RpcServerTest, AServerGoneMidCallFailsThatCallAndTheNextReconnectsAfterRestart) {
  Gate entered, release;
  MethodRegistry registry = EchoRegistry();
  registry.add("rdmTabPreClie.Lento", [&](std::vector<Variant>&) {
    entered.open();
    release.wait();
    return Variant("tarde");
  });
  ServerOptions options = vqrtest::TestOptions();
  options.stopGrace = 0ms;
  auto first = std::make_unique<vqrtest::TestServer>(registry, options);
  const std::uint16_t port = first->port();
  TSocketConnection net;
  int connects = 0;
  vqrtest::PointAt(net, port, &connects);
  auto call = std::async(std::launch::async, [&] { return net.Call("Lento", {}); });
  ASSERT_TRUE(entered.wait());
  std::thread stopper([&] { first->stop(); });
  try {
    call.get();
    ADD_FAILURE() << "the call survived its server";
  } catch (const ENetError& e) {
    EXPECT_NE(std::string(e.what()).find("perdida durante a chamada de rdmTabPreClie.Lento"),
              std::string::npos)
        << e.what();
  }
  release.open();
  stopper.join();
  first.reset();

  options.port = port;
  vqrtest::TestServer second(EchoRegistry(), options);
  EXPECT_EQ(net.Call("Eco", {"de volta"}), Variant("de volta"));
  EXPECT_EQ(connects, 2);
}

TEST(ServerSetup, SigtermStopsAServerThatHandlesSignals) {
  ServerOptions options = vqrtest::TestOptions();
  options.stopOnSignals = true;
  vqrtest::TestServer server(EchoRegistry(), options);
  TSocketConnection net;
  vqrtest::PointAt(net, server.port());
  EXPECT_EQ(net.Call("Eco", {1}), Variant(1));  // serving: the signal handlers are in place
  std::raise(SIGTERM);
  EXPECT_TRUE(server.waitUntilFinished());
}

TEST(ServerSetup, AnOccupiedPortIsReportedInPortuguese) {
  vqrtest::TestServer first(EchoRegistry());
  ServerOptions options = vqrtest::TestOptions();
  options.port = first.port();
  MethodRegistry registry;
  try {
    Server second(registry, options);
    FAIL() << "bound twice";
  } catch (const platform::Exception& e) {
    EXPECT_NE(std::string(e.what()).find("Não foi possível escutar em 127.0.0.1:"),
              std::string::npos)
        << e.what();
  }
}

TEST(ServerSetup, ListenAddressesAreReadAndBadOnesRefused) {
  EXPECT_EQ(ParseListenAddress("127.0.0.1:5151").host, "127.0.0.1");
  EXPECT_EQ(ParseListenAddress("127.0.0.1:5151").port, 5151);
  EXPECT_EQ(ParseListenAddress("[::1]:80").host, "::1");
  EXPECT_EQ(ParseListenAddress("0.0.0.0:0").port, 0);
  for (const char* bad : {"127.0.0.1", ":5151", "host:", "host:65536", "host:51x", "host:-1"})
    EXPECT_THROW(ParseListenAddress(bad), platform::Exception) << bad;
}

// The text of the ENetError a call on `net` raises, "" when it is answered.
std::string ConnectionFailure(TSocketConnection& net) {
  try {
    net.Call("Eco", {4});
  } catch (const ENetError& e) {
    return e.what();
  }
  return "";
}

TEST(ServerTls, AClientReachesOnlyAServerWhoseCertificateItsAuthoritySignedForTheNameItUses) {
  vqrtest::TempDir dir;
  // A server speaking TLS with the pair `name`, made out to `names`.
  auto serving = [&](const std::string& name, std::vector<std::string> names) {
    tls::WriteSelfSignedPair({dir.file(name + ".crt"), dir.file(name + ".key"), std::move(names)});
    ServerOptions options = vqrtest::TestOptions();
    options.tlsCertificateFile = dir.file(name + ".crt");
    options.tlsKeyFile = dir.file(name + ".key");
    return std::make_unique<vqrtest::TestServer>(EchoRegistry(), options);
  };
  // A client of the server trusting `authority` ("": plain TCP).
  auto client = [](vqrtest::TestServer& server, const std::string& authority) {
    auto net = std::make_unique<TSocketConnection>();
    vqrtest::PointAt(*net, server.port());
    net->SetTlsAuthority(authority);
    return net;
  };
  auto server = serving("ours", {"127.0.0.1", "localhost"});
  auto elsewhere = serving("elsewhere", {"outro.exemplo"});
  tls::WriteSelfSignedPair({dir.file("other.crt"), dir.file("other.key"), {"127.0.0.1"}});

  auto trusting = client(*server, dir.file("ours.crt"));
  EXPECT_EQ(trusting->Call("Eco", {4}), Variant(4)) << "the authority that signed the certificate";
  trusting->Close();
  EXPECT_EQ(trusting->Call("Eco", {"de novo"}), Variant("de novo")) << "and again after a reconnection";

  auto fooled = client(*server, dir.file("other.crt"));
  EXPECT_NE(ConnectionFailure(*fooled).find("certificado do servidor recusado"), std::string::npos);
  auto plain = client(*server, "");
  try {
    plain->Call("Eco", {4});
    ADD_FAILURE() << "a call in the clear was answered";
  } catch (const ERemoteError& e) {
    EXPECT_EQ(std::string(e.what()), "Este servidor de aplicação só aceita conexões com TLS: dê ao cliente a "
                                     "autoridade do seu certificado (host --tls-ca).");
  }
  EXPECT_EQ(server->calls().size(), 2u) << "only the trusting client's calls ran";

  auto careful = client(*elsewhere, dir.file("elsewhere.crt"));
  EXPECT_NE(ConnectionFailure(*careful).find("Não foi possível conectar"), std::string::npos)
      << "a certificate made out to another name is refused even from the right authority";
  EXPECT_TRUE(elsewhere->calls().empty());

  vqrtest::TestServer open(EchoRegistry());
  auto expecting = client(open, dir.file("ours.crt"));
  EXPECT_NE(ConnectionFailure(*expecting), "") << "a TLS client finds no TLS at a plain server";
  EXPECT_TRUE(open.calls().empty());
}

}  // namespace
}  // namespace server::rpc
