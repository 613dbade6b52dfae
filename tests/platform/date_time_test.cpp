// Dates as days since 30/12/1899: the calendar arithmetic, the dd/mm/yyyy texts the
// screens show and read, and the ISO texts the database stores.
#include "platform/text/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/core/exceptions.h"

namespace platform {
namespace {

struct Ymd {
  int year, month, day;
  friend bool operator==(const Ymd&, const Ymd&) = default;
};

Ymd Decoded(TDateTime dt) {
  Ymd ymd{};
  DecodeDate(dt, ymd.year, ymd.month, ymd.day);
  return ymd;
}

TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
  return TDateTime{EncodeDate(y, m, d).value + EncodeTime(h, n, s, ms).value};
}

TEST(DateCalendar, SerialsCountDaysFromTheEpoch) {
  EXPECT_EQ(EncodeDate(1899, 12, 30).value, 0.0);
  EXPECT_EQ(EncodeDate(1899, 12, 31).value, 1.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1).value, 2.0);
  EXPECT_EQ(EncodeDate(1900, 3, 1).value, 61.0);  // 1900 is not a leap year
  EXPECT_EQ(EncodeDate(2000, 1, 1).value, 36526.0);
  EXPECT_EQ(EncodeDate(1, 1, 1).value, -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31).value, 2958465.0);
}

TEST(DateCalendar, EveryDayRoundTripsAndFollowsTheDayBefore) {
  double previous = EncodeDate(1, 1, 1).value - 1;
  for (int year : {1, 2, 4, 100, 400, 1582, 1899, 1900, 1999, 2000, 2024, 2100, 9998, 9999}) {
    previous = EncodeDate(year, 1, 1).value - 1;
    for (int month = 1; month <= 12; ++month)
      for (int day = 1; day <= 31; ++day) {
        if (!IsValidDate(year, month, day)) continue;
        TDateTime dt = EncodeDate(year, month, day);
        ASSERT_EQ(dt.value, previous + 1) << day << "/" << month << "/" << year;
        ASSERT_EQ(Decoded(dt), (Ymd{year, month, day}));
        previous = dt.value;
      }
  }
}

TEST(DateCalendar, LeapDaysFollowTheGregorianRules) {
  EXPECT_TRUE(IsValidDate(2024, 2, 29));
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_FALSE(IsValidDate(2023, 2, 29));
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
  EXPECT_FALSE(IsValidDate(2100, 2, 29));
}

TEST(DateCalendar, DatesThatDoNotExistAreRefused) {
  const Ymd invalid[] = {{2023, 2, 29}, {2024, 4, 31}, {2024, 1, 0}, {2024, 0, 1},
                         {2024, 13, 1}, {0, 1, 1},     {10000, 1, 1}, {2024, 1, 32},
                         {2024, 1, 257}, {2024, 257, 1}, {2024, -255, 1}, {2024, 1, -255}};
  for (const Ymd& d : invalid) {
    EXPECT_FALSE(IsValidDate(d.year, d.month, d.day)) << d.day << "/" << d.month << "/" << d.year;
    EXPECT_THROW(EncodeDate(d.year, d.month, d.day), EConvertError);
  }
  try {
    EncodeDate(2023, 2, 29);
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Data inválida: 29/02/2023");
  }
}

TEST(DateCalendar, TimesOfDayRoundTripToTheMillisecond) {
  for (TDateTime dt : {At(2026, 3, 5, 14, 30, 15, 250), At(2026, 3, 5, 23, 59, 59, 999),
                       At(1, 1, 1, 0, 0, 0, 1), At(9999, 12, 31, 23, 59, 59, 999)}) {
    int h, n, s, ms;
    DecodeTime(dt, h, n, s, ms);
    TDateTime back = At(Decoded(dt).year, Decoded(dt).month, Decoded(dt).day, h, n, s, ms);
    EXPECT_NEAR(back.value, dt.value, 1e-9);
  }
  EXPECT_THROW(EncodeTime(24, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  EXPECT_THROW(EncodeTime(-1, 0, 0), EConvertError);
}

TEST(DateCalendar, BeforeTheEpochTheScaleStaysLinear) {
  TDateTime dt = At(1899, 12, 28, 18, 0, 0);
  EXPECT_EQ(dt.value, -1.25);
  EXPECT_EQ(Decoded(dt), (Ymd{1899, 12, 28}));
  EXPECT_EQ(DateTimeToStr(dt), "28/12/1899 18:00:00");
  EXPECT_EQ(DateTimeToStr(At(1, 1, 1, 12, 0, 0)), "01/01/0001 12:00:00");
}

TEST(DateCalendar, AlmostMidnightRoundsIntoTheNextDay) {
  TDateTime dt{EncodeDate(2026, 3, 5).value + (86400 - 0.0004) / 86400.0};
  EXPECT_EQ(Decoded(dt), (Ymd{2026, 3, 6}));
  EXPECT_EQ(DateTimeToStr(dt), "06/03/2026");
}

TEST(DateCalendar, ValuesOutsideTheCalendarRaiseInsteadOfMisbehaving) {
  const double outside[] = {std::nan(""), std::numeric_limits<double>::infinity(), 1e300,
                            -1e18, EncodeDate(9999, 12, 31).value + 1,
                            EncodeDate(1, 1, 1).value - 1e-9};
  for (double value : outside) {
    EXPECT_FALSE(IsValidDateTime(TDateTime{value})) << value;
    EXPECT_THROW(DateTimeToStr(TDateTime{value}), EConvertError) << value;
    EXPECT_THROW(DateTimeToISO(TDateTime{value}), EConvertError) << value;
    int y, m, d;
    EXPECT_THROW(DecodeDate(TDateTime{value}, y, m, d), EConvertError) << value;
  }
  EXPECT_TRUE(IsValidDateTime(EncodeDate(1, 1, 1)));
  EXPECT_TRUE(IsValidDateTime(At(9999, 12, 31, 23, 59, 59, 999)));
}

// ---- texts ---------------------------------------------------------------------------

TEST(DateText, MidnightShowsOnlyTheDate) {
  EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 31)), "31/12/2026");
  EXPECT_EQ(DateTimeToStr(At(2026, 1, 5, 8, 5, 3)), "05/01/2026 08:05:03");
  EXPECT_EQ(DateToStr(At(2026, 1, 5, 8, 5, 3)), "05/01/2026");
  EXPECT_EQ(DateTimeToStr(EncodeDate(1, 1, 1)), "01/01/0001");
  EXPECT_EQ(DateTimeToStr(EncodeDate(9999, 12, 31)), "31/12/9999");
}

