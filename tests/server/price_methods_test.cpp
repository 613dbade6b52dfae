// GetPrecoProd and SetTabPreClie: one customer's price list and its changes, each
// recorded in the history.
#include <gtest/gtest.h>

#include <cfloat>

#include "contracts/server/packets.h"
#include "contracts/server/price_limits.h"
#include "platform/text/date_time.h"
#include "tests/server/module_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using Rows = std::vector<std::vector<std::string>>;

class PriceMethodsTest : public ModuleTest {
 protected:
  // The history with prices as numbers (each backend writes a double its own way).
  Rows history() {
    Rows result;
    db().query(
        "SELECT CDCLIENTE, CDPRODUTO, VRPRECOANT, DTVALINIANT, DTVALFINANT, VRPRECONOV, DTVALININOV, DTVALFINNOV, "
        "IDORIGALT FROM TABPRECLIEHIST ORDER BY NRSEQHIST",
        {}, [&](const server::store::Row& row) {
          std::vector<std::string> cells;
          for (int col = 0; col < row.columnCount(); ++col) {
            bool price = col == 2 || col == 5;
            cells.push_back(row.isNull(col) ? "<null>" : price ? Variant(row.real(col)).toString() : row.text(col));
          }
          result.push_back(std::move(cells));
        });
    return result;
  }
};

TEST_P(PriceMethodsTest, PriceListHasEveryLeafWithPriceAndDatesOrNulls) {
  AddPrice(db(), "C1", "P2", 5.5, "2026-01-01", "2026-12-31");
  AddPrice(db(), "C1", "P4", 30, "2026-03-01");
  AddPrice(db(), "C2", "P1", 99);  // another customer's price stays out
  Variant packet = data("GetPrecoProd", {"C1", 3});
  EXPECT_EQ(packet.asPacket().columns(), contracts::server::PriceColumns());
  EXPECT_EQ(Cells(packet), (Rows{{"P1", "Refrigerante Cola 2L", "101001", "<null>", "<null>", "<null>"},
                                 {"P2", "Refrigerante Guaraná 2L", "101002", "5,5", "01/01/2026", "31/12/2026"},
                                 {"P3", "Suco Uva 1L", "102001", "<null>", "<null>", "<null>"},
                                 {"P4", "Arroz Tipo 1 5kg", "201001", "30", "01/03/2026", "<null>"}}));
  const auto& p = packet.asPacket();
  EXPECT_EQ(p.value(1, 4), Variant(platform::EncodeDate(2026, 1, 1)));
}

TEST_P(PriceMethodsTest, TheLevelChoosesTheProducts) {
  EXPECT_EQ(Column(data("GetPrecoProd", {"C1", 2}), "CDARVPROD"), (std::vector<std::string>{"101", "102", "201"}));
  EXPECT_EQ(data("GetPrecoProd", {"C1", 4}).asPacket().rowCount(), 0u);
}

TEST_P(PriceMethodsTest, PriceListOfAnUnknownCustomerOrLevelIsRefused) {
  EXPECT_EQ(refusal("GetPrecoProd", {"C9", 3}), "Cliente C9 não cadastrado.");
  EXPECT_EQ(refusal("GetPrecoProd", {"", 3}), "Cliente deve ser informado.");
  EXPECT_EQ(refusal("GetPrecoProd", {"C1", 0}), "Número de níveis do código de produto inválido: 0.");
}

TEST_P(PriceMethodsTest, StoringAPriceInsertsThenReplacesIt) {
  ASSERT_TRUE(setPrice("C1", "P1", 12.5, "01/02/2026", "28/02/2026").ok);
  EXPECT_EQ(PriceOf(db(), "C1", "P1"), (StoredPrice{12.5, "2026-02-01", "2026-02-28"}));
  ASSERT_TRUE(setPrice("C1", "P1", 13, "01/03/2026").ok);
  EXPECT_EQ(PriceOf(db(), "C1", "P1"), (StoredPrice{13, "2026-03-01", std::nullopt}));
  ASSERT_TRUE(setPrice("C1", "P1", 14).ok);
  EXPECT_EQ(PriceOf(db(), "C1", "P1"), (StoredPrice{14, std::nullopt, std::nullopt}));
  EXPECT_EQ(count("TABPRECLIE"), 1);
}

