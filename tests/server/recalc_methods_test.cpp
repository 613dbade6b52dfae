// SetCalcCusProd, SetCopiaDados and SetCopiaPreco: many prices in one transaction,
// all or nothing, every change in the history.
#include <gtest/gtest.h>

#include <cfloat>
#include <map>
#include <string>
#include <vector>

#include "server/store/transaction.h"
#include "tests/server/module_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using Rows = std::vector<std::vector<std::string>>;

class RecalcTest : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    if (IsSkipped()) return;
    AddFormula(db(), "C1", {{"001", "001", "P", 50, "SUM"}});  // cost x 1.5
  }
  Answer recalc(const std::string& replace, const std::string& first = "", const std::string& last = "",
                std::int64_t costType = 1, const std::string& branch = "001", const std::string& customer = "C1") {
    return call("SetCalcCusProd", {branch, customer, "11222333000181", 3, costType, first, last, replace});
  }
  Answer copyFormula(const std::string& all, const std::string& list, const std::string& first = "",
                     const std::string& last = "", std::int64_t costType = 1) {
    return call("SetCopiaDados", {"001", "C1", "11222333000181", 3, all, list, costType, first, last});
  }
  Answer copyPrices(const std::string& all, const std::string& list, const std::string& start, const std::string& end,
                    const std::string& replace, const std::string& first = "101", const std::string& last = "102") {
    return call("SetCopiaPreco", {"001", "C1", 3, all, list, start, end, replace, first, last});
  }
  std::int64_t historyCount(const std::string& origin) { return count("TABPRECLIEHIST", "IDORIGALT = $1", {origin}); }
};

using Prices = std::vector<std::string>;

TEST_P(RecalcTest, RecalculationPricesEveryCostedLeafAndKeepsExistingDates) {
  AddPrice(db(), "C1", "P2", 5, "2026-01-01", "2026-06-30");
  ASSERT_TRUE(recalc("S").ok);
  EXPECT_EQ(pricesOf("C1"), (Prices{"P1=15", "P2=6 2026-01-01..2026-06-30", "P3=3,75", "P4=30"}));
  EXPECT_EQ(historyCount("R"), 4);
  EXPECT_EQ(rows("SELECT VRPRECOANT, DTVALINIANT, DTVALININOV FROM TABPRECLIEHIST WHERE CDPRODUTO = 'P2'").size(), 1u);
  ASSERT_TRUE(recalc("S").ok);
  EXPECT_EQ(historyCount("R"), 4) << "a recalculation that changes nothing records nothing";
}

TEST_P(RecalcTest, ReplaceNoPricesOnlyProductsWithoutASpecialPrice) {
  AddPrice(db(), "C1", "P2", 5, "2026-01-01");
  ASSERT_TRUE(recalc("N").ok);
  EXPECT_EQ(pricesOf("C1"), (Prices{"P1=15", "P2=5 2026-01-01", "P3=3,75", "P4=30"}));
  EXPECT_EQ(historyCount("R"), 3);
}

TEST_P(RecalcTest, TheRangeLimitsTheProductsAndItsEndCoversItsSubtree) {
  ASSERT_TRUE(recalc("S", "101001", "101002").ok);
  EXPECT_EQ(pricesOf("C1"), (Prices{"P1=15", "P2=6"}));
  db().execute("DELETE FROM TABPRECLIE");
  ASSERT_TRUE(recalc("S", "", "1").ok);
  EXPECT_EQ(pricesOf("C1"), (Prices{"P1=15", "P2=6", "P3=3,75"}));
  db().execute("DELETE FROM TABPRECLIE");
  ASSERT_TRUE(recalc("S", "1.02", "").ok) << "the mask's dots are ignored";
  EXPECT_EQ(pricesOf("C1"), (Prices{"P3=3,75", "P4=30"}));
}

TEST_P(RecalcTest, OnlyProductsWithACostOfTheChosenTypeArePriced) {
  ASSERT_TRUE(recalc("S", "", "", 2).ok);
  EXPECT_EQ(pricesOf("C1"), (Prices{"P1=16,5", "P2=6,6", "P4=33"}));
}

