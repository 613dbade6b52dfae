// The price composition formula screen driven through the host as a person would:
// opened from the price table for a customer, rows added, changed and deleted with
// the keys, buttons, pick lists and the factor search, the checks before each post,
// each accepted change saved at once (checked in the database and in the server's
// call log) and undone when the server refuses it, and the recalculation of the
// customer's prices with its questions, wait panel and the reload of the price table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/ui/ui_types.h"
#include "tests/screens/price_table_fixture.h"

namespace screenstest {
namespace {

using platform::VK_DIVIDE;
using platform::VK_ESCAPE;
using platform::VK_F2;
using platform::VK_F3;
using platform::VK_F4;
using platform::VK_TAB;

constexpr const char* kForm = "frmFormCompPreco";
constexpr const char* kFormGrid = "frmFormCompPreco.dbgCompPreClie";
enum FormulaColumn { kColOrder = 0, kColFactor = 1, kColKind = 2, kColValue = 3, kColOperation = 4 };

// kLegal's formula in every test: 001 MKP 30 % add, 002 FRT R$ 1,5 add.
constexpr const char* kSeededText = "Custo + MKP(30,000%) + FRT(R$ 1,500)";
using Texts = std::vector<std::string>;

std::string Format3(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  std::string shown = text;
  shown[shown.find('.')] = ',';
  return shown;
}

class FormulaScreenTest : public PriceTableTest {
 protected:
  void SetUp() override {
    PriceTableTest::SetUp();
    seedLegalFormula();
  }

  // The price table with the customer chosen, then its formula command.
  void openFormula(const TestCustomer& customer = kLegal) {
    openScreen();
    chooseCustomer(customer);
    host().click("frmTabPreClie.sbtFormComp");
    if (host().activeForm() != kForm) throw std::runtime_error("a fórmula não abriu: " + messageText());
  }

  json formulaGrid() const { return host().control(kFormGrid); }
  std::vector<Texts> formulaRows() const { return formulaGrid()["rows"].get<std::vector<Texts>>(); }
  std::string formulaText() const { return host().control("frmFormCompPreco.edtFormula").value("text", ""); }
  std::string gridState() const { return formulaGrid().value("state", ""); }

  // F2, then the order and the factor typed, each cell left with Tab.
  void typeNewFactor(const std::string& order, const std::string& factor) {
    host().key(VK_F2);
    host().type(order);
    host().key(VK_TAB);
    host().type(factor);
    host().key(VK_TAB);
  }

  // typeNewFactor, then the value typed (the kind and the operation keep their
  // defaults); the row is left in insert.
  void typeNewRow(const std::string& order, const std::string& factor, const std::string& value) {
    typeNewFactor(order, factor);
    host().key(VK_TAB);
    host().type(value);
  }

  // Ctrl+Enter as a browser sends it (no character).
  json ctrlEnter() { return host().send({{"type", "key"}, {"vk", 13}, {"ctrl", true}, {"char", nullptr}}); }

