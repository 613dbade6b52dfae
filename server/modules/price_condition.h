#pragma once
// The condition a write of one special price may be sent with (contracts/server/
// price_basis.h): the values the client read. The write checks it in its own
// transaction, under the lock of the price (as price_lock.h takes it), so on PostgreSQL no other
// write can change the price between the check and the write.
#include <optional>
#include <string>

#include "contracts/server/price_basis.h"
#include "server/store/connection.h"

namespace server::modules {

// The basis the current call states (store::Connection::callCondition); nullopt when
// it states none. A condition of another shape is refused.
std::optional<contracts::server::PriceBasis> CallPriceBasis(const store::Connection& c);

// Locks the customer's price of the product and refuses the call (rpc::CodedRefusal of
// code kPriceChanged) when it no longer holds `basis`, naming who changed it last,
// when, and the values it holds now.
void RequirePriceBasis(store::Connection& c, const std::string& customer, const std::string& product,
                       const contracts::server::PriceBasis& basis);

// The same refusal, for a price the basis said did not exist and another write created
// before this one could (its creation found the row there).
[[noreturn]] void RefuseCreatedMeanwhile(store::Connection& c, const std::string& customer,
                                         const std::string& product, const contracts::server::PriceBasis& basis);

}  // namespace server::modules