TEST(DateText, ShortDatesAreReadWithOrWithoutTime) {
  struct Case {
    const char* text;
    TDateTime expected;
  };
  const Case cases[] = {{"31/12/2026", EncodeDate(2026, 12, 31)},
                        {"1/2/2026", EncodeDate(2026, 2, 1)},
                        {"  05/03/2026  ", EncodeDate(2026, 3, 5)},
                        {"05/03/2026 14:30", At(2026, 3, 5, 14, 30, 0)},
                        {"05/03/2026 14:30:15", At(2026, 3, 5, 14, 30, 15)},
                        {"05/03/2026  9:05", At(2026, 3, 5, 9, 5, 0)},
                        {"29/02/2024", EncodeDate(2024, 2, 29)},
                        {"01/01/0001", EncodeDate(1, 1, 1)},
                        {"31/12/9999 23:59:59", At(9999, 12, 31, 23, 59, 59)}};
  for (const Case& c : cases) {
    auto parsed = TryStrToDateTime(c.text);
    ASSERT_TRUE(parsed.has_value()) << c.text;
    EXPECT_NEAR(parsed->value, c.expected.value, 1e-9) << c.text;
  }
}

TEST(DateText, TextsThatAreNotDatesAreRefused) {
  for (const char* text :
       {"", "   ", "31/02/2026", "29/02/2023", "00/01/2026", "01/13/2026", "05/03/26",
        "05-03-2026", "2026-03-05", "05/03/2026x", "05/03/20261", "05/03/2026 25:00",
        "05/03/2026 14:60", "05/03/2026 14", "05/03/2026 14:30:60", "05/03/2026T14:30",
        "123/03/2026", "/03/2026", "05/03/0000", "a5/03/2026"}) {
    EXPECT_FALSE(TryStrToDateTime(text).has_value()) << "'" << text << "'";
  }
  try {
    StrToDateTime("31/02/2026");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'31/02/2026' não é uma data válida");
  }
}

TEST(DateText, TextRoundTripsThroughTheShortFormat) {
  for (TDateTime dt : {EncodeDate(2026, 12, 31), At(2026, 1, 5, 8, 5, 3), EncodeDate(1, 1, 1),
                       At(1899, 12, 29, 6, 0, 0)}) {
    EXPECT_EQ(StrToDateTime(DateTimeToStr(dt)).value, dt.value) << DateTimeToStr(dt);
  }
}

TEST(DateIso, DatabaseTextsRoundTrip) {
  EXPECT_EQ(DateTimeToISO(EncodeDate(2026, 12, 31)), "2026-12-31");
  EXPECT_EQ(DateTimeToISO(At(2026, 12, 31, 10, 20, 30)), "2026-12-31T10:20:30");
  EXPECT_EQ(DateTimeToISO(EncodeDate(1, 1, 1)), "0001-01-01");
  for (const char* text : {"2026-12-31", "2026-12-31T10:20:30", "0001-01-01", "9999-12-31"})
    EXPECT_EQ(DateTimeToISO(TryISOToDateTime(text).value()), text);
  EXPECT_EQ(TryISOToDateTime("2026-12-31 10:20:30")->value, At(2026, 12, 31, 10, 20, 30).value);
  for (const char* text : {"2026-13-01", "26-01-01", "2026-02-30", "2026/01/01", "31/12/2026",
                           "2026-01-01T25:00:00", "2026-01-01X10:00", "", "2026-01-01T"})
    EXPECT_FALSE(TryISOToDateTime(text).has_value()) << text;
}

}  // namespace
}  // namespace platform
