#include "screens/Cli_VQR51200/server_call.h"

#include "contracts/framework/consiste.h"
#include "platform/ui/application.h"

namespace Cli_VQR51200 {

namespace {

template <class Work>
auto WithWaitAnimation(Showavi::TShowAvi kind, Work&& work) {
  Showavi::ActiveShowAvi(platform::Application().MainForm(), kind);
  try {
    auto result = work();
    Showavi::DeactiveShowAvi();
    return result;
  } catch (...) {
    Showavi::DeactiveShowAvi();
    throw;
  }
}

}  // namespace

platform::Variant ServerCall(Netconnection::TNetConnection& net, Showavi::TShowAvi kind, std::string_view method,
                             std::vector<platform::CallArg> args) {
  return WithWaitAnimation(kind, [&] { return Consiste::CheckResultServ(net.Call(method, std::move(args)), true, 0); });
}

void ServerLoad(platform::TClientDataSet& target, Netconnection::TNetConnection& net, Showavi::TShowAvi kind,
                std::string_view method, std::vector<platform::CallArg> args) {
  WithWaitAnimation(kind, [&] {
    target.SetData(Consiste::CheckResultServ(net.Call(method, std::move(args)), true, 0));
    return true;
  });
}

}  // namespace Cli_VQR51200
