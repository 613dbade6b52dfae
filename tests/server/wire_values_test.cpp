// Values as the screens send them: validity dates, registration numbers, product
// codes and ranges, flags.
#include <gtest/gtest.h>

#include "server/modules/refusal.h"
#include "server/modules/wire_values.h"

namespace servertest {
namespace {

using namespace server::modules;

TEST(ValidityDate, ShortDateTextBecomesISOAndEmptyIsNoDate) {
  EXPECT_EQ(ReadValidityDate("31/12/2026", "Data final"), "2026-12-31");
  EXPECT_EQ(ReadValidityDate("1/2/2026", "Data final"), "2026-02-01");
  EXPECT_EQ(ReadValidityDate("29/02/2028", "Data final"), "2028-02-29");
  EXPECT_EQ(ReadValidityDate("", "Data final"), std::nullopt);
  EXPECT_EQ(ReadValidityDate("   ", "Data final"), std::nullopt);
  EXPECT_EQ(ReadValidityDate("01/01/2026 00:00:00", "Data final"), "2026-01-01");
}

TEST(ValidityDate, ImpossibleOrForeignTextsAreRefusedNamingTheField) {
  for (const char* text : {"29/02/2026", "32/01/2026", "01/13/2026", "2026-01-01", "01/01/26", "amanhã", "  /  /    "}) {
    try {
      ReadValidityDate(text, "Data inicial");
      ADD_FAILURE() << text << " accepted";
    } catch (const Refusal& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Data inicial inválida: '") + text + "'.");
    }
  }
  EXPECT_THROW(ReadValidityDate("01/01/2026 23:59", "Data inicial"), Refusal);
}

TEST(ValidityPeriod, EndNeedsAStartAndComesAfterIt) {
  EXPECT_NO_THROW(CheckValidityPeriod(std::nullopt, std::nullopt));
  EXPECT_NO_THROW(CheckValidityPeriod("2026-01-01", std::nullopt));
  EXPECT_NO_THROW(CheckValidityPeriod("2026-01-01", "2026-01-01"));
  EXPECT_THROW(CheckValidityPeriod(std::nullopt, "2026-01-01"), Refusal);
  EXPECT_THROW(CheckValidityPeriod("2026-01-02", "2026-01-01"), Refusal);
  EXPECT_THROW(CheckValidityPeriod("2026-10-01", "2026-09-30"), Refusal);
}

TEST(WireValues, RegistrationNumbersKeepOnlyDigits) {
  EXPECT_EQ(DigitsOnly("11.222.333/0001-81"), "11222333000181");
  EXPECT_EQ(DigitsOnly("529.982.247-25"), "52998224725");
  EXPECT_EQ(DigitsOnly("__.___.___/____-__"), "");
}

TEST(WireValues, ProductCodesLoseMaskDotsAndBlanks) {
  EXPECT_EQ(ProductCode("1.01.001"), "101001");
  EXPECT_EQ(ProductCode(" 101001 "), "101001");
  EXPECT_EQ(ProductCode(""), "");
}

TEST(WireValues, ProductRangeMustNotBeReversed) {
  EXPECT_EQ(ReadProductRange("101001", "201001").last, "201001");
  EXPECT_NO_THROW(ReadProductRange("101001", "101001"));
  EXPECT_NO_THROW(ReadProductRange("", "101"));
  EXPECT_NO_THROW(ReadProductRange("2", ""));
  EXPECT_THROW(ReadProductRange("002", "001"), Refusal);
  EXPECT_THROW(ReadProductRange("101001", "101"), Refusal) << "a longer code sorts after its prefix";
}

TEST(WireValues, LevelsAndFlags) {
  EXPECT_EQ(ReadLevels(3), 3);
  EXPECT_THROW(ReadLevels(0), Refusal);
  EXPECT_THROW(ReadLevels(-1), Refusal);
  EXPECT_THROW(ReadLevels(10), Refusal);
  EXPECT_TRUE(ReadYesNo("S", "x"));
  EXPECT_FALSE(ReadYesNo("N", "x"));
  EXPECT_THROW(ReadYesNo("s", "x"), Refusal);
  EXPECT_THROW(ReadYesNo("", "x"), Refusal);
}

}  // namespace
}  // namespace servertest