TEST_P(RecalcTest, EveryKindAndOperationIsComputedByTheDatabaseAndRounded) {
  db().execute("DELETE FROM COMPPRECLIE");
  // 10 -> +0.0005 (N) -> x 1.0 (P 100 MUL) -> / 1 (M DIV) -> -5% (P SUB) -> 9.500475 -> 9.5
  AddFormula(db(), "C1", {{"001", "005", "N", 0.0005, "SUM"},
                          {"002", "001", "P", 100, "MUL"},
                          {"003", "002", "M", 1, "DIV"},
                          {"004", "006", "P", 5, "SUB"}});
  db().execute("UPDATE CUSTOPRODUTO SET VRCUSTO = 2.001 WHERE CDPRODUTO = 'P2' AND NRTIPOCUSTO = 1");
  ASSERT_TRUE(recalc("S").ok);
  auto prices = pricesOf("C1");
  EXPECT_EQ(prices[0], "P1=9,5");
  EXPECT_EQ(prices[1], "P2=1,901") << "2.0015 x 0.95 = 1.901425";
}

TEST_P(RecalcTest, APriceThatWouldBeZeroOrNegativeRefusesEverythingWithTheKey) {
  db().execute("DELETE FROM COMPPRECLIE");
  AddFormula(db(), "C1", {{"001", "005", "M", 5, "SUB"}});  // P2 (4) and P3 (2.5) go negative
  AddPrice(db(), "C1", "P1", 9);
  Snapshot before = snapshot();
  EXPECT_EQ(recalc("S").message, "@PrecoZerNeg");
  EXPECT_EQ(snapshot(), before) << "not even P1 and P4 are written";
  db().execute("UPDATE COMPPRECLIE SET VRFATPRECLIE = 4");
  before = snapshot();
  EXPECT_EQ(recalc("S").message, "@PrecoZerNeg") << "exactly zero counts too";
  EXPECT_EQ(snapshot(), before);
}

TEST_P(RecalcTest, ProductsKeptByReplaceNoDoNotCountForTheZeroCheck) {
  db().execute("DELETE FROM COMPPRECLIE");
  AddFormula(db(), "C1", {{"001", "005", "M", 5, "SUB"}});
  AddPrice(db(), "C1", "P2", 4);
  AddPrice(db(), "C1", "P3", 3);
  Answer answer = recalc("N");
  ASSERT_TRUE(answer.ok) << answer.message;
  EXPECT_EQ(pricesOf("C1"), (Prices{"P1=5", "P2=4", "P3=3", "P4=15"}));
}

TEST_P(RecalcTest, AResultOverTheCeilingOrOutsideTheDoublesRefusesTheWholeRecalculationOrCopy) {
  const std::string overCeiling = "Preço acima do limite de 999.999.999,999 em algum produto; nenhum preço foi gravado.";
  AddFormula(db(), "C2", {{"001", "005", "M", 1, "SUM"}});
  AddPrice(db(), "C1", "P2", 7);
  // Formulas saved before their values were bounded: a price near the largest double
  // (which rounds past it), one over it, and one merely over the ceiling (P1: 10 x 1e8).
  for (double factor : {DBL_MAX / 20, DBL_MAX, 1e8}) {
    db().execute("UPDATE COMPPRECLIE SET IDDETFATPRE = 'N', IDTPOPERFATCLIE = 'MUL', VRFATPRECLIE = $1 "
                 "WHERE CDCLIENTE = 'C1'",
                 {factor});
    Snapshot before = snapshot();
    EXPECT_EQ(recalc("S").message, overCeiling) << factor;
    EXPECT_EQ(copyFormula("T", "").message, overCeiling) << factor;
    EXPECT_EQ(snapshot(), before) << factor;
  }
  // As with the zero check, only the prices that would be written count.
  AddPrice(db(), "C1", "P1", 9);
  AddPrice(db(), "C1", "P4", 9);
  ASSERT_TRUE(recalc("N").ok);
  EXPECT_EQ(pricesOf("C1"), (Prices{"P1=9", "P2=7", "P3=2,5e+08", "P4=9"}));
}