  std::size_t saves() const { return serverCalls("SetCompPreco").size(); }
};

// --- opening --------------------------------------------------------------------

class FormulaOpening : public FormulaScreenTest {};

TEST_F(FormulaOpening, ShowsTheCustomersRowsAsTextsTheServersFormulaAndTheCostTypes) {
  openFormula();
  expectModalScreen(kForm, "Fórmula de Composição", "VQR51201", 405, 336);
  json customer = host().control("frmFormCompPreco.edtCliente");
  EXPECT_EQ(customer["text"], kLegal.name);
  EXPECT_FALSE(customer["enabled"]);

  json formula = host().control("frmFormCompPreco.edtFormula");
  EXPECT_EQ(formula["text"], kSeededText);
  EXPECT_EQ(formula["font"], (json{{"bold", true}, {"color", "clBlue"}}));
  EXPECT_FALSE(host().control("frmFormCompPreco.panFormula")["enabled"]) << "the formula text is display only";

  json grid = formulaGrid();
  EXPECT_EQ(formulaRows(), (std::vector<Texts>{{"001", "MKP", "Percentual", "30,000", "+"},
                                               {"002", "FRT", "Moeda", "1,500", "+"}}));
  std::vector<std::string> titles;
  std::vector<int> widths;
  for (const json& c : grid["columns"]) {
    titles.push_back(c["title"]);
    widths.push_back(c["width"]);
  }
  EXPECT_EQ(titles, (Texts{"Ordem", "Fator", "Determinação", "Valor", "Integração"}));
  EXPECT_EQ(widths, (std::vector<int>{41, 38, 85, 56, 64}));
  EXPECT_EQ(grid["columns"][kColFactor]["button"], "ellipsis");
  EXPECT_EQ(grid["columns"][kColKind]["pickList"], (Texts{"Moeda", "Número", "Percentual"}));
  EXPECT_EQ(grid["columns"][kColValue]["titleAlignment"], "right");
  EXPECT_EQ(grid["columns"][kColOperation]["pickList"], (Texts{"+", "-", "x", "÷"}));
  EXPECT_EQ(grid["columns"][kColOperation]["alignment"], "center");
  EXPECT_EQ(grid["columns"][kColOperation]["titleAlignment"], "center");
  EXPECT_FALSE(grid["options"]["indicator"]);
  EXPECT_EQ(grid["color"], "clInfoBk");

  json costTypes = host().control("frmFormCompPreco.cbbTpCusto");
  EXPECT_EQ(costTypes["items"], (Texts{"Custo Médio", "Custo de Reposição", "Último Custo de Compra"}));
  EXPECT_EQ(costTypes["itemIndex"], 0);
  for (const char* b : {"sbtIncluir", "sbtAlterar", "sbtExcluir", "sbtCancel"})
    EXPECT_TRUE(enabled(std::string(kForm) + "." + b)) << b;
  for (const char* b : {"sbtCancelar", "sbtConfirma"}) EXPECT_FALSE(enabled(std::string(kForm) + "." + b)) << b;
  EXPECT_FALSE(host().control("frmFormCompPreco.panEspera")["visible"]);
  json animation = host().control("frmFormCompPreco.anmAnimacao");
  EXPECT_EQ(animation["clip"], "findFile");
  EXPECT_FALSE(animation["active"]);
  EXPECT_EQ(animation["stopFrame"], 8);
  EXPECT_EQ(host().control("frmFormCompPreco.lblMensagem")["caption"], "Racalculando Preços...");
  EXPECT_EQ(host().state()["cursor"], 0);

  auto loads = serverCalls("GetFatPreClie");
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_NE(loads[0].find("cliente=" + kLegal.code), std::string::npos) << loads[0];
}

TEST_F(FormulaOpening, ACustomerWithoutFormulaOpensEmptyWithOnlyTheInsertCommand) {
  openFormula(kNatural);
  EXPECT_EQ(formulaGrid()["rowCount"], 0);
  EXPECT_EQ(formulaText(), "Custo");
  EXPECT_TRUE(enabled("frmFormCompPreco.sbtIncluir"));
  EXPECT_FALSE(enabled("frmFormCompPreco.sbtAlterar"));
  EXPECT_FALSE(enabled("frmFormCompPreco.sbtExcluir"));
  host().key(VK_F3);
  EXPECT_EQ(gridState(), "browse") << "there is no row to change";
}

// --- the checks of a row ------------------------------------------------------------

class RowChecks : public FormulaScreenTest {};

TEST_F(RowChecks, OrderTakesDigitsIsPaddedAndARepeatedOrderIsRefused) {
  openFormula();
  typeNewRow("x7", "DESC", "5");
  EXPECT_EQ(formulaRows()[0][kColOrder], "007");
  ctrlEnter();
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(storedFormula().back(), (Texts{"007", "006", "M", "5.0", "SUM"}));
  EXPECT_EQ(saves(), 1u);

  host().key(VK_F2);
  host().type("7");
  host().key(VK_TAB);
  expectBox("Ordem já cadastrada.");
  EXPECT_EQ(formulaGrid()["col"], kColOrder) << "the order column is not left";
  EXPECT_EQ(gridState(), "insert");
  host().key(VK_ESCAPE);
  expectBox("Cancelar operação?", "btnYes");
  EXPECT_EQ(formulaGrid()["rowCount"], 3);
  EXPECT_EQ(saves(), 1u);
}

TEST_F(RowChecks, FactorMustBeRegisteredAndNewToTheFormulaIgnoringCase) {
  execute("INSERT INTO FATORPRECO VALUES ('011', 'mkp', 'Markup em minúsculas')");
  openFormula();
  host().cell(kFormGrid, 0, kColFactor);
  host().type("X");
  EXPECT_EQ(gridState(), "browse") << "an existing row keeps its factor";

  typeNewFactor("3", "ZZZ");
  expectBox("Fator de Ajuste do Preço não cadastrado.");
  EXPECT_EQ(formulaGrid()["col"], kColFactor);
  host().click("frmFormCompPreco.sbtCancelar");
  expectBox("Cancelar operação?", "btnYes");
  EXPECT_EQ(formulaGrid()["rowCount"], 2);

  typeNewFactor("3", "mkp");
  expectBox("Fator de Ajuste do preço já cadastrado para o cliente informado.");
  EXPECT_EQ(saves(), 0u);
}

TEST_F(RowChecks, PostChecksOrderThenFactorThenValueAndSendNothing) {
  openFormula();
  host().key(VK_F2);
  // Each refusal puts the grid on the column to fill, where the next value is typed.
  const std::vector<std::tuple<const char*, const char*, int>> refusals{
      {"", "Ordem deve ser informada.", kColOrder},
      {"5", "Fator de Ajuste do Preço deve ser informado.", kColFactor},
      {"DESC", "Valor deve ser informado.", kColValue},
      {"0", "Valor deve ser maior que zero.", kColValue}};
  for (const auto& [typed, message, column] : refusals) {
    if (*typed) host().type(typed);
    ctrlEnter();
    expectBox(message);
    EXPECT_EQ(formulaGrid()["col"], column) << message;
  }
  EXPECT_EQ(gridState(), "insert") << "a refused row stays as typed";
  EXPECT_EQ(formulaRows()[0], (Texts{"005", "DESC", "Moeda", "0,000", "+"}));
  EXPECT_EQ(saves(), 0u);
  EXPECT_EQ(storedFormula().size(), 2u);
}

TEST_F(RowChecks, TheValueTakesDigitsAndOneDecimalCommaAsThePriceDoes) {
  openFormula();
  host().cell(kFormGrid, 0, kColValue);
  host().type("1.5-a,2,5");
  EXPECT_EQ(formulaGrid()["editorText"], "15,25") << "\".\", \"-\", letters and a second \",\" are dropped";
  ctrlEnter();
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(storedFormula()[0], (Texts{"001", "001", "P", "15.25", "SUM"}));
}

TEST_F(RowChecks, CodedColumnsTakeTheirKeysAndPickListsAndStoreTheCodes) {
  openFormula();
  host().cell(kFormGrid, 0, kColKind);
  host().key('X', {}, "x");
  EXPECT_EQ(gridState(), "browse") << "x is no determination";
  host().key('N', {.shift = true}, "N");
  EXPECT_EQ(gridState(), "edit");
  EXPECT_EQ(formulaRows()[0][kColKind], "Número");
  host().cell(kFormGrid, 0, kColOperation);
  host().key(VK_DIVIDE, {}, "/");
  host().key(187, {.shift = true}, "+");  // the main keyboard's + is no operation
  host().key(189, {}, "-");
  EXPECT_EQ(formulaRows()[0][kColOperation], "÷");
  ctrlEnter();
  EXPECT_EQ(storedFormula()[0], (Texts{"001", "001", "N", "30.0", "DIV"}));
  EXPECT_EQ(formulaText(), "Custo ÷ MKP(30,000) + FRT(R$ 1,500)");

  host().cell(kFormGrid, 0, kColKind);
  host().key('P', {}, "p");
  EXPECT_EQ(formulaRows()[0][kColKind], "Percentual");
  host().cell(kFormGrid, 0, kColOperation);
  host().pick(kFormGrid, "x");
  ctrlEnter();
  EXPECT_EQ(storedFormula()[0], (Texts{"001", "001", "P", "30.0", "MUL"}));
  EXPECT_EQ(saves(), 2u);
}

// --- the screen's keys ----------------------------------------------------------------

class ScreenKeys : public FormulaScreenTest {};

TEST_F(ScreenKeys, EnterWhileBrowsingAsksForTheRecalculationThoughConfirmIsDisabled) {
  openFormula();
  ASSERT_FALSE(enabled("frmFormCompPreco.sbtConfirma"));
  host().key(platform::VK_RETURN);
  expectBox("Deseja recalcular o preço dos produtos para o cliente informado?", "btnNo");
  EXPECT_TRUE(serverCalls("SetCalcCusProd").empty());
  EXPECT_TRUE(statesWithWaitPanel(kForm).empty()) << "the wait panel showed";
  EXPECT_EQ(host().activeForm(), kForm);
}

TEST_F(ScreenKeys, EscapeAsksBeforeDiscardingAnEditAndClosesWhileBrowsing) {
  openFormula();
  host().cell(kFormGrid, 0, kColValue);
  host().type("12");
  host().key(VK_ESCAPE);
  expectBox("Cancelar operação?", "btnNo");
  EXPECT_EQ(gridState(), "edit");
  EXPECT_EQ(formulaGrid()["editorText"], "12") << "the typed value stays";
  host().key(VK_ESCAPE);
  expectBox("Cancelar operação?", "btnYes");
  EXPECT_EQ(gridState(), "browse");
  EXPECT_EQ(formulaRows()[0][kColValue], "30,000");
  host().key(VK_ESCAPE);
  EXPECT_TRUE(host().window(kForm).is_null()) << "Escape while browsing closes the screen";
  EXPECT_EQ(saves(), 0u);
}

TEST_F(ScreenKeys, ClosingWhileEditingAsksAndNoKeepsTheRow) {
  openFormula();
  typeNewRow("3", "DESC", "5");
  host().click("frmFormCompPreco.sbtCancel");
  expectBox("Cancelar operação?", "btnNo");
  EXPECT_EQ(host().activeForm(), kForm);
  EXPECT_EQ(gridState(), "insert");
  EXPECT_EQ(formulaRows()[0][kColFactor], "DESC");
  host().close(kForm);
  expectBox("Cancelar operação?", "btnYes");
  EXPECT_TRUE(host().window(kForm).is_null());
  EXPECT_EQ(saves(), 0u);
  EXPECT_EQ(storedFormula().size(), 2u);
}

TEST_F(ScreenKeys, FunctionKeysRunTheRowCommandsAndCtrlDeleteDeletesOneRow) {
  openFormula();
  const std::string s = std::string(kForm) + ".";
  host().key(VK_F2);
  EXPECT_EQ(gridState(), "insert");
  EXPECT_EQ(formulaGrid()["col"], kColOrder);
  for (const char* b : {"sbtIncluir", "sbtAlterar", "sbtExcluir"}) EXPECT_FALSE(enabled(s + b)) << b;
  EXPECT_TRUE(enabled(s + "sbtCancelar"));
  EXPECT_TRUE(enabled(s + "sbtConfirma"));
  host().click(s + "sbtCancelar");
  expectBox("Cancelar operação?", "btnYes");
  EXPECT_EQ(formulaGrid()["rowCount"], 2) << "the new row is gone";

  host().cell(kFormGrid, 1, kColOrder);
  host().key(VK_F3);
  EXPECT_EQ(gridState(), "edit");
  EXPECT_EQ(formulaGrid()["col"], kColValue) << "the change starts where an existing row can change";
  EXPECT_TRUE(formulaGrid()["editorMode"]);
  host().key(VK_ESCAPE);
  expectBox("Cancelar operação?", "btnYes");

  host().key(VK_F4);
  expectBox("Confirma exclusão?", "btnNo");
  EXPECT_EQ(formulaGrid()["rowCount"], 2);
  host().key(platform::VK_DELETE, {.ctrl = true});
  expectBox("Confirma exclusão?", "btnYes");
  EXPECT_FALSE(host().messageBox()) << "a second question: " << messageText();
  EXPECT_EQ(formulaRows(), (std::vector<Texts>{{"001", "MKP", "Percentual", "30,000", "+"}}));
  EXPECT_EQ(storedFormula().size(), 1u);
  EXPECT_EQ(saves(), 1u);
}

// --- saving each change ------------------------------------------------------------------

class FormulaSaving : public FormulaScreenTest {};

TEST_F(FormulaSaving, EachAcceptedChangeIsOneCallAndTheFormulaTextFollowsTheServer) {
  openFormula();
  host().key(VK_F2);
  host().type("3");
  host().key(VK_TAB);
  host().editButton(kFormGrid);
  json list = host().control("dlgPesquisa.dbgPesquisa");
  ASSERT_FALSE(list.is_null()) << messageText();
  EXPECT_EQ(host().window("dlgPesquisa").value("caption", ""), "Fator de Ajuste do Preço");
  int desc = -1;
  for (std::size_t i = 0; i < list["rows"].size(); ++i)
    if (list["rows"][i][0] == "DESC") desc = static_cast<int>(i);
  ASSERT_GE(desc, 0);
  host().cell("dlgPesquisa.dbgPesquisa", desc, 0);
  host().click("dlgPesquisa.btnOK");
  EXPECT_EQ(formulaRows()[0][kColFactor], "DESC");
  host().key(VK_TAB);
  host().key(VK_TAB);
  host().type("5");
  host().key(VK_TAB);
  host().pick(kFormGrid, "-");
  ctrlEnter();
  EXPECT_EQ(formulaText(), "Custo + MKP(30,000%) + FRT(R$ 1,500) - DESC(R$ 5,000)");
  EXPECT_FALSE(formulaGrid()["editorMode"]);

  host().cell(kFormGrid, 0, kColValue);
  host().type("35");
  ctrlEnter();
  EXPECT_EQ(formulaText(), "Custo + MKP(35,000%) + FRT(R$ 1,500) - DESC(R$ 5,000)");
  host().cell(kFormGrid, 1, kColValue);
  host().click("frmFormCompPreco.sbtExcluir");
  expectBox("Confirma exclusão?", "btnYes");
  EXPECT_EQ(formulaText(), "Custo + MKP(35,000%) - DESC(R$ 5,000)");

  EXPECT_EQ(storedFormula(), (std::vector<Texts>{{"001", "001", "P", "35.0", "SUM"}, {"003", "006", "M", "5.0", "SUB"}}));
  auto calls = serverCalls("SetCompPreco");
  ASSERT_EQ(calls.size(), 3u);
  for (const std::string& call : calls) EXPECT_NE(call.find(" ok"), std::string::npos) << call;
}

TEST_F(FormulaSaving, ARefusedRowStaysInEditUntilCancelledAndARefusedDeletionComesBack) {
  openFormula();
  // Another client changed FRT and added an order 003 since the screen loaded.
  execute("UPDATE COMPPRECLIE SET VRFATPRECLIE = 2 WHERE CDCLIENTE = '" + kLegal.code + "' AND NRORDEMFAT = '002'");
  execute("INSERT INTO COMPPRECLIE VALUES ('" + kLegal.code + "', '002', '003', 'P', 18, 'SUM')");
  const std::string stale = "O fator da ordem 002 foi alterado por outro usuário. Recarregue a fórmula.";

  host().cell(kFormGrid, 1, kColValue);
  host().type("9");
  ctrlEnter();
  expectBox(stale);
  EXPECT_EQ(gridState(), "edit") << "the refused row keeps what was typed";
  EXPECT_EQ(formulaRows()[1], (Texts{"002", "FRT", "Moeda", "9,000", "+"}));
  host().key(VK_ESCAPE);
  expectBox("Cancelar operação?", "btnYes");
  EXPECT_EQ(formulaRows()[1], (Texts{"002", "FRT", "Moeda", "1,500", "+"})) << "cancelling brings its values back";

  typeNewRow("3", "DESC", "5");
  ctrlEnter();
  expectBox("Ordem já cadastrada.");
  EXPECT_EQ(gridState(), "insert");
  EXPECT_EQ(formulaGrid()["rowCount"], 3);
  EXPECT_EQ(formulaRows()[formulaGrid()["row"].get<std::size_t>()], (Texts{"003", "DESC", "Moeda", "5,000", "+"}))
      << "the refused new row is still there";
  ctrlEnter();
  expectBox("Ordem já cadastrada.");  // each attempt goes to the server again
  host().click("frmFormCompPreco.sbtCancelar");
  expectBox("Cancelar operação?", "btnYes");
  EXPECT_EQ(formulaGrid()["rowCount"], 2) << "the new row goes only when cancelled";

  host().cell(kFormGrid, 1, kColValue);
  host().click("frmFormCompPreco.sbtExcluir");
  expectBox("Confirma exclusão?", "btnYes");
  expectBox(stale);
  EXPECT_EQ(formulaRows(), (std::vector<Texts>{{"001", "MKP", "Percentual", "30,000", "+"},
                                               {"002", "FRT", "Moeda", "1,500", "+"}}))
      << "the deleted row comes back";
  EXPECT_EQ(formulaText(), kSeededText);
  EXPECT_EQ(gridState(), "browse");
  EXPECT_EQ(host().state()["cursor"], 0);
  EXPECT_TRUE(host().state()["wait"].is_null());
  EXPECT_EQ(storedFormula(), (std::vector<Texts>{{"001", "001", "P", "30.0", "SUM"},
                                                 {"002", "005", "M", "2.0", "SUM"},
                                                 {"003", "002", "P", "18.0", "SUM"}}));
  auto calls = serverCalls("SetCompPreco");
  ASSERT_EQ(calls.size(), 4u);
  for (const std::string& call : calls) EXPECT_NE(call.find("recusado"), std::string::npos) << call;
}

// --- the recalculation -------------------------------------------------------------------

class Recalculation : public FormulaScreenTest {
 protected:
  using Prices = std::map<std::string, double>;
  Prices storedPrices(const TestCustomer& customer) const {
    Prices prices;
    for (const Texts& row : query("SELECT CDPRODUTO, VRPRECOPROD FROM TABPRECLIE WHERE CDCLIENTE = ?", {customer.code}))
      prices[row[0]] = std::stod(row[1]);
    return prices;
  }

