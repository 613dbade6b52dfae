#pragma once
// SignInGate: the appserver's access gate (server/rpc/access_gate.h), over the users
// and sessions of its database.
//
//   sessao.Entrar [login, password]   an active user whose password matches gets a new
//       session. A wrong password, an unknown user and a disabled one get the same
//       refusal, "Usuário ou senha inválidos.", held back by the throttle
//       (sign_in_throttle.h), which also locks a login or an address after too many in
//       a row; a locked one is refused without its password being looked at.
//   sessao.Retomar [session]          takes up a session unused for less than the idle
//       limit and whose user is still active.
//   sessao.Sair []                    ends the connection's session.
// Each sign-in, resume, refusal and lock is one log line naming the login, the address
// and the outcome, never the password.
//
// A signed-in connection keeps its user and role. It records the use of its session in
// the database at most every quarter of the idle limit (and every minute at most), and
// learns there whether the session has expired, been ended, or its user been disabled
// or given another role since; its calls are then refused until it signs in again.
#include <chrono>
#include <memory>
#include <string>

#include "server/access/sign_in_throttle.h"
#include "server/rpc/access_gate.h"
#include "server/store/store.h"

namespace server::access {

inline constexpr unsigned kDefaultSessionIdleSeconds = 1800;

struct SignInOptions {
  std::chrono::seconds sessionIdle{kDefaultSessionIdleSeconds};
  ThrottleOptions throttle;
};

class SignInGate : public rpc::AccessGate {
 public:
  // `store` must outlive the gate.
  SignInGate(store::Store& store, SignInOptions options);

  std::unique_ptr<rpc::ConnectionAccess> open(const std::string& address, const std::string& peer) override;

  store::Store& store() noexcept { return store_; }
  const SignInOptions& options() const noexcept { return options_; }
  SignInThrottle& throttle() noexcept { return throttle_; }
  // How often a connection records its session's use.
  std::chrono::milliseconds touchInterval() const noexcept;

 private:
  store::Store& store_;
  SignInOptions options_;
  SignInThrottle throttle_;
};

}  // namespace server::access