TEST_P(RecalcTest, APriceCopyNeverSpreadsAPriceOverTheCeiling) {
  AddPrice(db(), "C1", "P1", 10);
  for (double stored : {1e12, std::numeric_limits<double>::infinity()}) {
    db().execute("DELETE FROM TABPRECLIE WHERE CDPRODUTO = 'P3'");
    AddPrice(db(), "C1", "P3", stored);
    Snapshot before = snapshot();
    EXPECT_EQ(copyPrices("T", "", "", "", "S").message,
              "Preço acima do limite de 999.999.999,999 em algum produto; nenhum preço foi gravado.")
        << stored;
    EXPECT_EQ(snapshot(), before);
  }
}

TEST_P(RecalcTest, EveryWriteOfManyPricesNamesARegisteredBranch) {
  AddPrice(db(), "C1", "P1", 10);
  Snapshot before = snapshot();
  const std::vector<std::pair<std::string, std::vector<Variant>>> calls{
      {"SetCalcCusProd", {"009", "C1", "", 3, 1, "", "", "S"}},
      {"SetCopiaDados", {"009", "C1", "", 3, "T", "", 1, "", ""}},
      {"SetCopiaPreco", {"009", "C1", 3, "T", "", "", "", "S", "", ""}}};
  for (auto [method, args] : calls) {
    EXPECT_EQ(call(method, args).message, "Filial 009 não cadastrada.") << method;
    args[0] = "";
    EXPECT_EQ(call(method, args).message, "Filial deve ser informada.") << method;
  }
  EXPECT_EQ(snapshot(), before);
}

TEST_P(RecalcTest, RecalculationRefusalsNameTheProblem) {
  Snapshot before = snapshot();
  EXPECT_EQ(recalc("S", "", "", 1, "001", "C2").message, "Cliente sem fórmula de composição de preço cadastrada.");
  EXPECT_EQ(recalc("S", "", "", 1, "001", "C9").message, "Cliente C9 não cadastrado.");
  EXPECT_EQ(recalc("S", "", "", 1, "009").message, "Filial 009 não cadastrada.");
  EXPECT_EQ(recalc("S", "", "", 7).message, "Tipo de custo 7 não cadastrado.");
  EXPECT_EQ(recalc("S", "", "", -1).message, "Tipo de custo -1 não cadastrado.");
  EXPECT_EQ(recalc("S", "", "", 1, "002").message,
            "Nenhum produto da faixa escolhida tem custo do tipo 1 na filial 002.");
  EXPECT_EQ(recalc("S", "9", "").message, "Nenhum produto da faixa escolhida tem custo do tipo 1 na filial 001.");
  EXPECT_EQ(recalc("X").message, "Indicador de substituição deve ser \"S\" ou \"N\", recebido 'X'.");
  EXPECT_EQ(recalc("S", "2", "1").message, "Produto inicial deve ser menor ou igual ao produto final.");
  EXPECT_EQ(snapshot(), before);
}

TEST_P(RecalcTest, FormulaCopyGivesEveryOtherCustomerTheFormulaAndItsPrices) {
  AddFormula(db(), "C2", {{"001", "005", "M", 1, "SUM"}, {"002", "008", "P", 3, "SUM"}});
  AddPrice(db(), "C2", "P1", 99, "2026-01-01");
  ASSERT_TRUE(copyFormula("T", "").ok);
  Rows formula{{"C1", "001", "001", "P", "50", "SUM"}};
  EXPECT_EQ(rows("SELECT CDCLIENTE, CDFATPRECO, NRORDEMFAT FROM COMPPRECLIE WHERE CDCLIENTE = 'C2'"),
            (Rows{{"C2", "001", "001"}}));
  EXPECT_EQ(count("COMPPRECLIE", "CDCLIENTE = 'C3'"), 1);
  EXPECT_EQ(pricesOf("C2"), (Prices{"P1=15 2026-01-01", "P2=6", "P3=3,75", "P4=30"}));
  EXPECT_EQ(pricesOf("C3"), (Prices{"P1=15", "P2=6", "P3=3,75", "P4=30"}));
  EXPECT_TRUE(pricesOf("C1").empty()) << "the source is not a target";
  EXPECT_EQ(historyCount("C"), 8);
}

