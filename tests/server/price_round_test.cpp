// Prices round to three decimals, half away from zero, on the decimal value the
// double stands for, and the databases round exactly like the server.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/text/decimal_round.h"
#include "server/store/price_round.h"
#include "server/store/sql_builder.h"
#include "tests/server/backend_fixture.h"

namespace servertest {
namespace {

using server::store::RoundPrice;

double Decimal(const char* text) { return std::strtod(text, nullptr); }

TEST(PriceRound, HalfWayCasesGoAwayFromZero) {
  // 1.0005 and 2.0005 are stored just below the half; users still expect the half up.
  EXPECT_EQ(RoundPrice(1.0005), Decimal("1.001"));
  EXPECT_EQ(RoundPrice(2.0005), Decimal("2.001"));
  EXPECT_EQ(RoundPrice(1.2345), Decimal("1.235"));
  EXPECT_EQ(RoundPrice(-1.0005), Decimal("-1.001"));
  EXPECT_EQ(RoundPrice(0.0005), Decimal("0.001"));
  EXPECT_EQ(RoundPrice(999.9995), Decimal("1000"));
  EXPECT_EQ(RoundPrice(12345678.9995), Decimal("12345679"));
}

TEST(PriceRound, BelowTheHalfGoesDown) {
  EXPECT_EQ(RoundPrice(1.00049), Decimal("1.0"));
  EXPECT_EQ(RoundPrice(0.0004999), 0.0);
  EXPECT_EQ(RoundPrice(0.00001), 0.0);
  EXPECT_EQ(RoundPrice(-0.0004), 0.0);
  EXPECT_EQ(RoundPrice(2.675), Decimal("2.675"));
}

TEST(PriceRound, ArithmeticNoiseDoesNotLeak) {
  EXPECT_EQ(RoundPrice(0.1 + 0.2), Decimal("0.3"));
  EXPECT_EQ(RoundPrice(10 * 1.3), Decimal("13"));
  EXPECT_EQ(RoundPrice(1.1 * 1.1 * 1000), Decimal("1210"));
}

TEST(PriceRound, ResultsAreTheDoublesNearestTheirDecimals) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 2000; ++i) {
    double thousandths = static_cast<double>(random() % 100000000);
    double value = RoundPrice(thousandths / 1000.0);
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    EXPECT_EQ(value, Decimal(text)) << text;
  }
}

TEST(PriceRound, EveryValueRoundsByTheDecimalRuleAlsoNextToTheHalves) {
  std::mt19937_64 random(13);
  std::vector<double> values;
  for (int i = 0; i < 20000; ++i) {
    // Each decade up to the ceiling and past it, a thousandth and a half, and the doubles
    // around it, where reading the decimal and scaling the double could part.
    const double scale = std::pow(10.0, static_cast<double>(random() % 13) - 3);
    const double half = (std::floor(std::ldexp(static_cast<double>(random()), -64) * scale * 1000) + 0.5) / 1000;
    double around = half;
    for (int step = 0; step < 40; ++step) around = std::nextafter(around, 0.0);
    for (int step = 0; step < 80; ++step, around = std::nextafter(around, INFINITY)) values.push_back(around);
    values.push_back(half * (1 + 1e-6));
    values.push_back(std::ldexp(static_cast<double>(random()), -64) * scale);
  }
  for (double value : values)
    for (double signed_ : {value, -value}) {
      const double rounded = RoundPrice(signed_);
      ASSERT_EQ(rounded, platform::RoundHalfAway(signed_, 3)) << std::hexfloat << signed_;
      ASSERT_FALSE(rounded == 0 && std::signbit(rounded)) << "never -0: " << signed_;
    }
}

TEST(PriceRound, NonFiniteValuesAreRefused) {
  EXPECT_THROW(RoundPrice(std::numeric_limits<double>::infinity()), platform::EConvertError);
  EXPECT_THROW(RoundPrice(std::nan("")), platform::EConvertError);
}

class DatabaseRoundTest : public BackendTest {
 protected:
  bool wantsSchema() const override { return false; }

  double roundInDatabase(double value) {
    server::store::SqlBuilder sql(db().backend());
    std::string statement = "SELECT " + sql.roundPrice(sql.doubleParam(value));
    double result = 0;
    db().query(statement, sql.params(), [&](const server::store::Row& row) { result = row.real(0); });
    return result;
  }
};

TEST_P(DatabaseRoundTest, DatabaseRoundsExactlyLikeTheServer) {
  std::vector<double> values{1.0005, 2.0005, 1.2345, -1.0005, 0.0005, 999.9995, 0.1 + 0.2, 2.675, 1.00049, 0.0};
  std::mt19937_64 random(11);
  for (int i = 0; i < 300; ++i) {
    double half = (static_cast<double>(random() % 10000000) + 0.5) / 1000.0;  // exact ties in decimal
    values.push_back(half);
    values.push_back(std::ldexp(static_cast<double>(random() % (1u << 30)), -static_cast<int>(random() % 30)));
  }
  for (double value : values) EXPECT_EQ(roundInDatabase(value), RoundPrice(value)) << std::hexfloat << value;
}

VQR_BACKEND_SUITE(DatabaseRoundTest);

}  // namespace
}  // namespace servertest
