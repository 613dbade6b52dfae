#pragma once
// rdmCustProd: the costs data module. GetTipoCusto lists the cost types
// (NRTIPOCUSTO, NMTIPOCUSTO) by number.
#include "platform/variant/variant.h"
#include "server/store/connection.h"

namespace server::modules::cust_prod {

platform::Variant GetTipoCusto(store::Connection& c);

}  // namespace server::modules::cust_prod
