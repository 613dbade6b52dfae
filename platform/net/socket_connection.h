#pragma once
// TSocketConnection: the client side of remote calls, one TCP connection to the
// application server, addressing one remote data module.
//
//   TSocketConnection net(owner);
//   net.SetServerName("VQR51200.rdmTabPreClie");    // module: the text after the last "."
//   net.BeforeConnect = [&](TObject*) { net.SetHost(host); net.SetPort(port); };
//   Variant result = net.Call("GetFatPreClie", {Var(cliente.CdCliente), labelCusto});
//
// Calls are synchronous: the caller's thread blocks until the reply arrives or the
// call timeout passes. A call connects first when the connection is closed, firing
// BeforeConnect, so a connection lost at one call (reported there) is made again by
// the next. "var" arguments (Var) are sent with their variable's value, and the
// variable receives the value the method left, when that value is a text.
//
// Failures raise: ENetError when the server cannot be reached, the connection is lost
// or the call times out (the connection is closed then; EConnectionLost for the last
// two); ERemoteError with the server's
// text when the server answers the call with an error. A call whose request breaks the
// frame limits is refused before anything is sent.
//
// Several servers (SetServerList, server_list.h): the connection connects to the list's
// server in use, and when that one cannot be reached, or the connection breaks or the
// call times out before the reply, it goes on with the next one of the list, signing in
// there and sending the call again, until every server was tried once. Each call
// carries an id of its own (rpc_frame.h), the same in every sending, so a write whose
// reply was lost is applied by the servers once. Without a list, the connection uses
// Host and Port alone and a lost reply is reported.
//
// Signing in (sign_in.h): a connection given a TSignIn signs in right after it
// connects, before its first call, and again when the server says its session has
// expired (repeating the call, which the server did not run). Without one it signs in
// to nothing: a server that requires it refuses its calls.
//
// TLS: with a certificate authority (SetTlsAuthority), the connection speaks TLS and
// accepts only a server whose certificate that authority signed for the host name
// (or address) it connects to; a certificate of another authority, or made out for
// another name, fails the connection with ENetError saying so.
//
// Not thread-safe: one connection belongs to one thread.
//
// An observer (SetObserver, one for the process, installed by the program that shows
// the connections' state) hears of every connection made or closed and of the end of
// every call, with its outcome; it sees only what happened, never the UI.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/exceptions.h"
#include "platform/net/rpc_frame.h"
#include "platform/variant/variant.h"

namespace platform {

// The server cannot be reached, the connection was lost, or a call timed out.
class ENetError : public Exception {
 public:
  using Exception::Exception;
};

// The connection broke, or the call timed out, after the request went out and before
// its reply came: the server may or may not have run it.
class EConnectionLost : public ENetError {
 public:
  using ENetError::ENetError;
};

// The server answered the call with an error (its text is the message, and Code the
// error's code when it sent one, telling the caller what it may do about it).
class ERemoteError : public Exception {
 public:
  using Exception::Exception;
  ERemoteError(const std::string& message, std::string code) : Exception(message), code_(std::move(code)) {}
  const std::string& Code() const noexcept { return code_; }

 private:
  std::string code_;
};

// One argument of a remote call: a value, or a text variable passed "var".
class CallArg {
 public:
  template <class T>
    requires std::constructible_from<Variant, T>
  CallArg(T&& value) : value_(Variant(std::forward<T>(value))) {}

  static CallArg Var(std::string& variable) { return CallArg(&variable); }

  Variant value() const { return variable_ ? Variant(*variable_) : value_; }
  std::string* variable() const noexcept { return variable_; }

 private:
  explicit CallArg(std::string* variable) : variable_(variable) {}
  Variant value_;
  std::string* variable_ = nullptr;
};

// A "var" argument: the call writes the method's value back into `variable`.
inline CallArg Var(std::string& variable) { return CallArg::Var(variable); }

class TSocketConnection;
class TSignIn;
class TServerList;

// What a connection tells the observer.
struct TConnectionEvent {
  enum class TKind { Connected, Closed, CallEnded };
  TKind Kind;
  const TSocketConnection* Connection;  // identifies the connection; may be going away
  std::string Server;                   // "host:port"
  std::string Address;                  // "module.method" of the call that ended
  bool Open = false;                    // whether the connection is open afterwards
  std::string Error;                    // why the call failed; empty when it returned
  const Variant* Result = nullptr;      // the call's return value when it returned
};
using TConnectionObserver = std::function<void(const TConnectionEvent& event)>;

class TSocketConnection : public TComponent {
 public:
  // Installs the observer of every connection (nullptr: none). An exception from it
  // is written to standard error and does not disturb the connection.
  static void SetObserver(TConnectionObserver observer);

