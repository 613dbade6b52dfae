// GetFatPreClie and SetCompPreco: the formula rows, their checks, and the original
// values that keep one user from overwriting another's change.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <cfloat>
#include <cmath>

#include "contracts/server/packets.h"
#include "contracts/server/price_limits.h"
#include "tests/server/module_fixture.h"

namespace servertest {
namespace {

using platform::ChangeKind;
using platform::DataPacket;
using platform::Variant;
using Rows = std::vector<std::vector<std::string>>;

// A formula row as the screen holds it.
struct F {
  Variant cdFatPreco, cdCliente, sgFatPreco, nrOrdemFat, idDetFatPre, vrFatPreClie, idTpOperFatClie;
  std::vector<Variant> values() const {
    return {cdFatPreco, cdCliente, sgFatPreco, nrOrdemFat, idDetFatPre, vrFatPreClie, idTpOperFatClie};
  }
};

F Mkp(double value = 30) { return {"001", "C1", "MKP", "001", "P", value, "SUM"}; }

struct Change {
  ChangeKind kind;
  F current;
  std::optional<F> original;
};

Variant Delta(const std::vector<Change>& changes) {
  auto delta = std::make_shared<DataPacket>(DataPacket::Delta(contracts::server::FormulaColumns()));
  for (const Change& c : changes) {
    for (const Variant& value : c.current.values()) delta->appendValue(value);
    delta->endDeltaRow(c.kind, c.original ? c.original->values() : std::vector<Variant>{});
  }
  return Variant(std::shared_ptr<const DataPacket>(std::move(delta)));
}

class FormulaMethodsTest : public ModuleTest {
 protected:
  Answer save(const std::vector<Change>& changes, const std::string& customer = "C1") {
    return call("SetCompPreco", {Delta(changes), customer, "Custo"});
  }
  Rows stored(const std::string& customer = "C1") {
    Rows result;
    db().query("SELECT CDFATPRECO, NRORDEMFAT, IDDETFATPRE, VRFATPRECLIE, IDTPOPERFATCLIE FROM COMPPRECLIE "
               "WHERE CDCLIENTE = $1 ORDER BY NRORDEMFAT",
               {customer}, [&](const server::store::Row& row) {
                 result.push_back({row.text(0), row.text(1), row.text(2), Variant(row.real(3)).toString(), row.text(4)});
               });
    return result;
  }
};

TEST_P(FormulaMethodsTest, FormulaComesInOrderWithItsText) {
  AddFormula(db(), "C1", {{"002", "002", "P", 18, "SUM"}, {"001", "001", "P", 30, "SUM"}, {"003", "005", "M", 1.5, "SUB"}});
  Answer answer = call("GetFatPreClie", {"C1", "Custo"});
  ASSERT_TRUE(answer.ok) << answer.message;
  const auto& parts = answer.data.asArray();
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0].asPacket().columns(), contracts::server::FormulaColumns());
  EXPECT_EQ(Cells(parts[0]), (Rows{{"001", "C1", "MKP", "001", "P", "30", "SUM"},
                                   {"002", "C1", "ICMS", "002", "P", "18", "SUM"},
                                   {"005", "C1", "FRT", "003", "M", "1,5", "SUB"}}));
  EXPECT_EQ(parts[1], Variant("Custo + MKP(30,000%) + ICMS(18,000%) - FRT(R$ 1,500)"));
  EXPECT_EQ(answer.params[0], Variant("C1"));
}

TEST_P(FormulaMethodsTest, ACustomerWithoutFormulaGetsNoRowsAndTheBareLabel) {
  Variant answer = data("GetFatPreClie", {"C2", "Custo"});
  const auto& parts = answer.asArray();
  EXPECT_EQ(parts[0].asPacket().rowCount(), 0u);
  EXPECT_EQ(parts[1], Variant("Custo"));
  EXPECT_EQ(refusal("GetFatPreClie", {"C9", "Custo"}), "Cliente C9 não cadastrado.");
}

