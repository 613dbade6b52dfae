#include "server/store/price_round.h"

#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/text/decimal_round.h"

namespace server::store {
namespace {

constexpr int kPriceDecimals = 3;

// Below this magnitude the rule's 15 significant digits reach the sixth decimal: they
// differ from the double by at most 5e-7, which the scaling by 1000 below turns into
// 5e-4 thousandths, and the scaling itself adds at most 1.2e-4 (half a unit in the last
// place of a number below 2^40).
constexpr double kDirectLimit = 1e9;
// So whenever the scaled double lies farther than this from a half, the rule's decimal
// rounds to the same whole number of thousandths as the double does.
constexpr double kClearOfHalf = 1e-3;

}  // namespace

double RoundPrice(double value) {
  // Nearly every price is rounded without going through its decimal text: the whole
  // number of thousandths is exact, and dividing it by 1000 gives the double nearest
  // the rounded decimal, just as reading its text would.
  const double magnitude = std::fabs(value);
  if (magnitude < kDirectLimit) {
    const double scaled = magnitude * 1000;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) > kClearOfHalf) {
      const double rounded = (whole + (fraction > 0.5 ? 1 : 0)) / 1000;
      return value < 0 && rounded != 0 ? -rounded : rounded;  // never -0
    }
  }
  const double rounded = platform::RoundHalfAway(value, kPriceDecimals);
  // Rounding up the largest doubles goes past them.
  if (!std::isfinite(rounded)) throw platform::EConvertError("Valor fora do intervalo no cálculo do preço");
  return rounded;
}

}  // namespace server::store
