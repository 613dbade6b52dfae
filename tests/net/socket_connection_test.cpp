// The client connection against scripted peers that misbehave on purpose: servers that
// cannot be reached, never answer, answer out of order or with garbage, go away, or
// answer in pieces; and the refusals the client makes before sending anything.
#include "platform/net/socket_connection.h"

#include <gtest/gtest.h>

#include "platform/net/frame_reader.h"
#include "platform/net/server_list.h"
#include "platform/variant/codec.h"
#include "tests/support/raw_socket.h"

namespace platform {
namespace {

using namespace std::chrono_literals;
using vqrtest::RawSocket;
using vqrtest::ScriptedPeer;

// The first request frame the peer receives within two seconds.
std::optional<RpcRequest> ReadRequestFrom(RawSocket& socket) {
  std::string bytes = socket.receive(2s, nullptr, [](const std::string& b) {
    return RpcFrameReader::FrameLength(b) > 0;
  });
  std::size_t length = RpcFrameReader::FrameLength(bytes);
  if (length == 0) return std::nullopt;
  return ReadRpcRequest(DecodeVariant(std::string_view(bytes).substr(0, length)));
}

std::string Reply(std::uint32_t msgid, Variant value, std::vector<Variant> params = {}) {
  return EncodeVariant(RpcResponseFrame({msgid, "", std::move(value), std::move(params)}));
}

// Answers every request of every connection with the address it was sent to.
void EchoAddress(RawSocket& socket) {
  while (auto request = ReadRequestFrom(socket))
    if (!socket.send(Reply(request->msgid, request->address, request->params))) return;
}

class SocketConnectionTest : public ::testing::Test {
 protected:
  void pointAt(std::uint16_t port) {
    net.SetServerName("VQR51200.rdmTabPreClie");
    net.BeforeConnect = [this, port](TObject* sender) {
      EXPECT_EQ(sender, &net);
      net.SetHost("127.0.0.1");
      net.SetPort(port);
      ++connects;
    };
  }
  // The text of the ENetError `call` raises ("" when none).
  template <class Call>
  std::string netErrorOf(Call call) {
    try {
      call();
    } catch (const ENetError& e) {
      return e.what();
    }
    return "";
  }

