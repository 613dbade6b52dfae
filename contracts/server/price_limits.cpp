#include "contracts/server/price_limits.h"

#include <cmath>

#include "platform/text/float_format.h"

namespace contracts::server {

namespace {
constexpr const char* kPriceFormat = "###,#0.000";
}

bool IsSoundPrice(double value) noexcept { return std::isfinite(value) && value > 0 && value <= kMaxPrice; }

bool IsSoundFactorValue(double value) noexcept {
  return std::isfinite(value) && value >= kMinFactorValue && value <= kMaxPrice;
}

std::string MaxPriceText() { return platform::FormatFloat(kPriceFormat, kMaxPrice); }
std::string MinFactorValueText() { return platform::FormatFloat(kPriceFormat, kMinFactorValue); }

}  // namespace contracts::server
