// The preview of a recalculation and of a copy, the price history and the undo of a
// batch, driven through the host as a person would: the windows open from the formula,
// copy and price table screens, show what the server previews or recorded, and the
// undo brings the old prices back to the price table.
#include <gtest/gtest.h>

#include "platform/text/float_format.h"
#include "platform/ui/ui_types.h"
#include "tests/screens/price_table_fixture.h"

namespace screenstest {
namespace {

using Texts = std::vector<std::string>;

constexpr const char* kPreview = "frmPrevia";
constexpr const char* kHistory = "frmHistPreco";

class Repricing : public PriceTableTest {
 protected:
  void SetUp() override {
    PriceTableTest::SetUp();
    seedLegalFormula();
  }
  std::string summary() const { return host().control("frmPrevia.lblResumo").value("caption", ""); }
  std::vector<Texts> rows(const std::string& grid) const { return host().control(grid)["rows"].get<std::vector<Texts>>(); }
  std::string count(const std::string& sql) const { return query(sql)[0][0]; }
  void openFormula() {
    openScreen();
    chooseCustomer(kLegal);
    host().click("frmTabPreClie.sbtFormComp");
    ASSERT_EQ(host().activeForm(), "frmFormCompPreco") << messageText();
  }
  void recalculate() {
    host().click("frmFormCompPreco.sbtConfirma");
    host().key(platform::VK_RETURN);
    expectBox("Deseja recalcular o preço dos produtos para o cliente informado?", "btnYes");
    expectBox("Recálculo de preços realizado com sucesso.");
  }
};

TEST_F(Repricing, TheRecalculationPreviewShowsWhatTheRecalculationThenWritesAndWritesNothing) {
  const std::string pricesBefore = count("SELECT COUNT(*) || '/' || SUM(VRPRECOPROD) FROM TABPRECLIE");
  openFormula();
  EXPECT_EQ(host().control("frmFormCompPreco.sbtPrevia")["hint"], "Prévia do recálculo");
  EXPECT_EQ(host().control("frmFormCompPreco.sbtPrevia")["bounds"][0], 73);
  host().click("frmFormCompPreco.sbtPrevia");
  ASSERT_EQ(host().activeForm(), kPreview) << messageText();
  EXPECT_EQ(host().window(kPreview)["caption"], "Prévia");
  EXPECT_EQ(count("SELECT COUNT(*) || '/' || SUM(VRPRECOPROD) FROM TABPRECLIE"), pricesBefore);
  EXPECT_EQ(count("SELECT COUNT(*) FROM TABPRECLIELOTE"), "0");
  const std::string shown = summary();
  const std::vector<Texts> firstRows = rows("frmPrevia.dbgPrevia");
  ASSERT_FALSE(firstRows.empty());
  host().click("frmPrevia.sbtCancel");
  ASSERT_EQ(host().activeForm(), "frmFormCompPreco");

  recalculate();
  const std::string created = count("SELECT COUNT(*) FROM TABPRECLIEHIST WHERE IDORIGALT = 'R' AND VRPRECOANT IS NULL");
  const std::string changed = count("SELECT COUNT(*) FROM TABPRECLIEHIST WHERE IDORIGALT = 'R' AND VRPRECOANT IS NOT NULL");
  EXPECT_EQ(shown.rfind("Preços a criar: " + created + " | a alterar: " + changed + " | sem alteração: ", 0), 0u)
      << shown;
  // The first row previewed is the largest change, now stored.
  const Texts& top = firstRows[0];
  auto stored = query("SELECT H.VRPRECOANT, H.VRPRECONOV FROM TABPRECLIEHIST H JOIN PRODUTO P ON P.CDPRODUTO = "
                      "H.CDPRODUTO WHERE H.IDORIGALT = 'R' AND P.NMPRODUTO = ?",
                      {top[2]});
  ASSERT_EQ(stored.size(), 1u) << top[2];
  std::string newPrice;
  for (char c : top[4])
    if (c != '.') newPrice += c == ',' ? '.' : c;
  EXPECT_NEAR(std::stod(stored[0][1]), std::stod(newPrice), 1e-9);
}

TEST_F(Repricing, ARecalculationAfterItsPreviewListsThePriceAnotherClerkChangedSinceAndWritesItAllTheSame) {
  openFormula();
  host().click("frmFormCompPreco.sbtPrevia");
  ASSERT_EQ(host().activeForm(), kPreview) << messageText();
  host().click("frmPrevia.sbtCancel");
  saveAsAnotherClerk("joana", leafProduct(1), 9);

  recalculate();
  ASSERT_EQ(host().activeForm(), "frmAlteradosPrevia") << messageText();
  EXPECT_EQ(host().window("frmAlteradosPrevia")["caption"], "Alterados desde a prévia");
  EXPECT_EQ(host().control("frmAlteradosPrevia.lblResumo").value("caption", ""),
            "Alterados por outras gravações desde a prévia: 1\n"
            "O comando gravou sobre essas alterações os preços da coluna \"Preço gravado\".");
  const auto shown = rows("frmAlteradosPrevia.dbgAlterados");
  ASSERT_EQ(shown.size(), 1u);
  const auto written = storedPrice(kLegal.code, leafProduct(1));
  ASSERT_TRUE(written);
  EXPECT_NE(written->price, 9) << "the recalculation wrote over the change";
  EXPECT_EQ(shown[0][0], kLegal.name);
  EXPECT_EQ(shown[0][3], "joana");
  EXPECT_EQ(shown[0][4].size(), 16u) << "dd/mm/yyyy hh:nn: " << shown[0][4];
  EXPECT_EQ(shown[0][5], "9,000");
  EXPECT_EQ(shown[0][6], platform::FormatFloat("###,#0.000", written->price));
  host().click("frmAlteradosPrevia.sbtCancel");
  EXPECT_EQ(host().activeForm(), kScreen) << "the formula screen closed after the recalculation";
}

TEST_F(Repricing, ABlockedPreviewShowsTheRefusalAndTheProductsThatCauseIt) {
  execute("UPDATE COMPPRECLIE SET VRFATPRECLIE = 1000, IDTPOPERFATCLIE = 'SUB' WHERE CDCLIENTE = '" + kLegal.code +
          "' AND NRORDEMFAT = '002'");
  openFormula();
  host().click("frmFormCompPreco.sbtPrevia");
  ASSERT_EQ(host().activeForm(), kPreview) << messageText();
  EXPECT_EQ(summary(),
            "Operação Cancelada. A aplicação da fórmula faria com que alguns produtos ficassem com preço zerado ou "
            "negativo.");
  auto shown = rows("frmPrevia.dbgPrevia");
  ASSERT_FALSE(shown.empty());
  for (const Texts& row : shown) EXPECT_EQ(row[0], "Bloqueado");
  EXPECT_EQ(count("SELECT COUNT(*) FROM TABPRECLIELOTE"), "0");
}

TEST_F(Repricing, TheCopyPreviewCountsTheTargetCustomers) {
  openScreen();
  chooseCustomer(kLegal);
  host().click("frmTabPreClie.sbtCopiaDados");
  ASSERT_EQ(host().activeForm(), "frmCopiaDados");
  EXPECT_EQ(host().control("frmCopiaDados.sbtPrevia")["hint"], "Prévia da cópia");
  host().click("frmCopiaDados.sbtPrevia");
  ASSERT_EQ(host().activeForm(), kPreview) << messageText();
  const std::string others = std::to_string(std::stoi(count("SELECT COUNT(*) FROM CLIENTE")) - 1);
  EXPECT_NE(summary().find("| clientes: " + others), std::string::npos) << summary();
  EXPECT_EQ(count("SELECT COUNT(*) FROM COMPPRECLIELOTE"), "0");
}

TEST_F(Repricing, TheHistoryShowsTheRecalculationAndItsUndoBringsTheOldPricesBack) {
  openScreen();
  EXPECT_EQ(host().control("frmTabPreClie.sbtHistorico")["hint"], "Histórico de Preços");
  EXPECT_EQ(host().control("frmTabPreClie.sbtHistorico")["bounds"], json({223, 4, 21, 21}));
  json manutencao;
  const json screen = host().window(kScreen);
  for (const json& item : screen["menu"])
    if (item["name"] == "mnuManutencao") manutencao = item["items"];
  ASSERT_GE(manutencao.size(), 9u);
  EXPECT_EQ(manutencao[8]["caption"], "&Histórico de Preços");
  host().click("frmTabPreClie.sbtHistorico");
  expectBox("Cliente deve ser informado.");

  chooseCustomer(kLegal);
  const std::string before = gridText(0, kColPrice);
  host().click("frmTabPreClie.sbtFormComp");
  recalculate();
  host().click("frmTabPreClie.sbtFormComp");
  host().click("frmFormCompPreco.sbtCancel");
  ASSERT_NE(gridText(0, kColPrice), before) << "the recalculation changed the first product";

  host().cell(kGrid, 0, kColName);
  host().click("frmTabPreClie.mnuHistorico");
  ASSERT_EQ(host().activeForm(), kHistory) << messageText();
  EXPECT_EQ(host().window(kHistory)["caption"], "Histórico de Preços");
  EXPECT_TRUE(host().control("frmHistPreco.rbtProduto")["checked"]);
  auto shown = rows("frmHistPreco.dbgHistorico");
  ASSERT_EQ(shown.size(), 1u) << "the first product changed once";
  EXPECT_EQ(shown[0][1], "Recálculo");
  EXPECT_EQ(shown[0][3], vqrtest::kTestUser) << "who recalculated";
  EXPECT_EQ(shown[0][6], before);
  host().click("frmHistPreco.rbtTodosProd");
  EXPECT_GT(host().control("frmHistPreco.dbgHistorico")["rowCount"].get<int>(), 1);

  host().click("frmHistPreco.sbtDesfazer");
  ASSERT_TRUE(host().messageBox());
  const std::string question = host().messageBox()->value("text", "");
  EXPECT_EQ(question.rfind("Desfazer o lote 1 (Recálculo de ", 0), 0u) << question;
  EXPECT_NE(question.find(" por teste, "), std::string::npos) << "the question names who ran the batch: " << question;
  host().answer("btnYes");
  const std::string changed = count("SELECT COUNT(*) FROM TABPRECLIEHIST WHERE IDORIGALT = 'R'");
  expectBox("Preços restaurados: " + changed + ".");
  EXPECT_EQ(rows("frmHistPreco.dbgHistorico")[0][1], "Desfazer");
  host().click("frmHistPreco.sbtDesfazer");
  EXPECT_FALSE(enabled("frmHistPreco.sbtDesfazer")) << "an undo is not undone";
  host().click("frmHistPreco.sbtCancel");
  EXPECT_EQ(gridText(0, kColPrice), before) << "the price table shows the old prices again";
}

TEST_F(Repricing, TheUndoOfACopyNamesTheCustomersItReachesBeforeRestoringAnything) {
  openScreen();
  chooseCustomer(kLegal);
  auto codeOf = [this](int leaf) {
    return query("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = ?", {leafProduct(leaf)})[0][0];
  };
  host().click("frmTabPreClie.sbtCopiaDados");
  ASSERT_EQ(host().activeForm(), "frmCopiaDados") << messageText();
  host().click("frmCopiaDados.rbtPreco");
  host().click("frmCopiaDados.chkSubstituir");
  for (auto [edit, leaf] : {std::pair{"frmCopiaDados.medProdIni", 0}, {"frmCopiaDados.medProdFin", 1}}) {
    host().focus(edit);
    host().type(codeOf(leaf));
    host().key(platform::VK_TAB);
  }
  host().click("frmCopiaDados.sbtConfirma");
  expectBox("Confirmar cópia dos preços?", "btnYes");
  expectBox("Cópia de dados realizada com sucesso.");
  const auto reached = query("SELECT DISTINCT C.NMRAZSOCCLIE, C.CDCLIENTE FROM TABPRECLIEHIST H JOIN CLIENTE C ON "
                             "C.CDCLIENTE = H.CDCLIENTE WHERE H.IDORIGALT = 'C' ORDER BY 1, 2");
  ASSERT_GT(reached.size(), 10u) << "every other customer is a target";

  host().focus(kNumber);
  host().type(kNatural.number);
  host().key(platform::VK_TAB);
  host().click("frmTabPreClie.sbtHistorico");
  ASSERT_EQ(host().activeForm(), kHistory) << messageText();
  host().click("frmHistPreco.rbtTodosProd");
  host().click("frmHistPreco.sbtDesfazer");
  const std::string question = messageText();
  EXPECT_EQ(question.rfind("Desfazer o lote 1 (Cópia de ", 0), 0u) << question;
  std::string names = "Clientes do lote:";
  for (std::size_t i = 0; i < 10; ++i) names += "\n" + reached[i][0];
  names += "\ne mais " + std::to_string(reached.size() - 10) + " clientes.";
  const std::string prices = count("SELECT COUNT(*) FROM TABPRECLIEHIST WHERE IDORIGALT = 'C'");
  EXPECT_NE(question.find(", " + prices + " preços de " + std::to_string(reached.size()) + " clientes)?"),
            std::string::npos)
      << question;
  EXPECT_EQ(question.substr(question.find("Clientes do lote:")), names) << "the first ten by name, then a count";
  host().answer("btnNo");
  EXPECT_EQ(count("SELECT COUNT(*) FROM TABPRECLIE WHERE CDCLIENTE = '" + kNatural.code + "'"), "2")
      << "nothing restored before the person agrees";
  EXPECT_TRUE(serverCalls("SetDesfazLote").empty());
}

TEST_F(Repricing, TheHistoryComesAPageAtATimeAsThePersonReachesItsEndAndCtrlEndReadsTheRest) {
  // 250 manual changes of the first product, one a minute, newest last, numbered across
  // 2^31: the next page starts past a 32-bit integer.
  std::string values;
  const std::int64_t first = (std::int64_t{1} << 31) - 50;
  for (int i = 0; i < 250; ++i)
    values += std::string(values.empty() ? "" : ", ") + "(" + std::to_string(first + i) + ", '" + kLegal.code +
              "', '" + leafProduct(0) + "', " +
              std::to_string(i + 1) + ", " + std::to_string(i + 2) + ", 'M', '2026-01-01T" +
              (i / 60 < 10 ? "0" : "") + std::to_string(i / 60) + ":" + (i % 60 < 10 ? "0" : "") +
              std::to_string(i % 60) + ":00', 'teste')";
  execute("INSERT INTO TABPRECLIEHIST (NRSEQHIST, CDCLIENTE, CDPRODUTO, VRPRECOANT, VRPRECONOV, IDORIGALT, DTHRALT, "
          "CDUSUARIO) VALUES " + values);
  openScreen();
  chooseCustomer(kLegal);
  host().click("frmTabPreClie.sbtHistorico");
  ASSERT_EQ(host().activeForm(), kHistory) << messageText();
  const std::string grid = "frmHistPreco.dbgHistorico";
  auto rowCount = [&] { return host().control(grid)["rowCount"].get<int>(); };
  EXPECT_EQ(rowCount(), 100);
  EXPECT_EQ(rows(grid)[0][7], "251,000") << "the newest change first";
  const std::size_t pages = serverCalls("GetHistPreco").size();
  for (int press = 0; press < 20 && host().control(grid)["row"] != 99; ++press) host().key(platform::VK_NEXT);
  EXPECT_EQ(rowCount(), 200) << "reaching the last row loaded brings the next page";
  EXPECT_EQ(host().control(grid)["row"], 99) << "the row reached stays the current one";
  host().key(platform::VK_END, {.ctrl = true});
  EXPECT_EQ(rowCount(), 250);
  EXPECT_EQ(host().control(grid)["row"], 249) << "one Ctrl+End reaches the oldest change";
  host().key(platform::VK_END, {.ctrl = true});
  EXPECT_EQ(rowCount(), 250);
  EXPECT_EQ(serverCalls("GetHistPreco").size(), pages + 2) << "no call once the last page came";
  EXPECT_EQ(rows(grid).back()[7], "2,000") << "the oldest change last";
  EXPECT_FALSE(enabled("frmHistPreco.sbtDesfazer")) << "a manual change is no batch";
}

}  // namespace
}  // namespace screenstest
