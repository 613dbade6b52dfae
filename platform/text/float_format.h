#pragma once
// Numbers as the application shows and reads them: decimal separator ",",
// thousands separator ".".
//
// FormatFloat format strings:
//   - up to three sections separated by ';': positive;negative;zero. The negative
//     section is laid out with the absolute value and no sign of its own; the zero
//     section is used when the value rounds to zero in the first section's precision.
//     Without those sections a negative value gets a leading '-' (never "-0,000").
//   - '0' a digit that is always shown, '#' a digit shown only when significant.
//   - the first '.' marks the decimal point; the number of placeholders after it is
//     the number of decimals, rounded by RoundHalfAway's rule (decimal_round.h: half
//     away from zero on the value's 15 significant digits, so 1234567.8915 gives
//     ...,892 and 2.675 gives 2,68); '#' decimals drop trailing zeros.
//   - ',' anywhere before the decimal point: group the integer part by thousands.
//   - text between single or double quotes, and any other character, is literal.
//     Literals before the first digit placeholder always appear; literals between
//     integer placeholders appear only when digits stand on their left.
//   - more integer digits than placeholders are all shown.
//   - an empty format gives FloatToStr.
//   FormatFloat("###,#0.000", 1234.5) == "1.234,500", FormatFloat("#,###0.000", 0.5)
//   == "0,500".
//
// StrToFloat accepts optional blanks (ascii_text.h) around an optional sign, digits
// with at most one ',' as decimal point, '.' thousands separators only when well
// grouped (1.234.567), and an optional exponent (1,5E3). Everything else raises EConvertError
// "'<text>' não é um valor numérico válido"; "1.5" is refused rather than guessed.
#include <optional>
#include <string>
#include <string_view>

#include "platform/text/decimal_round.h"

namespace platform {

inline constexpr char kDecimalSeparator = ',';
inline constexpr char kThousandSeparator = '.';

std::string FormatFloat(std::string_view format, double value);

// Shortest text that reads back as the same double, with the decimal comma
// ("0,1", "1234,5", "-3"); exponent form "1,5E20" outside 1e-5 <= |v| < 1e15.
std::string FloatToStr(double value);

std::optional<double> TryStrToFloat(std::string_view text);
double StrToFloat(std::string_view text);

}  // namespace platform
