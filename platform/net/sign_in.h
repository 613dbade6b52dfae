#pragma once
// TSignIn: who the connections of a program sign in to the application server as. One
// object is shared by every connection of the program (TSocketConnection::SetSignIn):
// the first connection to sign in gets a session from the server, which the others,
// and any of them after a reconnection, resume without the password.
//
// A connection signs in as soon as it connects, before its first call:
//   1. with the session, when there is one (sessao.Retomar, sign_in_protocol.h);
//   2. else with the password kept by SetCredentials (a script: `host --user`);
//   3. else by asking: OnAskPassword runs on the connection's thread (the host shows
//      its sign-in window, modally) with the reason to show and a way to try what the
//      person typed; the connection's call waits for it.
// When the server says the session has expired or ended (at a resume, or at a call,
// which the server then did not run and the connection sends again once signed in), the
// session is forgotten and the steps go on from 2. A sign-in that fails (refused, or
// the person gave up) raises ESignInError at the call that needed it.
//
// Not thread-safe, like the connections: it belongs to the program's UI thread.
#include <functional>
#include <string>

#include "platform/net/sign_in_protocol.h"
#include "platform/net/socket_connection.h"

namespace platform {

// The connection could not sign in: the server refused it, or no password was given.
class ESignInError : public ERemoteError {
 public:
  using ERemoteError::ERemoteError;
};

class TSignIn {
 public:
  // Tries a login and password on the connection that needs them: "" when the server
  // accepted them, else its refusal. Raises ENetError when the server cannot be reached.
  using TAttempt = std::function<std::string(const std::string& login, const std::string& password)>;
  // Shows `reason` ("" at the first sign-in) and tries what the person types until an
  // attempt is accepted (true) or the person gives up (false).
  using TAsk = std::function<bool(const std::string& reason, const TAttempt& attempt)>;

  // The login and password of a script: kept for the program's life, so an expired
  // session is replaced by a new sign-in without asking.
  void SetCredentials(std::string login, std::string password);
  TAsk OnAskPassword;
  // Runs after each change of who is signed in.
  std::function<void()> OnChange;

  bool SignedIn() const noexcept { return !session_.empty(); }
  const std::string& Session() const noexcept { return session_; }
  // The user signed in, or the last one (whose login the sign-in window offers again).
  const std::string& Login() const noexcept { return login_; }
  const std::string& Name() const noexcept { return name_; }
  const std::string& Role() const noexcept { return role_; }
  // Why the last session ended ("" while none did).
  const std::string& Reason() const noexcept { return reason_; }

  // --- for the connections ---
  bool HasKeptPassword() const noexcept { return !password_.empty(); }
  const std::string& KeptPassword() const noexcept { return password_; }
  // The server's answer to a sign-in or resume.
  void Accept(const TSignInAnswer& answer);
  // The server no longer knows `session`, for `reason`; nothing changes when another
  // session has replaced it already.
  void Expire(const std::string& session, std::string reason);
  // The session was ended on purpose (sessao.Sair).
  void SignedOut();

 private:
  void changed() const;

  std::string login_;
  std::string password_;
  std::string session_;
  std::string name_;
  std::string role_;
  std::string reason_;
};

}  // namespace platform
