#include "server/store/price_round.h"

#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/text/decimal_round.h"

namespace server::store {
namespace {

constexpr int kPriceDecimals = 3;

}  // namespace

double RoundPrice(double value) {
  if (!std::isfinite(value)) throw platform::EConvertError("Valor fora do intervalo no cálculo do preço");
  return platform::RoundHalfAway(value, kPriceDecimals);
}

}  // namespace server::store
