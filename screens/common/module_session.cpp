#include "screens/common/module_session.h"

#include "contracts/framework/norvexa.h"

namespace Pkg_VQR51200 {

namespace {

Netconnection::TNetConnection* NewConnection(platform::TComponent* owner, const char* name, const char* serverName) {
  auto* net = new Netconnection::TNetConnection(owner);
  net->SetName(name);
  net->SetServerName(serverName);
  net->ThrowException = false;
  return net;
}

void TakeHostAndPort(Netconnection::TNetConnection& net) {
  net.SetHost(Norvexa::WebURL());
  net.SetPort(Norvexa::WebPort());
}

}  // namespace

TModuleSession::TModuleSession()
    : netTabPreClie(NewConnection(this, "netTabPreClie", "VQR51200.rdmTabPreClie")),
      netCustos(NewConnection(this, "netCustos", "cus.rdmCustProd")) {
  SetName("ModuleSession");
  netTabPreClie->BeforeConnect = [this](platform::TObject* s) { netTabPreClieBeforeConnect(s); };
  netCustos->BeforeConnect = [this](platform::TObject* s) { netCustosBeforeConnect(s); };
}

void TModuleSession::netTabPreClieBeforeConnect(platform::TObject*) { TakeHostAndPort(*netTabPreClie); }

void TModuleSession::netCustosBeforeConnect(platform::TObject*) { TakeHostAndPort(*netCustos); }

}  // namespace Pkg_VQR51200
