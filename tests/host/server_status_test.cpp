// What the host's status bar says about the application server, from the events the
// connections report: open or not, and the outcome and time of the last call.
#include "host/server_status.h"

#include <gtest/gtest.h>

#include <regex>

#include "contracts/server/result_envelope.h"
#include "platform/net/socket_connection.h"

namespace {

using platform::TConnectionEvent;
using Kind = TConnectionEvent::TKind;

struct Status : ::testing::Test {
  int changes = 0;
  host::ServerStatus status{"127.0.0.1:5151", [this] { ++changes; }};
  // Two connections, told apart by address only (the status never reads them).
  const auto* first() { return reinterpret_cast<const platform::TSocketConnection*>(&status); }
  const auto* second() { return reinterpret_cast<const platform::TSocketConnection*>(&changes); }
  std::chrono::system_clock::time_point at = std::chrono::system_clock::now();

  void event(Kind kind, const platform::TSocketConnection* connection, bool open, std::string address = {},
             std::string error = {}, const platform::Variant* result = nullptr) {
    status.Handle({kind, connection, "127.0.0.1:5151", std::move(address), open, std::move(error), result}, at);
  }
};

}  // namespace

TEST_F(Status, ConnectedWhileAnyConnectionIsOpen) {
  EXPECT_EQ(status.ServerText(), "Servidor: 127.0.0.1:5151");
  EXPECT_EQ(status.ConnectionText(), "Desconectado");
  event(Kind::Connected, first(), true);
  event(Kind::Connected, second(), true);
  event(Kind::Closed, first(), false);
  EXPECT_EQ(status.ConnectionText(), "Conectado");
  event(Kind::Closed, second(), false);
  EXPECT_EQ(status.ConnectionText(), "Desconectado");
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(status.LastCallText(), "");
}

TEST_F(Status, TheLastCallSaysWhetherItWasStoredReadRefusedOrFailed) {
  auto says = [this](const std::string& pattern) {
    return std::regex_match(status.LastCallText(), std::regex(pattern));
  };
  const platform::Variant stored = contracts::server::MakeSuccess();
  event(Kind::CallEnded, first(), true, "rdmTabPreClie.SetTabPreClie", {}, &stored);
  EXPECT_TRUE(says(R"(Gravado às \d\d:\d\d:\d\d)")) << status.LastCallText();
  event(Kind::CallEnded, first(), true, "rdmTabPreClie.GetPrecoProd", {}, &stored);
  EXPECT_TRUE(says(R"(Consultado às \d\d:\d\d:\d\d)")) << status.LastCallText();

  // A refusal inside the answer is no success, whatever the transport says.
  const platform::Variant refused = contracts::server::MakeFailure("Preço não pode ser negativo.");
  event(Kind::CallEnded, first(), true, "rdmTabPreClie.SetTabPreClie", {}, &refused);
  EXPECT_TRUE(says(R"(Recusado às \d\d:\d\d:\d\d: Preço não pode ser negativo\.)")) << status.LastCallText();
  const platform::Variant keyed = contracts::server::MakeFailure("@PrecoZerNeg");
  event(Kind::CallEnded, first(), true, "rdmTabPreClie.SetCalcCusProd", {}, &keyed);
  EXPECT_EQ(status.LastCallText().find("@"), std::string::npos) << "a catalog key is no text for a person";

  // A call that lost the connection.
  event(Kind::CallEnded, first(), false, "rdmTabPreClie.SetTabPreClie", "Conexão com o servidor perdida");
  EXPECT_TRUE(says(R"(Erro às \d\d:\d\d:\d\d: Conexão com o servidor perdida)")) << status.LastCallText();
  EXPECT_EQ(status.ConnectionText(), "Sem conexão");
  event(Kind::Connected, first(), true);
  EXPECT_EQ(status.ConnectionText(), "Conectado");
}

TEST_F(Status, AFailedCallSaysNoConnectionWhileOtherConnectionsStayOpenUntilACallIsAnswered) {
  const platform::Variant answered = contracts::server::MakeSuccess();
  event(Kind::Connected, first(), true);
  event(Kind::Connected, second(), true);
  event(Kind::CallEnded, first(), false, "rdmTabPreClie.GetPrecoProd", "O servidor não está respondendo");
  EXPECT_EQ(status.ConnectionText(), "Sem conexão");
  event(Kind::CallEnded, second(), true, "rdmCustProd.GetProduto", {}, &answered);
  EXPECT_EQ(status.ConnectionText(), "Conectado");
}