TEST_P(FormulaMethodsTest, AnInsertedRowIsStoredAndTheNewTextAnswered) {
  F row = Mkp();
  row.nrOrdemFat = "7";
  Answer answer = save({{ChangeKind::Inserted, row, {}}});
  ASSERT_TRUE(answer.ok) << answer.message;
  EXPECT_EQ(stored(), (Rows{{"001", "007", "P", "30", "SUM"}}));
  EXPECT_EQ(answer.data.asArray()[1], Variant("Custo + MKP(30,000%)"));
  EXPECT_EQ(Column(answer.data.asArray()[0], "NRORDEMFAT"), std::vector<std::string>{"007"});
}

TEST_P(FormulaMethodsTest, OrdersPaddedWithBlanksOrZerosAreTheSameOrder) {
  F row = Mkp();
  row.nrOrdemFat = "  7";
  ASSERT_TRUE(save({{ChangeKind::Inserted, row, {}}}).ok);
  F again{"002", "C1", "ICMS", "007", "P", 18.0, "SUM"};
  EXPECT_EQ(save({{ChangeKind::Inserted, again, {}}}).message, "Ordem já cadastrada.");
}

TEST_P(FormulaMethodsTest, TheFactorMayBeGivenByItsAbbreviationAlone) {
  ASSERT_TRUE(save({{ChangeKind::Inserted, {"", "C1", "FRT", "001", "M", 2.0, "SUM"}, {}}}).ok);
  EXPECT_EQ(stored(), (Rows{{"005", "001", "M", "2", "SUM"}}));
}

TEST_P(FormulaMethodsTest, InvalidNewRowsAreRefusedAndNothingIsWritten) {
  AddFormula(db(), "C1", {{"001", "001", "P", 30, "SUM"}});
  Snapshot before = snapshot();
  struct Case {
    F row;
    std::string text;
  };
  const std::vector<Case> cases{
      {{"002", "C1", "ICMS", "001", "P", 18.0, "SUM"}, "Ordem já cadastrada."},
      {{"001", "C1", "MKP", "002", "P", 18.0, "SUM"}, "Fator de Ajuste do preço já cadastrado para o cliente informado."},
      {{"", "C1", "ZZZ", "002", "P", 18.0, "SUM"}, "Fator de Ajuste do Preço não cadastrado."},
      {{"999", "C1", "", "002", "P", 18.0, "SUM"}, "Fator de Ajuste do Preço não cadastrado."},
      {{"", "C1", "", "002", "P", 18.0, "SUM"}, "Fator de Ajuste do Preço deve ser informado."},
      {{"002", "C1", "FRT", "002", "P", 18.0, "SUM"}, "Fator de Ajuste do Preço não confere: código 002 é ICMS, não FRT."},
      {{"002", "C1", "ICMS", "", "P", 18.0, "SUM"}, "Ordem deve ser informada."},
      {{"002", "C1", "ICMS", "1a", "P", 18.0, "SUM"}, "Ordem inválida: '1a'. Informe até três dígitos."},
      {{"002", "C1", "ICMS", "1000", "P", 18.0, "SUM"}, "Ordem inválida: '1000'. Informe até três dígitos."},
      {{"002", "C1", "ICMS", "002", "X", 18.0, "SUM"}, "Determinação inválida: 'X'. Use P, N ou M."},
      {{"002", "C1", "ICMS", "002", "P", 18.0, "ADD"}, "Integração inválida: 'ADD'. Use SUM, SUB, MUL ou DIV."},
      {{"002", "C1", "ICMS", "002", "P", 0.0, "SUM"}, "Valor deve ser maior que zero."},
      {{"002", "C1", "ICMS", "002", "P", -3.0, "SUM"}, "Valor deve ser maior que zero."},
      {{"002", "C1", "ICMS", "002", "P", Variant::Null(), "SUM"}, "Valor deve ser informado."},
      {{"002", "C2", "ICMS", "002", "P", 18.0, "SUM"}, "Linha da fórmula de outro cliente (C2)."},
  };
  for (const Case& c : cases) EXPECT_EQ(save({{ChangeKind::Inserted, c.row, {}}}).message, c.text);
  EXPECT_EQ(snapshot(), before);
}