TEST_P(RecalcTest, FormulaCopyToAListTouchesOnlyTheListAndTheRange) {
  ASSERT_TRUE(copyFormula("", "C3,C1", "101001", "101002").ok);
  EXPECT_EQ(pricesOf("C3"), (Prices{"P1=15", "P2=6"}));
  EXPECT_TRUE(pricesOf("C2").empty());
  EXPECT_EQ(count("COMPPRECLIE", "CDCLIENTE = 'C2'"), 0);
}

TEST_P(RecalcTest, AnUnknownOrHostileCodeInTheListRefusesTheWholeCopyByName) {
  AddFormula(db(), "C2", {{"001", "005", "M", 1, "SUM"}});
  Snapshot before = snapshot();
  EXPECT_EQ(copyFormula("", "C2,C9").message, "Cliente C9 não cadastrado.");
  EXPECT_EQ(copyFormula("", "C2,C9,X1").message, "Clientes não cadastrados: C9, X1.");
  EXPECT_EQ(copyFormula("", "C2,C3'); DROP TABLE CLIENTE;--").message,
            "Cliente C3'); DROP TABLE CLIENTE;-- não cadastrado.");
  EXPECT_EQ(copyFormula("", "C2,x' OR '1'='1").message, "Cliente x' OR '1'='1 não cadastrado.");
  EXPECT_EQ(copyPrices("", "C2,C9", "", "", "S").message, "Cliente C9 não cadastrado.");
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(count("CLIENTE"), 3);
}

TEST_P(RecalcTest, CopyTargetsMustBeNamed) {
  EXPECT_EQ(copyFormula("", "").message, "Cliente destino deve ser informado.");
  EXPECT_EQ(copyFormula("", "C1").message, "Nenhum cliente de destino além do cliente de origem.");
  EXPECT_EQ(copyFormula("", "C2,,C3").message, "Lista de clientes inválida: item vazio na posição 2.");
  EXPECT_EQ(copyFormula("X", "").message, "Indicador de todos os clientes inválido: 'X'.");
}

TEST_P(RecalcTest, AFormulaCopyThatWouldZeroAPriceWritesNoFormulaAndNoPrice) {
  db().execute("DELETE FROM COMPPRECLIE");
  AddFormula(db(), "C1", {{"001", "006", "P", 100, "SUB"}});
  AddFormula(db(), "C2", {{"001", "005", "M", 1, "SUM"}});
  AddPrice(db(), "C2", "P1", 99);
  Snapshot before = snapshot();
  EXPECT_EQ(copyFormula("T", "").message, "@PrecoZerNeg");
  EXPECT_EQ(snapshot(), before);
  db().execute("DELETE FROM COMPPRECLIE WHERE CDCLIENTE = 'C1'");
  EXPECT_EQ(copyFormula("T", "").message, "Cliente de origem sem fórmula de composição de preço cadastrada.");
}

TEST_P(RecalcTest, PriceCopyGivesTheSourcePricesInTheRangeWithTheNewDates) {
  AddPrice(db(), "C1", "P1", 10, "2025-01-01");
  AddPrice(db(), "C1", "P3", 3.5);
  AddPrice(db(), "C1", "P4", 30);  // outside 101..102
  ASSERT_TRUE(copyPrices("T", "", "01/01/2026", "31/12/2026", "S").ok);
  Prices expected{"P1=10 2026-01-01..2026-12-31", "P3=3,5 2026-01-01..2026-12-31"};
  EXPECT_EQ(pricesOf("C2"), expected);
  EXPECT_EQ(pricesOf("C3"), expected);
  EXPECT_EQ(historyCount("C"), 4);
}

