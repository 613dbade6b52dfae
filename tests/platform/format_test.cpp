// Number and date texts in the application's locale (decimal ",", thousands ".").
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/core/exceptions.h"
#include "platform/text/date_time.h"
#include "platform/text/float_format.h"

namespace {

using namespace platform;

struct FormatCase {
  const char* format;
  double value;
  const char* expected;
};

TEST(FormatFloat, LaysNumbersIntoTheApplicationFormats) {
  const FormatCase cases[] = {
      {"###,#0.000", 1234.5, "1.234,500"},
      {"#,###0.000", 0.5, "0,500"},
      {"###,#0.000", 1234567.8915, "1.234.567,892"},
      {"###,#0.000", -3, "-3,000"},
      {"###,#0.000", 0, "0,000"},
      {"###,#0.000", 999.9995, "1.000,000"},  // carry through every digit and a new group
      {"###,#0.000", 0.0005, "0,001"},         // half away from zero
      {"###,#0.000", -0.0005, "-0,001"},
      {"###,#0.000", 2.675, "2,675"},
      {"0.00", 2.675, "2,68"},  // decided on the shortest decimal form, not the binary
      {"0.00", 1.005, "1,01"},
      {"#,##0", 1234567, "1.234.567"},
      {"#,##0", 999, "999"},
      {"#,##0", 1000, "1.000"},
      {"0", 0.4, "0"},
      {"#", 0, ""},
      {"#.##", 0.5, ",5"},
      {"0.##", 1, "1"},
      {"0.0#", 1.5, "1,5"},
      {"0.0#", 1.25, "1,25"},
      {"000", 7, "007"},
      {"00.000", 1.5, "01,500"},
      {"0", 123456789012.0, "123456789012"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.format, c.value), c.expected) << c.format << " " << c.value;
}

TEST(FormatFloat, NeverShowsANegativeZero) {
  EXPECT_EQ(FormatFloat("0.000", -0.0001), "0,000");
  EXPECT_EQ(FormatFloat("0.000", -0.0), "0,000");
  EXPECT_EQ(FormatFloat("#,##0", -0.4), "0");
}

TEST(FormatFloat, SectionsChooseTheLayoutBySign) {
  EXPECT_EQ(FormatFloat("0.00;(0.00);zero", 5), "5,00");
  EXPECT_EQ(FormatFloat("0.00;(0.00);zero", -5), "(5,00)");
  EXPECT_EQ(FormatFloat("0.00;(0.00);zero", 0), "zero");
  EXPECT_EQ(FormatFloat("0.00;(0.00);zero", 0.001), "zero");  // rounds to zero in the first section
  EXPECT_EQ(FormatFloat("0.00;;zero", -5), "-5,00");          // empty negative section: sign added
  EXPECT_EQ(FormatFloat("0.00;(0.00)", 0), "0,00");
}

TEST(FormatFloat, KeepsLiteralsAndQuotedText) {
  EXPECT_EQ(FormatFloat("R$ #,##0.00", 1500), "R$ 1.500,00");
  EXPECT_EQ(FormatFloat("R$ #,##0.00", -1500), "-R$ 1.500,00");
  EXPECT_EQ(FormatFloat("0.000%", 30), "30,000%");
  EXPECT_EQ(FormatFloat("'Total: '0.0", 2), "Total: 2,0");
  EXPECT_EQ(FormatFloat("\"0;#\" 0", 2), "0;# 2");  // quotes protect ';' and placeholders
}

TEST(FormatFloat, EmptyFormatAndNonFiniteValuesFallBackToFloatToStr) {
  EXPECT_EQ(FormatFloat("", 1.5), "1,5");
  EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::infinity()), "INF");
}

TEST(FloatToStr, GivesTheShortestTextThatReadsBack) {
  EXPECT_EQ(FloatToStr(0.1), "0,1");
  EXPECT_EQ(FloatToStr(1234.5), "1234,5");
  EXPECT_EQ(FloatToStr(-3), "-3");
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  EXPECT_EQ(FloatToStr(1e20), "1E+20");
  for (double v : {0.1 + 0.2, 1.0 / 3, 123456.789, 2.675, 1e-7, 9007199254740993.0})
    EXPECT_EQ(StrToFloat(FloatToStr(v)), v) << FloatToStr(v);
}

TEST(StrToFloat, ReadsTheApplicationsNumberTexts) {
  EXPECT_EQ(StrToFloat("12,5"), 12.5);
  EXPECT_EQ(StrToFloat("1.234,500"), 1234.5);
  EXPECT_EQ(StrToFloat("1.234.567,25"), 1234567.25);
  EXPECT_EQ(StrToFloat("1.234"), 1234);
  EXPECT_EQ(StrToFloat("  -3 "), -3);
  EXPECT_EQ(StrToFloat("+7"), 7);
  EXPECT_EQ(StrToFloat(",5"), 0.5);
  EXPECT_EQ(StrToFloat("12,"), 12);
  EXPECT_EQ(StrToFloat("1,5E3"), 1500);
  EXPECT_EQ(StrToFloat("0"), 0);
}

TEST(StrToFloat, RefusesAnythingItWouldHaveToGuess) {
  for (const char* text : {"", "   ", "abc", "1.5", "12.34,5", "1.23", "1..234", ".5", "1,2,3", "1.234.56",
                           "--1", "1-", "1,5x", "x1", "1 000", "1e", "1e+", ",", "-", "1E999", "nan", "inf"}) {
    EXPECT_FALSE(TryStrToFloat(text).has_value()) << "'" << text << "'";
  }
}

TEST(StrToFloat, ErrorNamesTheText) {
  try {
    StrToFloat("12,3x");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12,3x' não é um valor numérico válido");
  }
}

TEST(RoundHalfAway, RoundsPricesLikeTheirTexts) {
  EXPECT_EQ(RoundHalfAway(1.0005, 3), 1.001);
  EXPECT_EQ(RoundHalfAway(-1.0005, 3), -1.001);
  EXPECT_EQ(RoundHalfAway(2.675, 2), 2.68);
  EXPECT_EQ(RoundHalfAway(1234567.8915, 3), 1234567.892);
  EXPECT_EQ(RoundHalfAway(0.0004, 3), 0);
  EXPECT_EQ(RoundHalfAway(12.5, 0), 13);
}

TEST(FormatDateTime, FormatsDayMonthYearAndTime) {
  const TDateTime dt{EncodeDate(2026, 3, 7).value + EncodeTime(9, 5, 4).value};
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy", dt), "07/03/2026");
  EXPECT_EQ(FormatDateTime("d/m/yy", dt), "7/3/26");
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn:ss", dt), "07/03/2026 09:05:04");
  EXPECT_EQ(FormatDateTime("hh:mm", dt), "09:05");  // minutes right after the hour
  EXPECT_EQ(FormatDateTime("'dia' dd", dt), "dia 07");
  EXPECT_EQ(FormatDateTime("", dt), "07/03/2026 09:05:04");
}

TEST(DateTimeText, ShowsTheTimeOnlyWhenNotMidnight) {
  EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 31)), "31/12/2026");
  EXPECT_EQ(DateTimeToStr(TDateTime{EncodeDate(2026, 12, 31).value + EncodeTime(23, 59, 59).value}),
            "31/12/2026 23:59:59");
  EXPECT_EQ(StrToDateTime("31/12/2026").value, EncodeDate(2026, 12, 31).value);
  EXPECT_FALSE(TryStrToDateTime("31/02/2026"));
  EXPECT_FALSE(TryStrToDateTime("  /  /    "));
  EXPECT_FALSE(TryStrToDateTime("01/01/26"));
}

}  // namespace
