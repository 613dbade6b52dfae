#include "framework/sheet/sheet_numbers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace framework::sheet {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text without spaces around, its sign and "R$".
std::string_view Body(std::string_view text, bool& negative) {
  auto trim = [](std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
  };
  text = trim(text);
  negative = false;
  // "-R$ 2,50" or "R$ -2,50".
  for (int pass = 0; pass < 2; ++pass) {
    if (!negative && !text.empty() && (text.front() == '-' || text.front() == '+')) {
      negative = text.front() == '-';
      text = trim(text.substr(1));
    }
    if (text.substr(0, 2) == "R$") text = trim(text.substr(2));
  }
  return text;
}

}  // namespace

NumberText ExamineNumber(std::string_view text) {
  bool negative = false;
  const std::string_view body = Body(text, negative);
  NumberText found;
  std::size_t dots = 0, commas = 0, digits = 0;
  for (char c : body) {
    if (c == '.') ++dots;
    else if (c == ',') ++commas;
    else if (IsDigit(c)) ++digits;
    else return found;
  }
  if (digits == 0) return found;
  found.wellFormed = true;
  if (dots && commas) {
    found.shownDecimal = body.find_last_of(".,") == body.rfind('.') ? '.' : ',';
  } else if (dots + commas > 1) {
    found.shownDecimal = dots ? ',' : '.';  // the one repeated separates thousands
  } else if (dots + commas == 1) {
    const char separator = dots ? '.' : ',';
    const std::size_t at = body.find(separator);
    const std::string_view whole = body.substr(0, at), part = body.substr(at + 1);
    if (part.size() != 3 || whole.empty() || whole == "0" || whole.size() > 3)
      found.shownDecimal = separator;
    else
      found.needsConvention = true;
  }
  return found;
}

std::optional<double> ReadNumber(std::string_view text, char decimal) {
  bool negative = false;
  const std::string_view body = Body(text, negative);
  const char thousands = decimal == ',' ? '.' : ',';
  const std::size_t point = body.find(decimal);
  if (point != std::string_view::npos && body.find(decimal, point + 1) != std::string_view::npos) return std::nullopt;
  std::string_view whole = body.substr(0, point);
  const std::string_view part = point == std::string_view::npos ? std::string_view() : body.substr(point + 1);
  std::string plain = negative ? "-" : "";
  if (whole.find(thousands) != std::string_view::npos) {
    // Groups of three digits after a first group of one to three.
    std::size_t group = 0;
    bool first = true;
    for (char c : whole) {
      if (c == thousands) {
        if ((first && (group == 0 || group > 3)) || (!first && group != 3)) return std::nullopt;
        first = false;
        group = 0;
      } else {
        ++group;
      }
    }
    if (group != 3) return std::nullopt;
  }
  for (char c : whole)
    if (c != thousands) plain += c;
  if (part.find(thousands) != std::string_view::npos) return std::nullopt;
  if (plain.empty() || plain == "-") plain += '0';
  if (!part.empty()) {
    plain += '.';
    plain += part;
  } else if (point != std::string_view::npos && whole.empty()) {
    return std::nullopt;
  }
  for (char c : plain)
    if (!IsDigit(c) && c != '.' && c != '-') return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace framework::sheet
