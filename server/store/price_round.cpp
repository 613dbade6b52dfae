#include "server/store/price_round.h"

#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/text/decimal_round.h"

namespace server::store {
namespace {

constexpr int kPriceDecimals = 3;

}  // namespace

double RoundPrice(double value) {
  const double rounded = platform::RoundHalfAway(value, kPriceDecimals);
  // Rounding up the largest doubles goes past them.
  if (!std::isfinite(rounded)) throw platform::EConvertError("Valor fora do intervalo no cálculo do preço");
  return rounded;
}

}  // namespace server::store
