#pragma once
// Rounding of doubles to a number of decimals: the one rule for the values the
// application shows (FormatFloat) and the prices the server stores.
//
// The rule: the double is read as the decimal number of its 15 significant digits
// (printf's %.14e, the digits every double holds for sure), and that decimal is
// rounded half away from zero at the asked place.
//   - 1.0005, whose double lies just below 1.0005, rounds to 1.001 at 3 decimals;
//     -1.0005 to -1.001; 2.675 to 2.68 at 2; 0.1 + 0.2 (0.30000000000000004) is 0.3
//     before any rounding; and the double just below 1.0005's, whose shortest text
//     is 1.0004999999999997, is 1.00050000000000 in 15 digits and rounds to 1.001.
//   - A value with more than 15 digits before the place keeps its 15 significant
//     digits: 123456789012345678 becomes 123456789012346000, 1e300 stays 1e300. The
//     few doubles whose 15 digits lie beyond the largest double (DBL_MAX is
//     1.79769313486232e308 in 15 digits) round to infinity, as strtod reads them.
//   - A value below half of the last kept place rounds to 0, never to -0 (at 3
//     decimals every |value| < 0.0005, the subnormal doubles included).
//   - NaN and the infinities are no numbers to round: RoundHalfAway returns them
//     unchanged, RoundedDecimal must not be given them (callers that refuse them, such
//     as the price rounding, check first).
// PostgreSQL's ROUND(CAST(x AS NUMERIC), n) does exactly this (its conversion to
// NUMERIC keeps 15 digits), so a price rounded here and one rounded in the database
// are the same double.
#include <string>

namespace platform {

// A non-negative decimal number: the digits d0 d1 ... with the decimal point before
// digit `point` (point may be <= 0, or beyond the last digit).
struct DecimalDigits {
  std::string digits;
  int point = 0;
  bool isZero() const noexcept;
};

// |value| rounded to `decimals` places by the rule above; value must be finite.
DecimalDigits RoundedDecimal(double value, int decimals);

// value rounded to `decimals` places by the rule above, as the nearest double.
double RoundHalfAway(double value, int decimals);

}  // namespace platform