TEST_P(RecalcTest, PriceCopyKeepsOrOverwritesTheTargetsPrices) {
  AddPrice(db(), "C1", "P1", 10);
  AddPrice(db(), "C2", "P1", 99, "2025-05-05");
  ASSERT_TRUE(copyPrices("", "C2", "", "", "N").ok);
  EXPECT_EQ(pricesOf("C2"), (Prices{"P1=99 2025-05-05"}));
  EXPECT_EQ(historyCount("C"), 0);
  ASSERT_TRUE(copyPrices("", "C2", "", "", "S").ok);
  EXPECT_EQ(pricesOf("C2"), (Prices{"P1=10"})) << "open dates replace the old ones";
  EXPECT_EQ(historyCount("C"), 1);
  ASSERT_TRUE(copyPrices("", "C2", "01/03/2026", "", "S").ok);
  EXPECT_EQ(pricesOf("C2"), (Prices{"P1=10 2026-03-01"}));
}

TEST_P(RecalcTest, PriceCopyRefusals) {
  AddPrice(db(), "C1", "P4", 30);
  Snapshot before = snapshot();
  EXPECT_EQ(copyPrices("T", "", "", "", "S").message, "O cliente de origem não tem preço especial nos produtos escolhidos.");
  EXPECT_EQ(copyPrices("T", "", "02/01/2026", "01/01/2026", "S", "", "").message,
            "Data inicial deve ser menor ou igual à data final.");
  EXPECT_EQ(copyPrices("T", "", "", "01/01/2026", "S", "", "").message, "Data inicial deve ser informada.");
  EXPECT_EQ(copyPrices("T", "", "30/02/2026", "", "S", "", "").message, "Data inicial inválida: '30/02/2026'.");
  EXPECT_EQ(copyPrices("T", "", "", "", "s", "", "").message,
            "Indicador de substituição deve ser \"S\" ou \"N\", recebido 's'.");
  EXPECT_EQ(snapshot(), before);
}

VQR_BACKEND_SUITE(RecalcTest);

// The reference workload at full size: product i (1..50,000) costing (i mod 997) + 1 +
// (i mod 100)/100 at branch 002, priced by x 1,30 / 0,82 + 2,00.
class RecalcWorkloadTest : public RecalcTest {
 protected:
  static constexpr int kProducts = 50000;

  void SetUp() override {
    RecalcTest::SetUp();
    if (IsSkipped()) return;
    server::store::Transaction tx(db());
    db().execute("DELETE FROM COMPPRECLIE");
    AddFormula(db(), "C1", {{"001", "001", "N", 1.30, "MUL"}, {"002", "002", "N", 0.82, "DIV"}, {"003", "005", "M", 2.00, "SUM"}});
    auto products = db().bulkWriter("PRODUTO", {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "NRNIVEL"});
    for (int i = 1; i <= kProducts; ++i) {
      std::string code = "W" + std::to_string(i);
      std::string tree = std::to_string(300000 + ((i - 1) / 999 + 1) * 1000 + (i - 1) % 999 + 1);
      products->add({code, tree, "Produto " + code, std::int64_t{3}});
    }
    products->finish();
    auto costs = db().bulkWriter("CUSTOPRODUTO", {"CDFILIAL", "CDPRODUTO", "NRTIPOCUSTO", "VRCUSTO"});
    for (int i = 1; i <= kProducts; ++i)
      costs->add({"002", "W" + std::to_string(i), std::int64_t{1}, (i % 997) + 1 + (i % 100) / 100.0});
    costs->finish();
    tx.commit();
  }

  // The price in thousandths, from the cost in cents c by integers alone: c/100 x 1.3 /
  // 0.82 is c x 650/41 thousandths, which never lies on a half, rounded up from a half.
  static std::int64_t ExpectedMillis(int i) {
    const std::int64_t cents = ((i % 997) + 1) * 100 + i % 100;
    return (2 * cents * 650 + 41) / 82 + 2000;
  }
};