  TSocketConnection net;
  int connects = 0;
};

// ---------------------------------------------------------------------------------
// Connecting

TEST_F(SocketConnectionTest, AnUnreachableServerIsNamedByHostAndPort) {
  const std::uint16_t port = vqrtest::ClosedLoopbackPort();
  pointAt(port);
  EXPECT_EQ(netErrorOf([&] { net.SetConnected(true); }),
            "O servidor de aplicação 127.0.0.1:" + std::to_string(port) +
                " não está respondendo (conexão recusada). Nada foi gravado.");
  EXPECT_FALSE(net.Connected());
  EXPECT_NE(netErrorOf([&] { net.Call("GetPesqCliente", {"", "T"}); }), "");
  EXPECT_EQ(connects, 2);
}

TEST_F(SocketConnectionTest, BeforeConnectRunsOncePerConnectionAndItsFailureKeepsItClosed) {
  ScriptedPeer peer(EchoAddress);
  pointAt(peer.port());
  net.Open();
  net.Open();
  EXPECT_TRUE(net.Connected());
  EXPECT_EQ(connects, 1);
  net.Close();
  EXPECT_FALSE(net.Connected());
  EXPECT_EQ(net.Call("X", {}), Variant("rdmTabPreClie.X"));
  EXPECT_EQ(connects, 2);

  net.Close();
  net.BeforeConnect = [](TObject*) { throw Exception("Servidor não configurado"); };
  EXPECT_THROW(net.Call("X", {}), Exception);
  EXPECT_FALSE(net.Connected());
}

TEST_F(SocketConnectionTest, MissingHostPortOrServerNameAreRefusedClearly) {
  net.SetHost("");
  EXPECT_NE(netErrorOf([&] { net.Open(); }).find("endereço vazio"), std::string::npos);
  net.SetHost("127.0.0.1");
  for (int port : {0, -1, 65536}) {
    net.SetPort(port);
    EXPECT_EQ(netErrorOf([&] { net.Open(); }),
              "Porta inválida para o servidor de aplicação: " + std::to_string(port));
  }
  EXPECT_NE(netErrorOf([&] { net.Call("GetPesqCliente", {}); }).find("defina ServerName"),
            std::string::npos);
}

TEST_F(SocketConnectionTest, ModuleIsTheServerNameAfterItsLastDot) {
  net.SetServerName("VQR51200.rdmTabPreClie");
  EXPECT_EQ(net.ModuleName(), "rdmTabPreClie");
  net.SetServerName("a.b.rdmCustProd");
  EXPECT_EQ(net.ModuleName(), "rdmCustProd");
  net.SetServerName("rdmCustProd");
  EXPECT_EQ(net.ModuleName(), "rdmCustProd");
}

// ---------------------------------------------------------------------------------
// Peers that misbehave

TEST_F(SocketConnectionTest, ASilentServerTimesTheCallOutAndTheNextCallReconnects) {
  ScriptedPeer peer([](RawSocket& socket) {
    auto request = ReadRequestFrom(socket);
    if (request && request->address == "rdmTabPreClie.Silencio") {
      socket.waitForClose(3s);  // never answers
      return;
    }
    if (request) socket.send(Reply(request->msgid, "ok"));
    EchoAddress(socket);
  });
  pointAt(peer.port());
  net.SetCallTimeout(200ms);
  EXPECT_EQ(netErrorOf([&] { net.Call("Silencio", {}); }),
            "Tempo esgotado (200 ms) aguardando o servidor de aplicação 127.0.0.1:" +
                std::to_string(peer.port()) + " durante a chamada de rdmTabPreClie.Silencio");
  EXPECT_FALSE(net.Connected());
  EXPECT_EQ(net.Call("Outra", {}), Variant("ok"));
  EXPECT_EQ(connects, 2);
}

TEST_F(SocketConnectionTest, AServerGoneBeforeAnsweringFailsTheCallAndTheNextReconnects) {
  ScriptedPeer peer([&](RawSocket& socket) {
    if (peer.accepted() == 1) {
      ReadRequestFrom(socket);
      return;  // closes without an answer
    }
    EchoAddress(socket);
  });
  pointAt(peer.port());
  EXPECT_NE(netErrorOf([&] { net.Call("Cai", {}); })
                .find("perdida durante a chamada de rdmTabPreClie.Cai: conexão encerrada pelo servidor"),
            std::string::npos);
  EXPECT_FALSE(net.Connected());
  EXPECT_EQ(net.Call("Volta", {}), Variant("rdmTabPreClie.Volta"));
  EXPECT_EQ(connects, 2);
}

TEST_F(SocketConnectionTest, AnswersOutOfOrderOrUnreadableDropTheConnection) {
  const std::vector<std::function<std::string(std::uint32_t)>> badAnswers = {
      [](std::uint32_t msgid) { return Reply(msgid + 1, "outra"); },
      [](std::uint32_t) { return std::string("\xc1", 1); },
      [](std::uint32_t msgid) { return EncodeVariant(VarArrayOf({1, std::int64_t{msgid}, Variant::Null(), 5})); },
      [](std::uint32_t msgid) {  // a request where a response belongs
        return EncodeVariant(RpcRequestFrame({msgid, "x.y", {}}));
      },
      [](std::uint32_t msgid) {  // a text over the limit
        std::string frame = Reply(msgid, std::string(kRpcMaxStringBytes + 1, 'x'));
        return frame;
      }};
  for (const auto& answer : badAnswers) {
    ScriptedPeer peer([&](RawSocket& socket) {
      if (auto request = ReadRequestFrom(socket)) socket.send(answer(request->msgid));
      socket.waitForClose(3s);
    });
    TSocketConnection client;
    client.SetServerName("m.rdmTabPreClie");
    client.SetPort(peer.port());
    try {
      client.Call("Ruim", {});
      ADD_FAILURE() << "a bad answer was accepted";
    } catch (const ENetError& e) {
      EXPECT_TRUE(std::string(e.what()).starts_with("Resposta")) << e.what();
    }
    EXPECT_FALSE(client.Connected());
  }
}

TEST_F(SocketConnectionTest, AnAnswerArrivingInPiecesIsPutBackTogether) {
  ScriptedPeer peer([](RawSocket& socket) {
    auto request = ReadRequestFrom(socket);
    if (!request) return;
    std::string bytes = Reply(request->msgid, VarArrayOf({true, "", std::string(3000, 'p')}),
                              {"000777"});
    for (std::size_t at = 0; at < bytes.size(); at += 700) {
      socket.send(bytes.substr(at, 700));
      std::this_thread::sleep_for(5ms);
    }
    socket.waitForClose(3s);
  });
  pointAt(peer.port());
  std::string code = "000123";
  Variant result = net.Call("Pedacos", {Var(code)});
  EXPECT_EQ(result.asArray()[2].asString().size(), 3000u);
  EXPECT_EQ(code, "000777");
}

TEST_F(SocketConnectionTest, AnErrorReplyRaisesTheServersTextAndKeepsTheConnection) {
  ScriptedPeer peer([](RawSocket& socket) {
    while (auto request = ReadRequestFrom(socket)) {
      RpcResponse response;
      response.msgid = request->msgid;
      response.error = "Cliente não cadastrado";
      socket.send(EncodeVariant(RpcResponseFrame(response)));
    }
  });
  pointAt(peer.port());
  for (int i = 0; i < 2; ++i) {
    try {
      net.Call("GetCDCliente", {"1", ""});
      ADD_FAILURE() << "no error";
    } catch (const ERemoteError& e) {
      EXPECT_STREQ(e.what(), "Cliente não cadastrado");
    }
    EXPECT_TRUE(net.Connected());
  }
  EXPECT_EQ(connects, 1);
}

TEST_F(SocketConnectionTest, BytesFromAnIdleServerMakeTheNextCallUseAFreshConnection) {
  ScriptedPeer peer([&](RawSocket& socket) {
    if (peer.accepted() == 1) {
      if (auto request = ReadRequestFrom(socket)) socket.send(Reply(request->msgid, 1));
      socket.send("lixo");  // unasked bytes: this stream can no longer be trusted
      socket.waitForClose(3s);
      return;
    }
    EchoAddress(socket);
  });
  pointAt(peer.port());
  EXPECT_EQ(net.Call("Um", {}), Variant(1));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(net.Call("Dois", {}), Variant("rdmTabPreClie.Dois"));
  EXPECT_EQ(connects, 2);
}

// ---------------------------------------------------------------------------------
// Requests refused before sending

TEST_F(SocketConnectionTest, ARequestOverTheLimitsIsRefusedBeforeAnythingIsSent) {
  ScriptedPeer peer(EchoAddress);
  pointAt(peer.port());
  std::string big(kRpcMaxStringBytes + 1, 'x');
  EXPECT_NE(netErrorOf([&] { net.Call("Grande", {big}); })
                .find("Chamada de rdmTabPreClie.Grande recusada: Quadro de chamada remota com texto"),
            std::string::npos);
  Variant deep = 1;
  for (std::size_t i = 0; i < kRpcMaxNesting; ++i) deep = VarArrayOf({deep});
  EXPECT_NE(netErrorOf([&] { net.Call("Fundo", {deep}); }).find("aninhamento"), std::string::npos);
  EXPECT_EQ(connects, 0);
  EXPECT_EQ(peer.accepted(), 0);
}

TEST_F(SocketConnectionTest, VarArgumentsSendTheirVariablesValueAndTakeBackOnlyTexts) {
  ScriptedPeer peer([](RawSocket& socket) {
    while (auto request = ReadRequestFrom(socket)) {
      std::vector<Variant> after = {"novo", std::int64_t{7}, "ignorado"};
      socket.send(Reply(request->msgid, VarArrayOf(request->params), after));
    }
  });
  pointAt(peer.port());
  std::string a = "a", b = "b";
  Variant sent = net.Call("Var", {Var(a), Var(b), "c"});
  EXPECT_EQ(sent, VarArrayOf({"a", "b", "c"}));
  EXPECT_EQ(a, "novo");
  EXPECT_EQ(b, "b");  // the method left a number there: not a text, not written
}

// ---------------------------------------------------------------------------------
// Several servers

TEST(ServerList, AddressesAreHostPortPairsSeparatedByCommasAndAFaultyOneIsNamed) {
  EXPECT_EQ(ParseServerList("10.0.0.7:5151, app2:6000"),
            (std::vector<TServerAddress>{{"10.0.0.7", 5151}, {"app2", 6000}}));
  EXPECT_EQ(ParseServerList("::1:5151"), (std::vector<TServerAddress>{{"::1", 5151}}));
  for (const char* wrong : {"", "app", "app:", ":5151", "app:0", "app:5151x", "app:1,", "app:1,,app:2"})
    EXPECT_THROW(ParseServerList(wrong), EConvertError) << wrong;
  try {
    ParseServerList("app:1,app2");
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Endereço do servidor inválido: 'app2' (esperado HOST:PORTA)");
  }
}

class ServerListTest : public SocketConnectionTest {
 protected:
  void listServers(std::vector<std::uint16_t> ports) {
    std::vector<TServerAddress> servers;
    for (std::uint16_t port : ports) servers.push_back({"127.0.0.1", port});
    list = std::make_shared<TServerList>(std::move(servers));
    net.SetServerName("VQR51200.rdmTabPreClie");
    net.SetServerList(list);
  }
  std::shared_ptr<TServerList> list;
};

TEST_F(ServerListTest, AServerThatCannotBeReachedIsPassedOverAndTheListStaysOnTheOneThatAnswers) {
  ScriptedPeer second(EchoAddress);
  listServers({vqrtest::ClosedLoopbackPort(), second.port()});
  EXPECT_EQ(net.Call("X", {}), Variant("rdmTabPreClie.X"));
  EXPECT_EQ(list->Current().port, second.port());
  TSocketConnection other;
  other.SetServerName("VQR51200.rdmTabPreClie");
  other.SetServerList(list);
  EXPECT_EQ(other.Call("Y", {}), Variant("rdmTabPreClie.Y"));
  EXPECT_EQ(second.accepted(), 2) << "the other connection went to the server in use at once";
}

TEST_F(ServerListTest, ACallWhoseReplyWasLostGoesToTheNextServerWithItsIdAndEveryCallHasItsOwn) {
  std::vector<std::string> idsAtFirst, idsAtSecond;
  ScriptedPeer first([&](RawSocket& socket) {
    if (auto request = ReadRequestFrom(socket)) idsAtFirst.push_back(request->callId);
  });  // closes without an answer
  ScriptedPeer second([&](RawSocket& socket) {
    while (auto request = ReadRequestFrom(socket)) {
      idsAtSecond.push_back(request->callId);
      if (!socket.send(Reply(request->msgid, request->address))) return;
    }
  });
  listServers({first.port(), second.port()});
  EXPECT_EQ(net.Call("Grava", {}), Variant("rdmTabPreClie.Grava"));
  EXPECT_EQ(net.Call("Grava", {}), Variant("rdmTabPreClie.Grava"));
  ASSERT_EQ(idsAtFirst.size(), 1u);
  ASSERT_EQ(idsAtSecond.size(), 2u);
  EXPECT_EQ(idsAtFirst[0].size(), kRpcCallIdChars);
  EXPECT_EQ(idsAtSecond[0], idsAtFirst[0]) << "the call sent again";
  EXPECT_NE(idsAtSecond[1], idsAtFirst[0]) << "the next call";
}

}  // namespace
}  // namespace platform
