#include "platform/text/float_format.h"

#include <charconv>
#include <cmath>
#include <system_error>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/text/ascii_text.h"

namespace platform {
namespace {

std::string IntegerDigits(const DecimalDigits& d) {
  std::string out;
  for (int i = 0; i < d.point; ++i)
    out.push_back(i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0');
  const std::size_t first = out.find_first_not_of('0');
  return first == std::string::npos ? std::string() : out.substr(first);
}

std::string FractionDigits(const DecimalDigits& d, int decimals) {
  std::string out;
  for (int i = d.point; i < d.point + decimals; ++i)
    out.push_back(i >= 0 && i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0');
  return out;
}

// One section of a format string, split into literals and digit placeholders.
struct Token {
  enum Kind { Literal, Digit, Point } kind;
  std::string text;     // Literal
  bool required = false;  // Digit: '0'
  bool fraction = false;  // Digit or Literal after the decimal point
};

struct Section {
  std::vector<Token> tokens;
  bool thousands = false;
  int intPlaceholders = 0;
  int minInt = 0;
  int fracPlaceholders = 0;
  int minFrac = 0;
};

std::vector<std::string_view> SplitSections(std::string_view format) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  char quote = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.push_back(format.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(format.substr(start));
  return sections;
}

Section ParseSection(std::string_view text) {
  Section s;
  bool inFraction = false;
  int firstRequiredInt = -1;
  auto literal = [&](std::string piece) {
    if (!s.tokens.empty() && s.tokens.back().kind == Token::Literal &&
        s.tokens.back().fraction == inFraction)
      s.tokens.back().text += piece;
    else
      s.tokens.push_back(Token{Token::Literal, std::move(piece), false, inFraction});
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      const std::size_t close = text.find(c, i + 1);
      const std::size_t end = close == std::string_view::npos ? text.size() : close;
      literal(std::string(text.substr(i + 1, end - i - 1)));
      i = end;
    } else if (c == '0' || c == '#') {
      s.tokens.push_back(Token{Token::Digit, {}, c == '0', inFraction});
      if (inFraction) {
        ++s.fracPlaceholders;
        if (c == '0') s.minFrac = s.fracPlaceholders;
      } else {
        if (c == '0' && firstRequiredInt < 0) firstRequiredInt = s.intPlaceholders;
        ++s.intPlaceholders;
      }
    } else if (c == '.' && !inFraction) {
      s.tokens.push_back(Token{Token::Point, {}, false, false});
      inFraction = true;
    } else if (c == ',') {
      if (!inFraction) s.thousands = true;
    } else {
      literal(std::string(1, c));
    }
  }
  if (firstRequiredInt >= 0) s.minInt = s.intPlaceholders - firstRequiredInt;
  return s;
}

bool HasDigits(const Section& s) { return s.intPlaceholders + s.fracPlaceholders > 0; }

// Lays the rounded number into the section.
std::string Render(const Section& s, const DecimalDigits& rounded, bool negative) {
  std::string intDigits = IntegerDigits(rounded);
  while (static_cast<int>(intDigits.size()) < s.minInt) intDigits.insert(intDigits.begin(), '0');
  std::string frac = FractionDigits(rounded, s.fracPlaceholders);
  while (static_cast<int>(frac.size()) > s.minFrac && frac.back() == '0') frac.pop_back();

  std::string out;
  if (negative) out.push_back('-');
  const int n = static_cast<int>(intDigits.size());
  int intIndex = 0;   // integer placeholders seen
  int fracIndex = 0;  // fraction placeholders seen
  bool intStarted = false;
  auto emitDigit = [&](int fromLeft) {
    out.push_back(intDigits[static_cast<std::size_t>(fromLeft)]);
    const int rightIndex = n - 1 - fromLeft;
    if (s.thousands && rightIndex > 0 && rightIndex % 3 == 0) out.push_back(kThousandSeparator);
    intStarted = true;
  };
  int nextLeft = 0;  // next integer digit (from the left) to show
  auto flushInteger = [&]() {
    while (nextLeft < n) emitDigit(nextLeft++);
  };
  for (std::size_t t = 0; t < s.tokens.size(); ++t) {
    const Token& tok = s.tokens[t];
    if (tok.kind == Token::Digit && !tok.fraction) {
      const int rightIndex = s.intPlaceholders - 1 - intIndex++;
      const int lastLeft = n - 1 - rightIndex;  // digit this placeholder stands for
      while (nextLeft <= lastLeft && nextLeft < n) emitDigit(nextLeft++);
      if (intIndex == s.intPlaceholders) flushInteger();
    } else if (tok.kind == Token::Point) {
      flushInteger();
      if (!frac.empty()) out.push_back(kDecimalSeparator);
    } else if (tok.kind == Token::Digit) {
      if (fracIndex < static_cast<int>(frac.size())) out.push_back(frac[static_cast<std::size_t>(fracIndex)]);
      ++fracIndex;
    } else if (!tok.fraction) {
      // Integer-part literal: shown when no integer placeholder precedes it, when
      // digits stand on its left, or when it follows the last integer placeholder.
      if (intIndex == 0 || intStarted || intIndex == s.intPlaceholders) out += tok.text;
    } else {
      // Fraction literal: shown when the next fraction digit is shown, or when no
      // fraction placeholder follows.
      if (fracIndex == s.fracPlaceholders || fracIndex < static_cast<int>(frac.size())) out += tok.text;
    }
  }
  return out;
}

int Decimals(const Section& s) { return s.fracPlaceholders; }

}  // namespace

std::string FormatFloat(std::string_view format, double value) {
  if (format.empty() || !std::isfinite(value)) return FloatToStr(value);
  const std::vector<std::string_view> texts = SplitSections(format);
  std::vector<Section> sections;
  for (std::string_view t : texts) sections.push_back(ParseSection(t));

  const Section& positive = sections[0];
  const bool negative = value < 0;
  const DecimalDigits roundedFirst = RoundedDecimal(value, Decimals(positive));
  if (roundedFirst.isZero() && sections.size() >= 3 && !texts[2].empty())
    return Render(sections[2], DecimalDigits{"0", 1}, false);
  if (negative && sections.size() >= 2 && !texts[1].empty()) {
    const Section& neg = sections[1];
    return Render(neg, RoundedDecimal(value, Decimals(neg)), false);
  }
  if (!HasDigits(positive)) return Render(positive, roundedFirst, false);
  return Render(positive, roundedFirst, negative && !roundedFirst.isZero());
}

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";  // -0 too
  const double magnitude = std::fabs(value);
  char buf[64];
  const bool fixed = magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e15);
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value,
                                 fixed ? std::chars_format::fixed : std::chars_format::scientific);
  std::string text(buf, end);
  for (char& c : text) {
    if (c == '.') c = kDecimalSeparator;
    if (c == 'e') c = 'E';
  }
  return text;
}

