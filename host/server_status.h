#pragma once
// ServerStatus: what the host's status bar says about the application server, kept
// from what the connections report (platform::TSocketConnection's observer, which it
// installs while it lives):
//   ServerText      "Servidor: 127.0.0.1:5151", the server the host was told to use
//                   (the first of its list), then the one the last connection was
//                   made to;
//   ConnectionText  "Sem conexão" after a call that found the server unreachable or
//                   lost it (until a call is answered or a connection is made),
//                   "Conectado" while any connection to a server is open,
//                   "Desconectado" otherwise;
//   LastCallText    the outcome and time of the last remote call: "Gravado às
//                   10:32:05" for a write (a method named Set...) the server accepted,
//                   "Consultado às 10:32:05" for a read, "Recusado às 10:32:05: <text>"
//                   when the server answered with a failure (a catalog key, "@...",
//                   is left out), "Erro às 10:32:05: <text>" when the call failed;
//                   empty before the first call;
//   UserText        "Usuário: Maria Souza (maria, reajuste)" while signed in, "Usuário:
//                   maria (sessão encerrada)" once the session ended, "Usuário: maria
//                   (entrada pendente)" for a login given but not signed in yet,
//                   "Usuário: nenhum" before anyone signed in.
// `changed` runs after every event that may have changed a text.
#include <chrono>
#include <functional>
#include <set>
#include <string>

namespace platform {
struct TConnectionEvent;
class TSignIn;
class TSocketConnection;
}  // namespace platform

namespace host {

class ServerStatus {
 public:
  ServerStatus(std::string server, std::function<void()> changed);
  ~ServerStatus();
  ServerStatus(const ServerStatus&) = delete;
  ServerStatus& operator=(const ServerStatus&) = delete;

  std::string ServerText() const { return "Servidor: " + server_; }
  std::string ConnectionText() const;
  const std::string& LastCallText() const noexcept { return lastCall_; }
  static std::string UserText(const platform::TSignIn* signIn);

  // Takes one event, which happened at `when`.
  void Handle(const platform::TConnectionEvent& event, std::chrono::system_clock::time_point when);

 private:
  std::string server_;
  std::function<void()> changed_;
  std::set<const platform::TSocketConnection*> open_;
  bool lost_ = false;
  std::string lastCall_;
};

}  // namespace host
