// SetTabPreClie based on the values the client read: applied while the price still
// holds them, refused otherwise with who changed it, when and what it holds now, with
// nothing written; a call stating nothing is applied as it always was.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include "contracts/server/price_basis.h"
#include "tests/server/module_fixture.h"

namespace servertest {
namespace {

using contracts::server::kPriceChanged;
using contracts::server::PriceBasis;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

class PriceConditionTest : public ModuleTest {
 protected:
  // Expects a refusal for a changed price whose text has every piece given, and no write.
  void expectRefused(const Answer& answer, const Snapshot& before, const std::vector<std::string>& pieces) {
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.code, kPriceChanged) << answer.message;
    for (const auto& piece : pieces) EXPECT_THAT(answer.message, HasSubstr(piece));
    EXPECT_THAT(answer.message, HasSubstr("Nada foi gravado."));
    EXPECT_EQ(snapshot(), before) << "a refused change writes nothing";
  }
};

TEST_P(PriceConditionTest, AChangeBasedOnValuesChangedSinceIsRefusedNamingWhoWhenAndTheCurrentValues) {
  AddPrice(db(), "C1", "P1", 7);
  const PriceBasis read{7.0, "", ""};
  ASSERT_TRUE(callAs("maria", "SetTabPreClie", {"C1", "P1", 9.0, "", "", "S"}).ok);
  auto before = snapshot();
  Answer price = setPriceBasedOn(read, "C1", "P1", 8.5);
  expectRefused(price, before, {"produto P1", "por maria em ", "de 7,000 para 9,000"});
  EXPECT_THAT(price.message, MatchesRegex(".* em [0-9]{2}/[0-9]{2}/[0-9]{4} às [0-9]{2}:[0-9]{2} .*"));

  ASSERT_TRUE(callAs("maria", "SetTabPreClie", {"C1", "P1", 9.0, "01/02/2026", "", "S"}).ok);
  before = snapshot();
  expectRefused(setPriceBasedOn({9.0, "", ""}, "C1", "P1", 9.5), before,
                {"de 9,000 para 9,000 (de 01/02/2026)"});
  // A deletion too.
  expectRefused(setPriceBasedOn({9.0, "", ""}, "C1", "P1", 0), before, {"de 9,000 para 9,000 (de 01/02/2026)"});

  // A new price that was created meanwhile, with no one on record.
  AddPrice(db(), "C1", "P2", 11);
  before = snapshot();
  expectRefused(setPriceBasedOn({}, "C1", "P2", 12), before, {"por outro usuário", "de (sem preço) para 11,000"});
}

TEST_P(PriceConditionTest, AChangeBasedOnTheCurrentValuesIsAppliedInOneCallAndOneWithoutAConditionAsAlways) {
  AddPrice(db(), "C1", "P1", 7, "2026-01-01", "2026-12-31");
  ASSERT_TRUE(setPriceBasedOn({7.0, "01/01/2026", "31/12/2026"}, "C1", "P1", 8.5, "01/01/2026").ok);
  ASSERT_TRUE(setPriceBasedOn({}, "C1", "P2", 3).ok);
  ASSERT_TRUE(setPriceBasedOn({3.0, "", ""}, "C1", "P2", 0).ok);
  EXPECT_EQ(pricesOf("C1"), (std::vector<std::string>{"P1=8,5 2026-01-01"}));
  ASSERT_TRUE(setPrice("C1", "P1", 4).ok) << "a call stating nothing replaces whatever is there";
  EXPECT_EQ(pricesOf("C1"), (std::vector<std::string>{"P1=4"}));
  Answer odd = callAs(kTestUser, "SetTabPreClie", {"C1", "P1", 5.0, "", "", "S"}, platform::Variant("7"));
  EXPECT_FALSE(odd.ok);
  EXPECT_THAT(odd.message, HasSubstr("Condição da gravação do preço inválida"));
  EXPECT_EQ(pricesOf("C1"), (std::vector<std::string>{"P1=4"}));
}

VQR_BACKEND_SUITE(PriceConditionTest);

}  // namespace
}  // namespace servertest