  explicit TSocketConnection(TComponent* owner = nullptr);
  ~TSocketConnection() override;

  const std::string& ServerName() const noexcept { return serverName_; }
  void SetServerName(std::string name) { serverName_ = std::move(name); }
  // The remote data module calls address: the text of ServerName after its last ".".
  std::string ModuleName() const;

  const std::string& Host() const noexcept { return host_; }
  void SetHost(std::string host) { host_ = std::move(host); }
  int Port() const noexcept { return port_; }
  void SetPort(int port) { port_ = port; }

  bool Connected() const noexcept;
  // True: fires BeforeConnect, then connects (raising ENetError when it cannot);
  // nothing happens when already connected. False: closes the connection.
  void SetConnected(bool connected);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }

  // Longest wait for one call's reply; a large copy takes minutes.
  std::chrono::milliseconds CallTimeout() const noexcept { return callTimeout_; }
  void SetCallTimeout(std::chrono::milliseconds timeout) { callTimeout_ = timeout; }
  std::chrono::milliseconds ConnectTimeout() const noexcept { return connectTimeout_; }
  void SetConnectTimeout(std::chrono::milliseconds timeout) { connectTimeout_ = timeout; }

  // Fired before each connection is made; the owner sets Host and Port here.
  std::function<void(TObject* sender)> BeforeConnect;

  // The servers the connection may use (shared with the program's other connections);
  // nullptr: Host and Port, as BeforeConnect leaves them. With a list, the list's server
  // in use is connected to after BeforeConnect.
  void SetServerList(std::shared_ptr<TServerList> servers) { servers_ = std::move(servers); }
  const std::shared_ptr<TServerList>& ServerList() const noexcept { return servers_; }

  // Who the connection signs in as (shared with the program's other connections);
  // nullptr: it does not sign in.
  void SetSignIn(std::shared_ptr<TSignIn> signIn) { signIn_ = std::move(signIn); }
  const std::shared_ptr<TSignIn>& SignIn() const noexcept { return signIn_; }
  // Signs in with this login and password (connecting first when closed, without
  // signing in by the usual steps): "" when the server accepted them, else its refusal.
  // Needs SignIn(); raises ENetError when the server cannot be reached.
  std::string SignInWith(const std::string& login, const std::string& password);
  // Ends the session on the server (connecting when closed; when the server cannot be
  // reached the session ends there by itself, once idle) and forgets it.
  void SignOut();

  // The PEM file of the certificate authority the server's certificate must come from;
  // empty (the default): plain TCP.
  const std::string& TlsAuthority() const noexcept { return tlsAuthority_; }
  void SetTlsAuthority(std::string caFile);

  // Calls `method` of the module with the arguments in order; returns the method's
  // return value.
  Variant Call(std::string_view method, std::vector<CallArg> args);
  // The same call applied only while `condition` holds on the server (rpc_frame.h):
  // what the change is based on, in the form the method takes it.
  Variant Call(std::string_view method, std::vector<CallArg> args, Variant condition);

 private:
  struct Impl;
  void connect();
  // Connects (and shakes hands over TLS), without signing in.
  void openTransport();
  void signInConnection();
  // One sign-in call on the open connection: "" when accepted, else the refusal.
  std::string exchangeSignIn(std::string_view address, std::vector<Variant> params);
  // Sends the request (`bytes`: its encoding, when already made) and reads its response
  // on the open connection; raises ENetError when the connection fails (and closes it).
  RpcResponse roundTrip(const RpcRequest& request, std::string bytes = {});
  // roundTrip on the open connection (connecting when closed), sent again to the next
  // server of the list when the connection is lost before the reply.
  RpcResponse send(RpcRequest& request, std::string bytes = {});
  // Whether the list holds a server not tried yet after `tried` of them failed.
  bool mayTryAnother(std::size_t tried) const noexcept;
  Variant call(std::string_view method, std::vector<CallArg> args, Variant condition);
  void report(TConnectionEvent::TKind kind, std::string address = {}, std::string error = {},
              const Variant* result = nullptr) const;
  std::string where() const;

  std::string serverName_;
  std::string host_ = "127.0.0.1";
  int port_ = 5151;
  std::chrono::milliseconds callTimeout_ = std::chrono::seconds(300);
  std::chrono::milliseconds connectTimeout_ = std::chrono::seconds(15);
  std::uint32_t lastMsgid_ = 0;
  std::shared_ptr<TSignIn> signIn_;
  std::shared_ptr<TServerList> servers_;
  std::string sessionUsed_;  // the session this connection signed in with
  std::string tlsAuthority_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
