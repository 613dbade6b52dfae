#pragma once
// Dispatcher: answers one request with one encoded response, and never sees a socket.
//
// Through a connection's access (access_gate.h) it answers the sign-in calls, refuses
// every other call of a connection without a live session (an error reply of code
// platform::kSignInRequired) and a method the user's role may not call (a failure
// envelope). It finds the handler by address (unknown method: an error reply), checks the
// arguments against the method's contract when the address has one (wrong count or
// kind: an error reply; an Integer for a Double param becomes a Double), runs the
// handler with the request's condition and call id in its context, turns a CodedRefusal into an
// error reply of its code, any other escaping exception into an error reply with its
// text, and hands
// one CallRecord per call to the observer. A response over the frame limits becomes
// an error reply, so the client never receives a frame it must refuse.
//
// answer() is called from any worker thread at once; the registry must not change
// while calls run.
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/net/rpc_frame.h"
#include "server/rpc/access_gate.h"
#include "server/rpc/call_log.h"
#include "server/rpc/method_registry.h"

namespace server::rpc {

struct Reply {
  std::string bytes;                   // the encoded response frame
  std::chrono::milliseconds delay{0};  // how long to hold it back
};

class Dispatcher {
 public:
  Dispatcher(const MethodRegistry& registry, CallObserver observer);

  // The encoded response frame for `request` of a connection with that access.
  Reply answer(platform::RpcRequest request, ConnectionAccess& access) const;
  // The same for a call made in process, where no one signs in: every call is admitted.
  std::string answer(platform::RpcRequest request) const;

 private:
  Reply answerSignIn(const platform::RpcRequest& request, ConnectionAccess& access) const;
  std::string answerCall(platform::RpcRequest request, ConnectionAccess* access) const;
  platform::RpcResponse call(platform::RpcRequest& request, ConnectionAccess* access, CallRecord& record) const;

  const MethodRegistry& registry_;
  CallObserver observer_;
};

// The encoded error reply to `msgid`.
std::string EncodeErrorReply(std::uint32_t msgid, const std::string& message);

}  // namespace server::rpc
