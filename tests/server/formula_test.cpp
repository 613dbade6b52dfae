// Formula evaluation per kind and operation, its text, and the SQL expression that
// must give the very same prices on both backends.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "server/modules/formula.h"
#include "server/modules/refusal.h"
#include "server/store/price_round.h"
#include "server/store/sql_builder.h"
#include "tests/server/backend_fixture.h"

namespace servertest {
namespace {

using namespace server::modules;
using server::store::RoundPrice;

FormulaRow Row(FactorKind kind, Operation op, double value, const char* abbreviation = "MKP") {
  FormulaRow row;
  row.cdFatPreco = "001";
  row.sgFatPreco = abbreviation;
  row.nrOrdemFat = "001";
  row.kind = kind;
  row.value = value;
  row.operation = op;
  return row;
}

double Priced(double cost, std::vector<FormulaRow> rows) { return RoundPrice(ApplyFormula(cost, rows)); }

TEST(Formula, PercentRowsWorkOnTheRunningResult) {
  using K = FactorKind;
  using O = Operation;
  EXPECT_EQ(Priced(100, {Row(K::Percent, O::Add, 30)}), 130);
  EXPECT_EQ(Priced(100, {Row(K::Percent, O::Subtract, 30)}), 70);
  EXPECT_EQ(Priced(100, {Row(K::Percent, O::Multiply, 30)}), 30);
  EXPECT_EQ(Priced(100, {Row(K::Percent, O::Divide, 50)}), 200);
}

TEST(Formula, NumberAndCurrencyRowsUseTheValueItself) {
  using O = Operation;
  for (FactorKind kind : {FactorKind::Number, FactorKind::Currency}) {
    EXPECT_EQ(Priced(100, {Row(kind, O::Add, 1.5)}), 101.5);
    EXPECT_EQ(Priced(100, {Row(kind, O::Subtract, 1.5)}), 98.5);
    EXPECT_EQ(Priced(100, {Row(kind, O::Multiply, 1.5)}), 150);
    EXPECT_EQ(Priced(100, {Row(kind, O::Divide, 4)}), 25);
  }
}

TEST(Formula, RowsApplyInOrder) {
  using K = FactorKind;
  using O = Operation;
  EXPECT_EQ(Priced(100, {Row(K::Percent, O::Add, 10), Row(K::Currency, O::Add, 5)}), 115);
  EXPECT_EQ(Priced(100, {Row(K::Currency, O::Add, 5), Row(K::Percent, O::Add, 10)}), 115.5);
  EXPECT_EQ(Priced(10, {}), 10) << "no rows: the cost itself";
}

TEST(Formula, ResultsRoundHalfAwayFromZeroAtTheThirdDecimal) {
  using K = FactorKind;
  using O = Operation;
  EXPECT_EQ(Priced(2.001, {Row(K::Percent, O::Multiply, 50)}), 1.001) << "1.0005 goes up";
  EXPECT_EQ(Priced(0.0009, {Row(K::Percent, O::Multiply, 50)}), 0) << "0.00045 goes down";
  EXPECT_EQ(Priced(1.2345, {Row(K::Number, O::Multiply, 1)}), 1.235);
  EXPECT_EQ(Priced(10, {Row(K::Percent, O::Subtract, 100)}), 0);
  EXPECT_EQ(Priced(10, {Row(K::Currency, O::Subtract, 10.0005)}), -0.001);
}

TEST(Formula, TheLargestSafeCostIsTheLastCostTheFormulaStaysFiniteFrom0To) {
  using K = FactorKind;
  using O = Operation;
  const std::vector<std::vector<FormulaRow>> formulas{
      {Row(K::Number, O::Multiply, 1.3), Row(K::Number, O::Divide, 0.82), Row(K::Currency, O::Add, 2)},
      {Row(K::Percent, O::Divide, 1e-300)},
      {Row(K::Number, O::Subtract, 5), Row(K::Number, O::Multiply, 1e200)},
      {}};
  for (const auto& rows : formulas) {
    auto safe = LargestSafeCost(rows);
    ASSERT_TRUE(safe.has_value());
    EXPECT_TRUE(FormulaStaysFinite(*safe, rows) && FormulaStaysFinite(*safe / 2, rows) && FormulaStaysFinite(0, rows));
    if (*safe < std::numeric_limits<double>::max()) {
      EXPECT_FALSE(FormulaStaysFinite(std::nextafter(*safe, INFINITY), rows)) << *safe;
    }
  }
  EXPECT_FALSE(LargestSafeCost({Row(K::Number, O::Add, 1e299), Row(K::Number, O::Multiply, 1e10)}))
      << "not even cost 0 stays finite";
}

TEST(FormulaText, CostLabelThenEachRowWithOperatorAbbreviationAndValue) {
  using K = FactorKind;
  using O = Operation;
  std::vector<FormulaRow> rows{Row(K::Percent, O::Add, 30, "MKP"), Row(K::Number, O::Multiply, 1.5, "ICMS"),
                               Row(K::Currency, O::Subtract, 1.5, "FRT"), Row(K::Percent, O::Divide, 2, "DESC")};
  EXPECT_EQ(FormulaText("Custo", rows), "Custo + MKP(30,000%) x ICMS(1,500) - FRT(R$ 1,500) ÷ DESC(2,000%)");
  EXPECT_EQ(FormulaText("Custo", {}), "Custo");
  EXPECT_EQ(FormulaText("", {Row(K::Currency, O::Add, 1234.5)}), " + MKP(R$ 1.234,500)");
}

TEST(FormulaText, ValuesShowThreeDecimalsWithThousandsDots) {
  EXPECT_EQ(FormatValue3(0), "0,000");
  EXPECT_EQ(FormatValue3(0.0005), "0,001");
  EXPECT_EQ(FormatValue3(999.9995), "1.000,000");
  EXPECT_EQ(FormatValue3(1234567.891), "1.234.567,891");
  EXPECT_EQ(FormatValue3(-12.5), "-12,500");
}

TEST(FormulaExpression, AnOverlongFormulaIsRefused) {
  server::store::SqlBuilder sql(server::store::Backend::SQLite);
  std::vector<FormulaRow> rows(kMaxFormulaRows + 1, Row(FactorKind::Number, Operation::Add, 1));
  EXPECT_THROW(FormulaExpression(sql, "C.VRCUSTO", rows), Refusal);
  rows.pop_back();
  EXPECT_NO_THROW(FormulaExpression(sql, "C.VRCUSTO", rows));
}

// The SQL expression, evaluated by the database and rounded there, equals the
// server's own evaluation bit for bit.
class FormulaSqlTest : public BackendTest {
 protected:
  bool wantsSchema() const override { return false; }
  double inDatabase(double cost, const std::vector<FormulaRow>& rows) {
    server::store::SqlBuilder sql(db().backend());
    std::string statement = "SELECT " + sql.roundPrice(FormulaExpression(sql, sql.doubleParam(cost), rows));
    double result = 0;
    db().query(statement, sql.params(), [&](const server::store::Row& row) { result = row.real(0); });
    return result;
  }
};

TEST_P(FormulaSqlTest, EveryKindAndOperationGivesTheServersPrice) {
  for (FactorKind kind : {FactorKind::Percent, FactorKind::Number, FactorKind::Currency})
    for (Operation op : {Operation::Add, Operation::Subtract, Operation::Multiply, Operation::Divide})
      for (double cost : {10.0, 2.001, 1.2345, 0.0009, 12345.6789})
        for (double value : {30.0, 1.5, 0.5, 100.0}) {
          std::vector<FormulaRow> rows{Row(kind, op, value)};
          EXPECT_EQ(inDatabase(cost, rows), Priced(cost, rows))
              << FactorKindCode(kind) << " " << OperationCode(op) << " " << value << " on " << cost;
        }
}

TEST_P(FormulaSqlTest, RandomFormulasGiveTheServersPrice) {
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> values(0.01, 60.0);
  for (int i = 0; i < 200; ++i) {
    std::vector<FormulaRow> rows;
    for (std::uint64_t n = random() % 6; n > 0; --n)
      rows.push_back(Row(static_cast<FactorKind>(random() % 3), static_cast<Operation>(random() % 4),
                         std::round(values(random) * 1000) / 1000));
    double cost = std::round(values(random) * 100) / 100;
    EXPECT_EQ(inDatabase(cost, rows), Priced(cost, rows)) << FormulaText("Custo", rows) << " on " << cost;
  }
}

VQR_BACKEND_SUITE(FormulaSqlTest);

}  // namespace
}  // namespace servertest
