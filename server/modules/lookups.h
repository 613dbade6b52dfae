#pragma once
// Existence checks of the codes a call names; each raises Refusal with a Portuguese
// text naming the code when it is not registered.
#include <cstdint>
#include <string>

#include "server/store/connection.h"

namespace server::modules {

void RequireCustomer(store::Connection& connection, const std::string& customer);
void RequireProduct(store::Connection& connection, const std::string& product);
void RequireBranch(store::Connection& connection, const std::string& branch);
void RequireCostType(store::Connection& connection, std::int64_t costType);

}  // namespace server::modules
