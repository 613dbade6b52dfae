#include "contracts/framework/netconnection.h"

#include "contracts/framework/consiste.h"
#include "contracts/framework/host_configuration.h"

namespace Netconnection {

TNetConnection::TNetConnection(platform::TComponent* owner) : platform::TSocketConnection(owner) {
  const framework::HostConfiguration& configuration = framework::GetHostConfiguration();
  SetServerList(configuration.servers);
  SetSignIn(configuration.signIn);
  SetTlsAuthority(configuration.tlsAuthority);
}

platform::Variant TNetConnection::Call(std::string_view method, std::vector<platform::CallArg> args,
                                       platform::Variant condition) {
  platform::Variant result = platform::TSocketConnection::Call(method, std::move(args), std::move(condition));
  if (ThrowException) Consiste::CheckResultServ(result, true, 0);
  return result;
}

}  // namespace Netconnection