TEST_P(FormulaMethodsTest, FactorValuesStayWithinThePriceLimitsWhenSaved) {
  Snapshot before = snapshot();
  const std::string tooBig = "Valor deve ser no máximo 999.999.999,999.";
  const std::string tooSmall = "Valor deve ser de no mínimo 0,001.";
  const std::vector<std::pair<double, std::string>> cases{
      {DBL_MAX, tooBig}, {1e12, tooBig}, {std::numeric_limits<double>::infinity(), "Valor deve ser maior que zero."},
      {std::nan(""), "Valor deve ser maior que zero."}, {0.0009, tooSmall}, {1e-310, tooSmall}};
  for (const auto& [value, text] : cases)
    EXPECT_EQ(save({{ChangeKind::Inserted, {"006", "C1", "DESC", "001", "P", value, "DIV"}, {}}}).message, text)
        << value;
  EXPECT_EQ(snapshot(), before);
  ASSERT_TRUE(save({{ChangeKind::Inserted, {"006", "C1", "DESC", "001", "P", contracts::server::kMinFactorValue, "DIV"}, {}},
                    {ChangeKind::Inserted, {"005", "C1", "FRT", "002", "N", contracts::server::kMaxPrice, "SUM"}, {}}})
                  .ok);
  EXPECT_EQ(stored(), (Rows{{"006", "001", "P", "0,001", "DIV"}, {"005", "002", "N", "999999999,999", "SUM"}}));
}

TEST_P(FormulaMethodsTest, AModifiedRowIsCheckedAgainstItsOriginalValues) {
  AddFormula(db(), "C1", {{"001", "001", "P", 30, "SUM"}});
  ASSERT_TRUE(save({{ChangeKind::Modified, Mkp(35), Mkp(30)}}).ok);
  EXPECT_EQ(stored(), (Rows{{"001", "001", "P", "35", "SUM"}}));
  // A second user still holding the row as it was read (30) is refused, not obeyed.
  EXPECT_EQ(save({{ChangeKind::Modified, Mkp(40), Mkp(30)}}).message,
            "O fator da ordem 001 foi alterado por outro usuário. Recarregue a fórmula.");
  EXPECT_EQ(stored(), (Rows{{"001", "001", "P", "35", "SUM"}}));
}

TEST_P(FormulaMethodsTest, EveryOriginalColumnCounts) {
  AddFormula(db(), "C1", {{"001", "001", "P", 30, "SUM"}});
  F kind = Mkp(), operation = Mkp(), factor = Mkp();
  kind.idDetFatPre = "N";
  operation.idTpOperFatClie = "MUL";
  factor.cdFatPreco = "002";
  factor.sgFatPreco = "ICMS";
  for (const F& original : {kind, operation, factor})
    EXPECT_FALSE(save({{ChangeKind::Modified, Mkp(31), original}}).ok);
  EXPECT_EQ(stored(), (Rows{{"001", "001", "P", "30", "SUM"}}));
}

TEST_P(FormulaMethodsTest, DeletingNeedsTheStoredValuesToo) {
  AddFormula(db(), "C1", {{"001", "001", "P", 35, "SUM"}});
  EXPECT_EQ(save({{ChangeKind::Deleted, Mkp(30), Mkp(30)}}).message,
            "O fator da ordem 001 foi alterado por outro usuário. Recarregue a fórmula.");
  EXPECT_EQ(stored().size(), 1u);
  Answer deleted = save({{ChangeKind::Deleted, Mkp(35), Mkp(35)}});
  ASSERT_TRUE(deleted.ok) << deleted.message;
  EXPECT_TRUE(stored().empty());
  EXPECT_EQ(deleted.data.asArray()[1], Variant("Custo"));
  EXPECT_EQ(save({{ChangeKind::Deleted, Mkp(35), Mkp(35)}}).message,
            "O fator da ordem 001 foi excluído por outro usuário. Recarregue a fórmula.");
}

