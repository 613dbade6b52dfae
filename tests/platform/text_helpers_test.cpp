// The text helpers every layer shares: the one rounding rule of shown and stored
// values, on its boundaries, and the ASCII blanks and letter case.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "platform/text/ascii_text.h"
#include "platform/text/decimal_round.h"
#include "platform/text/float_format.h"

namespace {

using namespace platform;

// The double just below the one nearest to 1.0005: its shortest text is below the
// half, its 15 significant digits are exactly on it.
const double kJustBelowHalf = std::nextafter(1.0005, 0.0);

TEST(DecimalRound, HalvesGoAwayFromZeroOnBothSides) {
  EXPECT_EQ(RoundHalfAway(1.0005, 3), 1.001);
  EXPECT_EQ(RoundHalfAway(-1.0005, 3), -1.001);
  EXPECT_EQ(RoundHalfAway(0.0005, 3), 0.001);
  EXPECT_EQ(RoundHalfAway(-0.0005, 3), -0.001);
  EXPECT_EQ(RoundHalfAway(2.675, 2), 2.68);
  EXPECT_EQ(RoundHalfAway(-2.675, 2), -2.68);
  EXPECT_EQ(RoundHalfAway(1.00049, 3), 1.0);
  EXPECT_EQ(RoundHalfAway(-1.00049, 3), -1.0);
  EXPECT_EQ(RoundHalfAway(999.9995, 3), 1000.0);  // the carry runs through every digit
  EXPECT_EQ(RoundHalfAway(-9.5, 0), -10.0);
}

TEST(DecimalRound, DecidesOnTheFifteenDigitsNotOnTheBinaryOrTheShortestText) {
  ASSERT_EQ(FloatToStr(kJustBelowHalf), "1,0004999999999997");
  EXPECT_EQ(RoundHalfAway(kJustBelowHalf, 3), 1.001);
  EXPECT_EQ(RoundHalfAway(-kJustBelowHalf, 3), -1.001);
  EXPECT_EQ(RoundHalfAway(0.1 + 0.2, 3), 0.3);
  EXPECT_EQ(RoundHalfAway(0.1 + 0.2, 17), 0.3);  // 15 digits even where nothing is cut
  EXPECT_EQ(RoundHalfAway(1.1 * 1.1 * 1000, 3), 1210.0);
}

TEST(DecimalRound, ShownTextsReadBackAsTheRoundedValue) {
  // The display and the stored price follow one rule: the text FormatFloat shows is
  // the value RoundHalfAway gives, for values on, beside and between the halves.
  EXPECT_EQ(FormatFloat("0.000", kJustBelowHalf), "1,001");
  for (int thousandths = -20000; thousandths <= 20000; thousandths += 7) {
    const double half = (thousandths + 0.5) / 1000.0;
    for (double value : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e9), thousandths / 1000.0}) {
      const double rounded = RoundHalfAway(value, 3);
      EXPECT_EQ(StrToFloat(FormatFloat("0.000", value)), rounded) << std::hexfloat << value;
      EXPECT_EQ(RoundHalfAway(rounded, 3), rounded) << std::hexfloat << value;  // rounding twice changes nothing
    }
  }
}

TEST(DecimalRound, VeryLargeAndVerySmallMagnitudes) {
  EXPECT_EQ(RoundHalfAway(1e300, 3), 1e300);
  EXPECT_EQ(RoundHalfAway(-1e300, 3), -1e300);
  EXPECT_EQ(RoundHalfAway(123456789012345678.0, 3), 123456789012346000.0);
  EXPECT_EQ(RoundHalfAway(12345678.9995, 3), 12345679.0);
  EXPECT_EQ(RoundHalfAway(DBL_MAX, 3), std::numeric_limits<double>::infinity());
  EXPECT_EQ(RoundHalfAway(-DBL_MAX, 3), -std::numeric_limits<double>::infinity());
  for (double tiny : {0.0004999, 1e-300, DBL_MIN, std::numeric_limits<double>::denorm_min()}) {
    EXPECT_EQ(RoundHalfAway(tiny, 3), 0.0) << tiny;
    EXPECT_FALSE(std::signbit(RoundHalfAway(-tiny, 3))) << "-0 for " << -tiny;
  }
  EXPECT_FALSE(std::signbit(RoundHalfAway(-0.0, 3)));
  EXPECT_EQ(RoundHalfAway(std::numeric_limits<double>::denorm_min(), 400), std::numeric_limits<double>::denorm_min());
}

TEST(DecimalRound, NaNAndInfinitiesPassThroughUnchanged) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(std::isnan(RoundHalfAway(std::nan(""), 3)));
  EXPECT_EQ(RoundHalfAway(inf, 3), inf);
  EXPECT_EQ(RoundHalfAway(-inf, 3), -inf);
}

TEST(AsciiText, BlanksAreTheSixAsciiSpacesAndCaseTouchesOnlyAsciiLetters) {
  EXPECT_EQ(TrimBlanks(" \t\r\n\v\f01/02/2026 10:00\f\v\n\r\t "), "01/02/2026 10:00");
  EXPECT_EQ(TrimBlanks("\xC2\xA0" "1,5"), "\xC2\xA0" "1,5");  // a no-break space is no ASCII blank
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_EQ(UpperAscii("cdFilial_1 ação"), "CDFILIAL_1 AçãO");
}

}  // namespace