TEST_P(PriceMethodsTest, PriceZeroWithoutDatesRemovesTheSpecialPrice) {
  AddPrice(db(), "C1", "P1", 12.5, "2026-02-01");
  ASSERT_TRUE(setPrice("C1", "P1", 0).ok);
  EXPECT_FALSE(PriceOf(db(), "C1", "P1"));
  EXPECT_EQ(Column(data("GetPrecoProd", {"C1", 3}), "VRPRECOPROD")[0], "<null>");
  ASSERT_TRUE(setPrice("C1", "P1", 0).ok) << "removing a price that is not there is no error";
  EXPECT_EQ(history().size(), 1u) << "and leaves no history";
}

TEST_P(PriceMethodsTest, EveryChangeIsRecordedWithItsValuesBeforeAndAfter) {
  ASSERT_TRUE(setPrice("C1", "P1", 12.5, "01/02/2026").ok);
  ASSERT_TRUE(setPrice("C1", "P1", 12.5, "01/02/2026").ok);  // no change, no history
  ASSERT_TRUE(setPrice("C1", "P1", 13, "01/02/2026", "31/12/2026").ok);
  ASSERT_TRUE(setPrice("C1", "P1", 0).ok);
  EXPECT_EQ(history(),
            (Rows{{"C1", "P1", "<null>", "<null>", "<null>", "12,5", "2026-02-01", "<null>", "M"},
                  {"C1", "P1", "12,5", "2026-02-01", "<null>", "13", "2026-02-01", "2026-12-31", "M"},
                  {"C1", "P1", "13", "2026-02-01", "2026-12-31", "<null>", "<null>", "<null>", "M"}}));
  EXPECT_EQ(count("TABPRECLIEHIST", "DTHRALT IS NULL"), 0);
}

TEST_P(PriceMethodsTest, ManualPricesAreRoundedLikeCalculatedOnes) {
  ASSERT_TRUE(setPrice("C1", "P1", 1.0005).ok);
  EXPECT_EQ(PriceOf(db(), "C1", "P1")->price, 1.001);
  EXPECT_EQ(setPrice("C1", "P2", 0.0004).message, "Preço deve ser maior que zero.") << "rounds to zero";
}

TEST_P(PriceMethodsTest, InvalidRowsAreRefusedWithClearTextsAndNothingIsWritten) {
  AddPrice(db(), "C1", "P1", 10, "2026-01-01");
  Snapshot before = snapshot();
  struct Case {
    std::vector<Variant> args;
    std::string text;
  };
  const std::vector<Case> cases{
      {{"C1", "P1", -1.0, "", "", "S"}, "Preço não pode ser negativo."},
      {{"C1", "P1", 0.0, "01/01/2026", "", "S"}, "Preço deve ser maior que zero."},
      {{"C1", "P1", 0.0, "", "31/12/2026", "S"}, "Preço deve ser maior que zero."},
      {{"C1", "P1", 5.0, "31/02/2026", "", "S"}, "Data inicial inválida: '31/02/2026'."},
      {{"C1", "P1", 5.0, "01/01/2026", "2026-12-31", "S"}, "Data final inválida: '2026-12-31'."},
      {{"C1", "P1", 5.0, "01/01/2026 10:30", "", "S"},
       "Data inicial inválida: '01/01/2026 10:30'. A validade é por dia, sem hora."},
      {{"C1", "P1", 5.0, "02/01/2026", "01/01/2026", "S"}, "Data inicial deve ser menor ou igual à data final."},
      {{"C1", "P1", 5.0, "", "01/01/2026", "S"}, "Data inicial deve ser informada."},
      {{"C9", "P1", 5.0, "", "", "S"}, "Cliente C9 não cadastrado."},
      {{"C1", "P9", 5.0, "", "", "S"}, "Produto P9 não cadastrado."},
      {{"C1", "P1", 5.0, "", "", "N"}, "Indicador de gravação inválido: 'N'."},
      {{"C1", "P1", std::numeric_limits<double>::infinity(), "", "", "S"}, "Preço inválido."},
  };
  for (const Case& c : cases) EXPECT_EQ(refusal("SetTabPreClie", c.args), c.text);
  EXPECT_EQ(snapshot(), before);
}