TEST_P(FormulaMethodsTest, NullCellsOfAModifiedRowKeepTheirValues) {
  AddFormula(db(), "C1", {{"001", "001", "P", 30, "SUM"}});
  F changed{Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), 45.0, Variant::Null()};
  ASSERT_TRUE(save({{ChangeKind::Modified, changed, Mkp(30)}}).ok);
  EXPECT_EQ(stored(), (Rows{{"001", "001", "P", "45", "SUM"}}));
}

TEST_P(FormulaMethodsTest, ADeltaIsAppliedWholeOrNotAtAll) {
  AddFormula(db(), "C1", {{"001", "001", "P", 30, "SUM"}});
  Snapshot before = snapshot();
  F good{"002", "C1", "ICMS", "002", "P", 18.0, "SUM"};
  F bad{"005", "C1", "FRT", "003", "M", 0.0, "SUM"};
  EXPECT_EQ(save({{ChangeKind::Modified, Mkp(31), Mkp(30)}, {ChangeKind::Inserted, good, {}},
                  {ChangeKind::Inserted, bad, {}}})
                .message,
            "Valor deve ser maior que zero.");
  EXPECT_EQ(snapshot(), before);
}

TEST_P(FormulaMethodsTest, ADeltaMayFreeAnOrderAndReuseIt) {
  AddFormula(db(), "C1", {{"001", "001", "P", 30, "SUM"}});
  F replacement{"002", "C1", "ICMS", "001", "P", 18.0, "SUM"};
  Answer answer = save({{ChangeKind::Inserted, replacement, {}}, {ChangeKind::Deleted, Mkp(30), Mkp(30)}});
  ASSERT_TRUE(answer.ok) << answer.message;
  EXPECT_EQ(stored(), (Rows{{"002", "001", "P", "18", "SUM"}}));
}

TEST_P(FormulaMethodsTest, SomethingOtherThanADeltaIsRefused) {
  const std::string text = "Alterações da fórmula em formato inválido: esperado um pacote de alterações.";
  EXPECT_EQ(refusal("SetCompPreco", {"não é um pacote", "C1", "Custo"}), text);
  auto plain = std::make_shared<DataPacket>(contracts::server::FormulaColumns());
  EXPECT_EQ(refusal("SetCompPreco", {Variant(std::shared_ptr<const DataPacket>(plain)), "C1", "Custo"}), text);
  auto partial = std::make_shared<DataPacket>(DataPacket::Delta({{"NRORDEMFAT", platform::FieldType::String, 3}}));
  EXPECT_EQ(refusal("SetCompPreco", {Variant(std::shared_ptr<const DataPacket>(partial)), "C1", "Custo"}),
            "Alterações da fórmula sem a coluna IDDETFATPRE.");
  EXPECT_EQ(save({}, "C9").message, "Cliente C9 não cadastrado.");
}

TEST_P(FormulaMethodsTest, TwoUsersChangingTheSameRowAtOnceNeverBothWin) {
  AddFormula(db(), "C1", {{"001", "001", "P", 30, "SUM"}});
  for (int round = 0; round < 8; ++round) {
    double read = 30 + round;
    std::atomic<int> accepted{0};
    std::vector<std::string> refusals(2);
    auto user = [&](int who) {
      Answer answer = save({{ChangeKind::Modified, Mkp(read + 1 + who * 0.5), Mkp(read)}});
      if (answer.ok)
        ++accepted;
      else
        refusals[who] = answer.message;
    };
    std::thread first(user, 0), second(user, 1);
    first.join();
    second.join();
    ASSERT_EQ(accepted.load(), 1) << "round " << round;
    std::string loser = refusals[0].empty() ? refusals[1] : refusals[0];
    EXPECT_EQ(loser, "O fator da ordem 001 foi alterado por outro usuário. Recarregue a fórmula.");
    // Put the row at the next round's starting value.
    db().execute("UPDATE COMPPRECLIE SET VRFATPRECLIE = $1", {read + 1});
  }
}

VQR_BACKEND_SUITE(FormulaMethodsTest);

}  // namespace
}  // namespace servertest
