#pragma once
// Netconnection: TNetConnection, the connection of a screen to one remote data module
// of the application server.
//
//   net->SetServerName("VQR51200.rdmTabPreClie");
//   net->BeforeConnect = [net](TObject*) { net->SetHost(Norvexa::WebURL()); net->SetPort(Norvexa::WebPort()); };
//   net->SetConnected(true);
//   Variant data = Consiste::CheckResultServ(net->Call<contracts::server::GetPesqCliente>(nr, ""), true, 0);
//
// It is a platform::TSocketConnection (synchronous calls by method name, "var"
// arguments written back, ENetError / ERemoteError for transport and protocol
// failures) that signs in, speaks TLS and goes on with the next application server as
// the host is configured to (HostConfiguration: signIn, tlsAuthority, servers), with one
// switch:
//   ThrowException false (the default): Call returns the method's result envelope as
//     it came; the caller checks it with Consiste::CheckResultServ.
//   ThrowException true: a failure envelope raises Consiste::EServerRefusal with the
//     server's text at the call; the envelope of a success is returned unchanged.
//
// CallBasedOn<M>(condition, args...) sends with the call what its change is based on
// (platform/net/rpc_frame.h): the server refuses it, with an error of a code of its
// own (ERemoteError::Code), when the data changed since.
//
// Call<M>(args...) calls the method declared as M (contracts/server/*_methods.h) and
// compiles only with the declared count and kinds of arguments: a text takes a
// std::string or a string literal, an integer an int, a double a double, a variant a
// platform::Variant, and a "var" text a std::string variable, which receives the
// method's value. Call(name, args) is the same call bound late, by name, for tools and
// tests.
#include <string_view>
#include <utility>
#include <vector>

#include "contracts/server/method_declaration.h"
#include "platform/net/socket_connection.h"

namespace Netconnection {

class TNetConnection : public platform::TSocketConnection {
 public:
  explicit TNetConnection(platform::TComponent* owner = nullptr);

  bool ThrowException = false;

  platform::Variant Call(std::string_view method, std::vector<platform::CallArg> args,
                         platform::Variant condition = {});

  template <class M, class... A>
    requires contracts::server::CallableWith<M, A...>
  platform::Variant Call(A&&... args) {
    return Call(M::name, Arguments(typename M::Arguments{}, std::forward<A>(args)...));
  }
  // The call applied only while `condition` (what the change is based on) holds.
  template <class M, class... A>
    requires contracts::server::CallableWith<M, A...>
  platform::Variant CallBasedOn(platform::Variant condition, A&&... args) {
    return Call(M::name, Arguments(typename M::Arguments{}, std::forward<A>(args)...), std::move(condition));
  }

 private:
  template <class... Params, class... A>
  static std::vector<platform::CallArg> Arguments(contracts::server::ParamList<Params...>, A&&... args) {
    return {Argument<Params>(std::forward<A>(args))...};
  }
  template <class Param, class A>
  static platform::CallArg Argument(A&& arg) {
    if constexpr (Param::byRef)
      return platform::Var(arg);
    else
      return platform::CallArg(std::forward<A>(arg));
  }
};

}  // namespace Netconnection
