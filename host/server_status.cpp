#include "host/server_status.h"

#include <ctime>

#include <fmt/chrono.h>
#include <fmt/format.h>

#include "contracts/server/result_envelope.h"
#include "platform/net/sign_in.h"
#include "platform/net/socket_connection.h"
#include "platform/variant/variant.h"

namespace host {

namespace {

std::string ClockTime(std::chrono::system_clock::time_point when) {
  return fmt::format("{:%H:%M:%S}", fmt::localtime(std::chrono::system_clock::to_time_t(when)));
}

bool IsWrite(const std::string& address) {
  const auto dot = address.rfind('.');
  return address.compare(dot == std::string::npos ? 0 : dot + 1, 3, "Set") == 0;
}

// The server's refusal text, or nullopt when the result is no failure envelope.
std::optional<std::string> Refusal(const platform::Variant& result) {
  try {
    contracts::server::Envelope envelope = contracts::server::ReadEnvelope(result);
    if (envelope.ok) return std::nullopt;
    return envelope.message;
  } catch (const platform::EVariantError&) {
    return std::nullopt;  // a method that answers without an envelope
  }
}

}  // namespace

ServerStatus::ServerStatus(std::string server, std::function<void()> changed)
    : server_(std::move(server)), changed_(std::move(changed)) {
  platform::TSocketConnection::SetObserver(
      [this](const platform::TConnectionEvent& event) { Handle(event, std::chrono::system_clock::now()); });
}

ServerStatus::~ServerStatus() { platform::TSocketConnection::SetObserver(nullptr); }

std::string ServerStatus::ConnectionText() const {
  if (lost_) return "Sem conexão";
  return open_.empty() ? "Desconectado" : "Conectado";
}

std::string ServerStatus::UserText(const platform::TSignIn* signIn) {
  if (!signIn || signIn->Login().empty()) return "Usuário: nenhum";
  if (!signIn->SignedIn())
    return "Usuário: " + signIn->Login() + (signIn->Reason().empty() ? " (entrada pendente)" : " (sessão encerrada)");
  return "Usuário: " + signIn->Name() + " (" + signIn->Login() + ", " + signIn->Role() + ")";
}

void ServerStatus::Handle(const platform::TConnectionEvent& event, std::chrono::system_clock::time_point when) {
  using Kind = platform::TConnectionEvent::TKind;
  if (event.Open)
    open_.insert(event.Connection);
  else
    open_.erase(event.Connection);
  if (event.Kind == Kind::Connected) {
    lost_ = false;
    server_ = event.Server;  // another of the servers listed, after a failover
  }
  if (event.Kind == Kind::CallEnded) {
    const std::string at = ClockTime(when);
    // A call that left its connection closed found the server gone, whatever the
    // other connections still hold open; one that got an answer found it there.
    lost_ = !event.Open;
    if (!event.Error.empty()) {
      lastCall_ = "Erro às " + at + ": " + event.Error;
    } else if (auto refusal = event.Result ? Refusal(*event.Result) : std::nullopt) {
      lastCall_ = "Recusado às " + at + (refusal->empty() || refusal->front() == '@' ? "" : ": " + *refusal);
    } else {
      lastCall_ = (IsWrite(event.Address) ? "Gravado às " : "Consultado às ") + at;
    }
  }
  if (changed_) changed_();
}

}  // namespace host
