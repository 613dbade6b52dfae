#pragma once
// Existence checks of the codes a call names; each raises Refusal with a Portuguese
// text naming the code when it is not registered.
#include <cstdint>
#include <string>

#include "server/store/connection.h"

namespace server::modules {

void RequireCustomer(store::Connection& connection, const std::string& customer);
void RequireProduct(store::Connection& connection, const std::string& product);
// A product that may have a special price: registered and on the last level of the
// product tree (NRNIVEL the deepest of PRODUTO), not a group of other products.
void RequirePricedProduct(store::Connection& connection, const std::string& product);
void RequireBranch(store::Connection& connection, const std::string& branch);
void RequireCostType(store::Connection& connection, std::int64_t costType);

}  // namespace server::modules
