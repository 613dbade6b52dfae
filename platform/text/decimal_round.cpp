#include "platform/text/decimal_round.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace platform {
namespace {

constexpr int kSignificantDigits = 15;

// The 15 significant digits of a finite, non-negative value.
DecimalDigits SignificantDigits(double magnitude) {
  char text[32];  // "d.dddddddddddddde+XXX"
  const auto [end, ec] =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, kSignificantDigits - 1);
  DecimalDigits d;
  const char* p = text;
  for (; p != end && *p != 'e'; ++p)
    if (*p != '.') d.digits.push_back(*p);
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
  d.point = exponent + 1;
  return d;
}

// Adds one unit in the last digit; a carry out of the first digit adds a digit.
void AddUnitInLastPlace(DecimalDigits& d) {
  for (auto digit = d.digits.rbegin(); digit != d.digits.rend(); ++digit) {
    if (*digit != '9') {
      ++*digit;
      return;
    }
    *digit = '0';
  }
  d.digits.insert(d.digits.begin(), '1');
  ++d.point;
}

}  // namespace

bool DecimalDigits::isZero() const noexcept { return digits.find_first_not_of('0') == std::string::npos; }

DecimalDigits RoundedDecimal(double value, int decimals) {
  DecimalDigits d = SignificantDigits(std::fabs(value));
  const int keep = d.point + decimals;  // digits at or above the asked place
  if (keep >= static_cast<int>(d.digits.size())) return d;
  if (keep < 0) return DecimalDigits{"0", 1};
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) AddUnitInLastPlace(d);
  if (d.digits.empty()) return DecimalDigits{"0", 1};
  return d;
}

double RoundHalfAway(double value, int decimals) {
  if (!std::isfinite(value)) return value;
  const DecimalDigits d = RoundedDecimal(value, decimals);
  if (d.isZero()) return 0.0;
  // One conversion of the whole decimal (its digits as an integer times a power of
  // ten), so the result is the double nearest to it.
  const std::string text = d.digits + "e" + std::to_string(d.point - static_cast<int>(d.digits.size()));
  double rounded = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), rounded);
  if (ec == std::errc::result_out_of_range) rounded = std::numeric_limits<double>::infinity();
  return value < 0 ? -rounded : rounded;
}

}  // namespace platform
