#include "server/demo/tax_id.h"

#include <algorithm>

namespace server::demo {
namespace {

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool AllSame(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [&](char c) { return c == text.front(); });
}

// Weighted sum modulo 11 as both numbers use it: remainder below 2 gives 0.
char CheckDigit(std::string_view digits, const int* weights) {
  int sum = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) sum += (digits[i] - '0') * weights[i];
  int rest = sum % 11;
  return static_cast<char>('0' + (rest < 2 ? 0 : 11 - rest));
}

}  // namespace

std::string CnpjCheckDigits(std::string_view first12) {
  static const int w1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int w2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  std::string digits(first12);
  char d1 = CheckDigit(digits, w1);
  digits += d1;
  return {d1, CheckDigit(digits, w2)};
}

std::string CpfCheckDigits(std::string_view first9) {
  static const int w1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int w2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
  std::string digits(first9);
  char d1 = CheckDigit(digits, w1);
  digits += d1;
  return {d1, CheckDigit(digits, w2)};
}

bool IsValidCnpj(std::string_view digits) {
  return digits.size() == 14 && AllDigits(digits) && !AllSame(digits) &&
         CnpjCheckDigits(digits.substr(0, 12)) == digits.substr(12);
}

bool IsValidCpf(std::string_view digits) {
  return digits.size() == 11 && AllDigits(digits) && !AllSame(digits) &&
         CpfCheckDigits(digits.substr(0, 9)) == digits.substr(9);
}

}  // namespace server::demo
