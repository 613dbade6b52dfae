#include "server/store/price_round.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/exceptions.h"

namespace server::store {
namespace {

constexpr int kSignificantDigits = 15;
constexpr int kDecimals = 3;

}  // namespace

double RoundPrice(double value) {
  if (!std::isfinite(value)) throw platform::EConvertError("Valor fora do intervalo no cálculo do preço");
  if (value == 0.0) return 0.0;
  // "d.dddddddddddddde+XX": the 15 significant digits and the decimal exponent.
  char text[40];
  std::snprintf(text, sizeof text, "%.*e", kSignificantDigits - 1, std::fabs(value));
  std::string digits;
  const char* p = text;
  for (; *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  int exponent = std::atoi(p + 1);
  // digits[i] has the weight 10^(exponent - i); keep those down to 10^-kDecimals.
  int keep = exponent + kDecimals + 1;
  if (keep < 0) return 0.0;  // below half of the last kept place
  bool roundUp = keep < static_cast<int>(digits.size()) && digits[keep] >= '5';
  std::string kept = digits.substr(0, static_cast<std::size_t>(std::min<int>(keep, digits.size())));
  if (roundUp) {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i >= 0) {
      ++kept[i];
    } else {
      kept.insert(kept.begin(), '1');
      ++exponent;
    }
  }
  if (kept.empty()) return 0.0;
  // kept holds the digits from 10^exponent down; write them as an integer scaled by a
  // power of ten so strtod rounds the decimal value once, exactly as PostgreSQL does.
  int lastWeight = exponent - static_cast<int>(kept.size()) + 1;
  std::string decimal = kept + "e" + std::to_string(lastWeight);
  double rounded = std::strtod(decimal.c_str(), nullptr);
  return value < 0 ? -rounded : rounded;
}

}  // namespace server::store
