#pragma once
// ServerCall: one remote call as every screen of the module makes it.
//
//   Variant data = ServerCall(*netTabPreClie, Showavi::saPesquisa, "GetPesqCliente", {"", "T"});
//   ServerLoad(*cdsPesqClie, *netTabPreClie, Showavi::saPesquisa, "GetPesqCliente", {"", "T"});
//
// The wait animation of `kind` runs while the call blocks (6 for reads, 1 for writes);
// the result envelope goes through Consiste::CheckResultServ(result, true, 0) and its
// data part is returned (ServerLoad loads it into the dataset, replacing its rows).
// The animation is switched off on every path; a failure (transport, server refusal,
// a packet the dataset cannot take) goes on unchanged, and the dataset keeps what it
// held.
#include <string_view>
#include <vector>

#include "contracts/framework/netconnection.h"
#include "contracts/framework/showavi.h"
#include "platform/data/client_dataset.h"

namespace Cli_VQR51200 {

platform::Variant ServerCall(Netconnection::TNetConnection& net, Showavi::TShowAvi kind, std::string_view method,
                             std::vector<platform::CallArg> args);

void ServerLoad(platform::TClientDataSet& target, Netconnection::TNetConnection& net, Showavi::TShowAvi kind,
                std::string_view method, std::vector<platform::CallArg> args);

}  // namespace Cli_VQR51200
