#pragma once
// TModuleSession: what the module's screen units share, created once when the module
// loads and freed when it unloads; every unit's creation function receives it.
//
//   netTabPreClie    the connection to rdmTabPreClie ("VQR51200.rdmTabPreClie") every
//                    screen calls through
//   netCustos        the connection to rdmCustProd ("cus.rdmCustProd") the formula and
//                    copy screens hand to the framework's cost-type list
//   Cliente          the customer the price table screen last resolved (the report
//                    screen's customer list is asked for it)
//   boAtualizaPreco  set by the formula and copy screens after they changed prices on
//                    the server; the price table screen reloads its prices on seeing it
//
// Both connections take their host and port from the framework before they connect
// (netTabPreClieBeforeConnect, netCustosBeforeConnect), never throw on a refusal
// (ThrowException false) and start closed: the price table screen opens them when it
// is created and closes them when it closes; a call on a closed connection opens it
// first, so a screen opened on its own works as well.
#include "contracts/framework/netconnection.h"
#include "contracts/module/cliente.h"
#include "platform/core/component.h"

namespace Pkg_VQR51200 {

class TModuleSession : public platform::TComponent {
 public:
  TModuleSession();

  Netconnection::TNetConnection* const netTabPreClie;
  Netconnection::TNetConnection* const netCustos;
  TCliente Cliente;
  bool boAtualizaPreco = false;

  void netTabPreClieBeforeConnect(platform::TObject* Sender);
  void netCustosBeforeConnect(platform::TObject* Sender);
};

}  // namespace Pkg_VQR51200
