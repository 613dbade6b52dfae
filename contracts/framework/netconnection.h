#pragma once
// Netconnection: TNetConnection, the connection of a screen to one remote data module
// of the application server.
//
//   net->SetServerName("VQR51200.rdmTabPreClie");
//   net->BeforeConnect = [net](TObject*) { net->SetHost(Norvexa::WebURL()); net->SetPort(Norvexa::WebPort()); };
//   net->SetConnected(true);
//   Variant data = Consiste::CheckResultServ(net->Call("GetPesqCliente", {nr, ""}), true, 0);
//
// It is a platform::TSocketConnection (synchronous calls by method name, "var"
// arguments written back, ENetError / ERemoteError for transport and protocol
// failures) with one switch:
//   ThrowException false (the default): Call returns the method's result envelope as
//     it came; the caller checks it with Consiste::CheckResultServ.
//   ThrowException true: a failure envelope raises Consiste::EServerRefusal with the
//     server's text at the call; the envelope of a success is returned unchanged.
#include <string_view>
#include <vector>

#include "platform/net/socket_connection.h"

namespace Netconnection {

class TNetConnection : public platform::TSocketConnection {
 public:
  using platform::TSocketConnection::TSocketConnection;

  bool ThrowException = false;

  platform::Variant Call(std::string_view method, std::vector<platform::CallArg> args);
};

}  // namespace Netconnection