TEST_P(PriceMethodsTest, PricesStopAtTheCeilingAndTheLargestDoubleIsNeverStoredAsInfinity) {
  const std::string overCeiling = "Preço deve ser no máximo 999.999.999,999.";
  Snapshot before = snapshot();
  EXPECT_EQ(setPrice("C1", "P1", DBL_MAX).message, overCeiling);
  EXPECT_EQ(setPrice("C1", "P1", 1e12).message, overCeiling);
  EXPECT_EQ(setPrice("C1", "P1", 999'999'999.9996).message, overCeiling) << "rounds up past the ceiling";
  EXPECT_EQ(snapshot(), before);
  ASSERT_TRUE(setPrice("C1", "P1", contracts::server::kMaxPrice).ok);
  EXPECT_EQ(PriceOf(db(), "C1", "P1")->price, contracts::server::kMaxPrice);
  EXPECT_EQ(Column(data("GetPrecoProd", {"C1", 3}), "VRPRECOPROD")[0], "999999999,999");
}

TEST_P(PriceMethodsTest, AGroupProductTakesNoSpecialPriceButALeftoverOneMayBeRemoved) {
  Snapshot before = snapshot();
  for (const char* group : {"G1", "G101"})
    EXPECT_EQ(setPrice("C1", group, 5).message,
              "Produto " + std::string(group) + " é um grupo de produtos; preço especial só nos produtos do último nível.");
  EXPECT_EQ(snapshot(), before);
  AddPrice(db(), "C1", "G101", 5);
  ASSERT_TRUE(setPrice("C1", "G101", 0).ok);
  EXPECT_FALSE(PriceOf(db(), "C1", "G101"));
}

TEST_P(PriceMethodsTest, ARefusalQuotesOnlyAShortPrintablePrefixOfABadValue) {
  const std::string forged = "C9\n2026-01-01 rdmTabPreClie.SetTabPreClie ok\n" + std::string(1u << 20, 'x');
  for (const Answer& answer : {setPrice(forged, "P1", 5), setPrice("C1", forged, 5),
                               call("SetTabPreClie", {"C1", "P1", 5.0, forged, "", "S"}),
                               call("GetPesqCliente", {"", forged})}) {
    EXPECT_FALSE(answer.ok);
    EXPECT_LT(answer.message.size(), 200u) << answer.message.substr(0, 300);
    EXPECT_EQ(answer.message.find('\n'), std::string::npos) << answer.message;
  }
  EXPECT_EQ(setPrice("C1\r\nX", "P1", 5).message, "Cliente C1\\r\\nX não cadastrado.");
}

TEST_P(PriceMethodsTest, AMidnightTimeAndEqualDatesAreAccepted) {
  ASSERT_TRUE(setPrice("C1", "P1", 5, "01/01/2026 00:00:00", "01/01/2026").ok);
  EXPECT_EQ(PriceOf(db(), "C1", "P1"), (StoredPrice{5, "2026-01-01", "2026-01-01"}));
}

TEST_P(PriceMethodsTest, AnIntegerPriceIsAcceptedForTheDoubleArgument) {
  ASSERT_TRUE(call("SetTabPreClie", {"C1", "P1", 7, "", "", "S"}).ok);
  EXPECT_EQ(PriceOf(db(), "C1", "P1")->price, 7.0);
}

VQR_BACKEND_SUITE(PriceMethodsTest);

}  // namespace
}  // namespace servertest
