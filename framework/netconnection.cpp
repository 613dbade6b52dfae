#include "contracts/framework/netconnection.h"

#include "contracts/framework/consiste.h"

namespace Netconnection {

platform::Variant TNetConnection::Call(std::string_view method, std::vector<platform::CallArg> args) {
  platform::Variant result = platform::TSocketConnection::Call(method, std::move(args));
  if (ThrowException) Consiste::CheckResultServ(result, true, 0);
  return result;
}

}  // namespace Netconnection
