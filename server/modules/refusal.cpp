#include "server/modules/refusal.h"

#include "contracts/server/price_limits.h"

namespace server::modules {

std::string PriceOverCeiling() { return "Preço deve ser no máximo " + contracts::server::MaxPriceText() + "."; }

std::string PricesOverCeiling() {
  return "Preço acima do limite de " + contracts::server::MaxPriceText() +
         " em algum produto; nenhum preço foi gravado.";
}

}  // namespace server::modules
