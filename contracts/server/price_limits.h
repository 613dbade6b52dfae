#pragma once
// The bounds of every price and formula factor value the system stores, held by the
// screens' checks and the server's alike.
//
// A price is finite, above zero and at most kMaxPrice: the largest value the price
// grid's display "###,#0.000" shows in full ("999.999.999,999", twelve significant
// digits, well inside what a double holds exactly to the third decimal). A factor value
// lies from kMinFactorValue to kMaxPrice: the formula text shows three decimals, so a
// smaller value would read "0,000", and dividing by it could leave the finite doubles.
#include <string>

namespace contracts::server {

inline constexpr double kMaxPrice = 999'999'999.999;
inline constexpr double kMinFactorValue = 0.001;

// Finite, above zero and at most kMaxPrice.
bool IsSoundPrice(double value) noexcept;
// Finite and from kMinFactorValue to kMaxPrice.
bool IsSoundFactorValue(double value) noexcept;

// The bounds as the screens show them: "999.999.999,999" and "0,001".
std::string MaxPriceText();
std::string MinFactorValueText();

}  // namespace contracts::server
