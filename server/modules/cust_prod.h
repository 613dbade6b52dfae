#pragma once
// rdmCustProd: the costs data module. GetTipoCusto lists the cost types
// (NRTIPOCUSTO, NMTIPOCUSTO) by number.
#include "server/modules/method_adapter.h"
#include "server/store/connection.h"

namespace server::modules::cust_prod {

PacketPtr GetTipoCusto(store::Connection& c);

}  // namespace server::modules::cust_prod
