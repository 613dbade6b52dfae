#pragma once
// AccessGate: who may call on the listener's connections.
//
// The listener asks the gate for one ConnectionAccess per connection it accepts, and
// the dispatcher passes every request of that connection through it:
//   - the sign-in calls (platform/net/sign_in_protocol.h) are answered by the access
//     itself, and may be answered late (a wrong password is);
//   - any other call needs a live session first: without one (never signed in, or its
//     session expired or was ended) the call gets an error reply of code
//     platform::kSignInRequired, whatever it names, known method or not;
//   - then the user's role must have the method's permission, or the call gets the
//     method's failure envelope naming the permission missing.
// The methods then see the call's CallContext: who is calling.
//
// A ConnectionAccess serves one connection, one call at a time (on whichever worker
// thread runs it); the gate itself is shared by every connection.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/net/rpc_frame.h"

namespace server::rpc {

// What a method knows of the call's origin.
struct CallContext {
  std::string user;  // the signed-in user's login; empty where no one signs in (in-process)
  // What the call's change is based on (platform/net/rpc_frame.h); Empty: none.
  platform::Variant condition{};
  // The id the client gave the call (platform/net/rpc_frame.h); empty: none.
  std::string callId{};
};

struct SignInReply {
  platform::RpcResponse response;
  std::chrono::milliseconds delay{0};  // how long to hold the reply back
};

class ConnectionAccess {
 public:
  virtual ~ConnectionAccess() = default;

  // Answers a sign-in call of the connection.
  virtual SignInReply signIn(const platform::RpcRequest& request) = 0;
  // nullopt when the connection has a live session; else why the call is refused.
  virtual std::optional<std::string> sessionRefusal() = 0;
  // nullopt when the user may call the method at `address`; else the refusal's text.
  virtual std::optional<std::string> permissionRefusal(std::string_view address) = 0;
  virtual CallContext context() const = 0;
};

class AccessGate {
 public:
  virtual ~AccessGate() = default;
  // The access of a connection accepted from `address` ("10.0.0.7"); `peer` adds its
  // port ("10.0.0.7:50122"), for the log.
  virtual std::unique_ptr<ConnectionAccess> open(const std::string& address, const std::string& peer) = 0;
};

}  // namespace server::rpc