TEST_P(RecalcWorkloadTest, FiftyThousandPricesMatchAnExactComputationEachWithItsHistoryRow) {
  ASSERT_TRUE(recalc("S", "", "", 1, "002").ok);
  std::map<std::string, double> stored, recorded;
  db().query("SELECT CDPRODUTO, VRPRECOPROD FROM TABPRECLIE WHERE CDCLIENTE = 'C1'", {},
             [&](const server::store::Row& row) { stored[row.text(0)] = row.real(1); });
  db().query("SELECT CDPRODUTO, VRPRECONOV FROM TABPRECLIEHIST WHERE CDCLIENTE = 'C1' AND IDORIGALT = 'R' AND "
             "VRPRECOANT IS NULL",
             {}, [&](const server::store::Row& row) { recorded[row.text(0)] = row.real(1); });
  ASSERT_EQ(stored.size(), static_cast<std::size_t>(kProducts));
  EXPECT_EQ(recorded, stored);
  int wrong = 0;
  std::int64_t sum = 0;
  for (int i = 1; i <= kProducts; ++i) {
    const std::int64_t millis = ExpectedMillis(i);
    sum += millis;
    const double price = stored["W" + std::to_string(i)];
    if (price != static_cast<double>(millis) / 1000 && wrong++ < 5)
      ADD_FAILURE() << "W" << i << ": " << price << " instead of " << millis << " thousandths";
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(sum, 39593643292) << "the workload's known sum";
}

// Prices the customer already has at the first and the last product of a later slice of
// a write (SQLite writes 10,000 at a time), and one the formula gives again: the first
// two are recorded with what they were and keep their dates, the third is left alone,
// and every other price is created.
TEST_P(RecalcWorkloadTest, PricesAlreadyThereInsideTheProductsOfASliceAreRecordedWithTheirValuesBefore) {
  std::vector<std::string> priced;
  db().query("SELECT P.CDPRODUTO FROM PRODUTO P JOIN CUSTOPRODUTO C ON C.CDPRODUTO = P.CDPRODUTO AND C.CDFILIAL = "
             "'002' AND C.NRTIPOCUSTO = 1 WHERE P.NRNIVEL = 3 ORDER BY P.CDPRODUTO",
             {}, [&](const server::store::Row& row) { priced.push_back(row.text(0)); });
  ASSERT_GE(priced.size(), static_cast<std::size_t>(kProducts));
  const std::string first = priced[10000], last = priced[19999], same = priced[30000];
  const double samePrice = static_cast<double>(ExpectedMillis(std::stoi(same.substr(1)))) / 1000;
  db().execute("INSERT INTO TABPRECLIE VALUES ('C1', $1, 1.5, '2026-01-01', '2026-06-30'), ('C1', $2, 2.5, NULL, NULL), "
               "('C1', $3, $4, NULL, NULL)",
               {first, last, same, samePrice});

  ASSERT_TRUE(recalc("S", "", "", 1, "002").ok);
  auto before = [&](const std::string& product) {
    return db().queryText("SELECT CAST(VRPRECOANT AS TEXT) || ' ' || COALESCE(CAST(DTVALININOV AS TEXT), '-') FROM "
                          "TABPRECLIEHIST WHERE CDCLIENTE = 'C1' AND CDPRODUTO = $1 AND IDORIGALT = 'R'",
                          {product});
  };
  EXPECT_EQ(before(first).value_or("none"), "1.5 2026-01-01");
  EXPECT_EQ(before(last).value_or("none"), "2.5 -");
  EXPECT_FALSE(before(same).has_value()) << "an unchanged price is not recorded";
  EXPECT_EQ(*db().queryInteger("SELECT COUNT(*) FROM TABPRECLIEHIST WHERE CDCLIENTE = 'C1' AND IDORIGALT = 'R' AND "
                               "VRPRECOANT IS NULL",
                               {}),
            static_cast<std::int64_t>(priced.size()) - 3);
  EXPECT_EQ(*db().queryInteger("SELECT COUNT(*) FROM TABPRECLIE WHERE CDCLIENTE = 'C1'", {}),
            static_cast<std::int64_t>(priced.size()));
}

VQR_BACKEND_SUITE(RecalcWorkloadTest);

}  // namespace
}  // namespace servertest