  void startRecalculation() {
    host().key(platform::VK_RETURN);
    expectBox("Deseja recalcular o preço dos produtos para o cliente informado?", "btnYes");
  }
};

TEST_F(Recalculation, ConfirmingWhileEditingSavesTheRowFirstOrStopsAtItsCheck) {
  openFormula();
  host().cell(kFormGrid, 0, kColValue);
  host().type("0");
  host().click("frmFormCompPreco.sbtConfirma");
  expectBox("Valor deve ser maior que zero.");
  EXPECT_EQ(gridState(), "edit") << "no question while the row is refused";

  host().key(platform::VK_BACK);
  host().type("40");
  host().click("frmFormCompPreco.sbtConfirma");
  expectBox("Deseja recalcular o preço dos produtos para o cliente informado?", "btnNo");
  EXPECT_EQ(storedFormula()[0], (Texts{"001", "001", "P", "40.0", "SUM"})) << "the typed row is never lost";
  EXPECT_EQ(saves(), 1u);
  EXPECT_TRUE(serverCalls("SetCalcCusProd").empty());
}

TEST_F(Recalculation, AZeroOrNegativeResultShowsTheCatalogTextAndWritesNothing) {
  execute("UPDATE COMPPRECLIE SET VRFATPRECLIE = 1000, IDTPOPERFATCLIE = 'SUB' WHERE CDCLIENTE = '" + kLegal.code +
          "' AND NRORDEMFAT = '002'");
  openFormula();
  const Prices before = storedPrices(kLegal);
  const std::size_t loads = serverCalls("GetPrecoProd").size();
  startRecalculation();
  expectZeroPriceRefusal(kForm);
  EXPECT_EQ(storedPrices(kLegal), before);
  host().click("frmFormCompPreco.sbtCancel");
  EXPECT_EQ(serverCalls("GetPrecoProd").size(), loads) << "nothing to reload after a refused recalculation";
}

TEST_F(Recalculation, RepricesEveryLeafWithACostShowsTheWaitPanelAndTheTableReloads) {
  const std::string keptProduct = leafProduct(1);  // no last purchase cost: its price stays
  execute("DELETE FROM CUSTOPRODUTO WHERE CDPRODUTO = '" + keptProduct + "' AND NRTIPOCUSTO = 3");
  execute("INSERT INTO COMPPRECLIE VALUES ('" + kLegal.code + "', '006', '003', 'P', 5, 'SUB')");
  const Prices otherBefore = storedPrices(kNatural);
  openFormula();
  host().select("frmFormCompPreco.cbbTpCusto", 2);  // Último Custo de Compra, number 3
  const std::size_t loads = serverCalls("GetPrecoProd").size();
  startRecalculation();
  expectBox("Recálculo de preços realizado com sucesso.");
  EXPECT_TRUE(host().window(kForm).is_null()) << "the screen closes after the success";

  expectWaitPanelDuringTheWrite(kForm);
  // The formula worked out exactly: a cost of C cents gives ((C/100 * 1,3) + 1,5) * 0,95,
  // that is (13C + 1500) * 95 / 100000, rounded to thousandths half away from zero.
  std::map<std::string, double> expected;
  for (const Texts& row : query("SELECT P.CDPRODUTO, C.VRCUSTO FROM PRODUTO P JOIN CUSTOPRODUTO C ON C.CDPRODUTO = "
                                "P.CDPRODUTO AND C.CDFILIAL = '001' AND C.NRTIPOCUSTO = 3 WHERE P.NRNIVEL = 3")) {
    const long long cents = std::llround(std::stod(row[1]) * 100);
    const long long exact = (13 * cents + 1500) * 95;  // in 1/100000
    expected[row[0]] = static_cast<double>((exact + 50) / 100) / 1000;
  }
  Prices stored = storedPrices(kLegal);
  ASSERT_EQ(stored.size(), expected.size() + 1) << "every leaf with that cost, and the one without kept";
  for (const auto& [product, price] : expected) EXPECT_NEAR(stored[product], price, 1e-9) << product;
  EXPECT_DOUBLE_EQ(stored[keptProduct], kSeededPrice1);
  auto dated = storedPrice(kLegal.code, leafProduct(0));
  ASSERT_TRUE(dated);
  EXPECT_EQ(dated->start, "2026-01-01") << "an overwritten price keeps its dates";
  EXPECT_EQ(storedPrices(kNatural), otherBefore);

  EXPECT_EQ(host().focusPath(), kGrid);
  EXPECT_GT(serverCalls("GetPrecoProd").size(), loads) << "the price table reloads at once";
  EXPECT_EQ(gridText(0, kColPrice), Format3(expected[leafProduct(0)]));
  auto recalcs = serverCalls("SetCalcCusProd");
  ASSERT_EQ(recalcs.size(), 1u);
  EXPECT_NE(recalcs[0].find("cliente=" + kLegal.code), std::string::npos);
}

}  // namespace
}  // namespace screenstest
