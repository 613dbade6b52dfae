// Demo data: valid registration numbers, a consistent product tree with costs,
// formulas and prices the server itself would compute, the same data for the same
// seed, and sizes that scale.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "server/demo/demo_data.h"
#include "server/demo/tax_id.h"
#include "server/modules/formula.h"
#include "server/store/price_round.h"
#include "server/store/schema.h"
#include "server/store/transaction.h"
#include "tests/server/backend_fixture.h"

namespace servertest {
namespace {

using namespace server::demo;

TEST(TaxId, KnownNumbersAreValid) {
  EXPECT_TRUE(IsValidCnpj("11222333000181"));
  EXPECT_TRUE(IsValidCpf("52998224725"));
  EXPECT_EQ(CnpjCheckDigits("112223330001"), "81");
  EXPECT_EQ(CpfCheckDigits("529982247"), "25");
}

TEST(TaxId, WrongDigitsLengthsAndRepeatedDigitsAreInvalid) {
  EXPECT_FALSE(IsValidCnpj("11222333000182"));
  EXPECT_FALSE(IsValidCnpj("1122233300018"));
  EXPECT_FALSE(IsValidCnpj("11.222.333/0001-81"));
  EXPECT_FALSE(IsValidCnpj("00000000000000"));
  EXPECT_FALSE(IsValidCpf("52998224726"));
  EXPECT_FALSE(IsValidCpf("11111111111"));  // passes the arithmetic, still invalid
  EXPECT_FALSE(IsValidCpf("5299822472a"));
}

TEST(TaxId, RemainderBelowTwoGivesZero) {
  // 1*10+2*9+...+9*2 = 210, remainder 1: the first check digit is 0.
  EXPECT_EQ(CpfCheckDigits("123456789"), "09");
  EXPECT_EQ(CpfCheckDigits("000000001"), "91");
  EXPECT_TRUE(IsValidCnpj("11444777000161"));
}

class DemoDataTest : public BackendTest {
 protected:
  DemoSummary fill(const DemoOptions& options) {
    server::store::Transaction tx(db());
    DemoSummary summary = FillDemoData(db(), options);
    tx.commit();
    return summary;
  }
};

TEST_P(DemoDataTest, EveryCustomerHasAValidUniqueRegistrationNumber) {
  DemoSummary summary = fill({});
  EXPECT_EQ(summary.customers, 60u);
  int legal = 0, natural = 0;
  for (const auto& row : rows("SELECT NRINSJURCLIE, IDTPIJURCLIE, NMRAZSOCCLIE FROM CLIENTE")) {
    if (row[1] == "J") {
      ++legal;
      EXPECT_TRUE(IsValidCnpj(row[0])) << row[0];
    } else {
      ++natural;
      EXPECT_EQ(row[1], "F");
      EXPECT_TRUE(IsValidCpf(row[0])) << row[0];
    }
    EXPECT_FALSE(row[2].empty());
  }
  EXPECT_GT(legal, 0);
  EXPECT_GT(natural, 0);
}

TEST_P(DemoDataTest, ProductTreeHasThreeLevelsAndEveryLeafHasItsCosts) {
  DemoSummary summary = fill({});
  EXPECT_EQ(summary.products, 300u);
  std::set<std::string> codes;
  for (const auto& row : rows("SELECT CDARVPROD, NRNIVEL FROM PRODUTO")) codes.insert(row[0]);
  for (const auto& row : rows("SELECT CDARVPROD, NRNIVEL FROM PRODUTO")) {
    std::size_t expectedLength = row[1] == "1" ? 1 : row[1] == "2" ? 3 : 6;
    EXPECT_EQ(row[0].size(), expectedLength) << row[0];
    if (row[1] != "1") {
      EXPECT_TRUE(codes.count(row[0].substr(0, expectedLength == 3 ? 1 : 3))) << "parent of " << row[0];
    }
  }
  EXPECT_EQ(count("PRODUTO", "NRNIVEL = 3"), 300);
  EXPECT_EQ(count("PRODUTO P", "NRNIVEL = 3 AND NOT EXISTS (SELECT 1 FROM CUSTOPRODUTO C WHERE C.CDPRODUTO = "
                               "P.CDPRODUTO AND C.CDFILIAL = '001' AND C.NRTIPOCUSTO IN (1, 2) GROUP BY C.CDPRODUTO "
                               "HAVING COUNT(*) = 2)"),
            0);
  EXPECT_EQ(count("CUSTOPRODUTO C JOIN PRODUTO P ON P.CDPRODUTO = C.CDPRODUTO", "P.NRNIVEL <> 3"), 0);
  EXPECT_EQ(count("TIPOCUSTO"), 3);
  EXPECT_EQ(rows("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = '001'"), (std::vector<std::vector<std::string>>{{"Matriz"}}));
}

TEST_P(DemoDataTest, SpecialPricesAreTheFormulaOfTheAverageCost) {
  fill({});
  EXPECT_GT(count("COMPPRECLIE", "CDCLIENTE = '000001'"), 0) << "the first customer shows off a formula";
  EXPECT_GT(count("TABPRECLIE", "CDCLIENTE = '000001'"), 0);
  std::map<std::string, std::vector<server::modules::FormulaRow>> formulas;
  auto prices = rows(
      "SELECT T.CDCLIENTE, T.VRPRECOPROD, C.VRCUSTO FROM TABPRECLIE T JOIN CUSTOPRODUTO C ON C.CDPRODUTO = "
      "T.CDPRODUTO AND C.CDFILIAL = '001' AND C.NRTIPOCUSTO = 1 WHERE EXISTS (SELECT 1 FROM COMPPRECLIE F WHERE "
      "F.CDCLIENTE = T.CDCLIENTE)");
  ASSERT_FALSE(prices.empty());
  for (const auto& row : prices) {
    auto& formula = formulas[row[0]];
    if (formula.empty()) formula = server::modules::LoadFormula(db(), row[0]);
    double expected = server::store::RoundPrice(server::modules::ApplyFormula(std::stod(row[2]), formula));
    EXPECT_EQ(std::stod(row[1]), expected) << row[0];
  }
  EXPECT_EQ(count("TABPRECLIE", "VRPRECOPROD <= 0 OR (DTVALFIN IS NOT NULL AND DTVALINI IS NULL)"), 0);
}

TEST_P(DemoDataTest, SameSeedSameDataOtherSeedOtherData) {
  fill({20, 50, 42});
  auto first = rows("SELECT * FROM CLIENTE ORDER BY CDCLIENTE");
  auto firstPrices = rows("SELECT * FROM TABPRECLIE ORDER BY CDCLIENTE, CDPRODUTO");
  server::store::DropSchema(db());
  server::store::CreateSchema(db());
  fill({20, 50, 42});
  EXPECT_EQ(rows("SELECT * FROM CLIENTE ORDER BY CDCLIENTE"), first);
  EXPECT_EQ(rows("SELECT * FROM TABPRECLIE ORDER BY CDCLIENTE, CDPRODUTO"), firstPrices);
  server::store::DropSchema(db());
  server::store::CreateSchema(db());
  fill({20, 50, 43});
  EXPECT_NE(rows("SELECT * FROM CLIENTE ORDER BY CDCLIENTE"), first);
}

TEST_P(DemoDataTest, NamesFitTheirColumns) {
  fill({300, 2000, 5});
  auto longest = [&](const std::string& column, const std::string& table) {
    std::size_t most = 0;
    for (const auto& row : rows("SELECT " + column + " FROM " + table)) {
      std::size_t chars = 0;
      for (unsigned char c : row[0]) chars += (c & 0xC0) != 0x80;
      most = std::max(most, chars);
    }
    return most;
  };
  EXPECT_LE(longest("NMRAZSOCCLIE", "CLIENTE"), 50u);
  EXPECT_LE(longest("NMFANTCLIE", "CLIENTE"), 50u);
  EXPECT_LE(longest("NMPRODUTO", "PRODUTO"), 50u);
  EXPECT_EQ(count("PRODUTO", "NRNIVEL = 3"), 2000);
}

TEST_P(DemoDataTest, SizesBeyondTheTreeAreRefusedBeforeWriting) {
  DemoOptions options;
  options.products = MaxDemoProducts() + 1;
  EXPECT_THROW(fill(options), platform::Exception);
  EXPECT_EQ(count("CLIENTE"), 0);
  EXPECT_GE(MaxDemoProducts(), 50'000u);
}

VQR_BACKEND_SUITE(DemoDataTest);

}  // namespace
}  // namespace servertest