std::optional<double> TryStrToFloat(std::string_view text) {
  text = TrimBlanks(text);
  std::string normal;
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    if (text[pos] == '-') normal.push_back('-');
    ++pos;
  }
  // Integer part, with optional thousands separators.
  std::vector<int> groups;  // digit count of each '.'-separated group
  int digitsTotal = 0;
  groups.push_back(0);
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c >= '0' && c <= '9') {
      normal.push_back(c);
      ++groups.back();
      ++digitsTotal;
    } else if (c == kThousandSeparator) {
      groups.push_back(0);
    } else {
      break;
    }
  }
  if (groups.size() > 1) {
    if (groups[0] < 1 || groups[0] > 3) return std::nullopt;
    for (std::size_t g = 1; g < groups.size(); ++g)
      if (groups[g] != 3) return std::nullopt;
  }
  if (pos < text.size() && text[pos] == kDecimalSeparator) {
    normal.push_back('.');
    for (++pos; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
      normal.push_back(text[pos]);
      ++digitsTotal;
    }
  }
  if (digitsTotal == 0) return std::nullopt;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    normal.push_back('e');
    ++pos;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) normal.push_back(text[pos++]);
    const std::size_t start = pos;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) normal.push_back(text[pos]);
    if (pos == start) return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

double StrToFloat(std::string_view text) {
  if (auto value = TryStrToFloat(text)) return *value;
  throw EConvertError("'" + std::string(text) + "' não é um valor numérico válido");
}

}  // namespace platform
