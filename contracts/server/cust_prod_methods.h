#pragma once
// rdmCustProd: the remote methods of the costs data module (method_declaration.h).
#include "contracts/server/method_declaration.h"
#include "contracts/server/packets.h"

namespace contracts::server {

// The cost types by number.
struct GetTipoCusto : Method<CustProd, "GetTipoCusto", PacketOf<CostTypeColumns>, ParamList<>> {};

using CustProdMethods = MethodList<GetTipoCusto>;

}  // namespace contracts::server
