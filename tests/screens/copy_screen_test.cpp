// The data copy screen driven through the host as a person would: opened from the
// price table for the source customer, the target customers chosen (all, or a list
// marked in the multiple-choice list), the product range searched, typed and checked,
// the validity period checked, and both copies confirmed, each checked in the database
// and in the arguments the host sent to the server.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "platform/ui/ui_types.h"
#include "tests/screens/price_table_fixture.h"

namespace screenstest {
namespace {

using platform::VK_TAB;
using Texts = std::vector<std::string>;

constexpr const char* kForm = "frmCopiaDados";
constexpr const char* kList = "dlgPesquisaLista";
constexpr const char* kListGrid = "dlgPesquisaLista.dbgPesquisa";
constexpr const char* kFormulaQuestion =
    "A cópia da fórmula de composição ocasionará o recálculo dos preços dos produtos para os clientes seloecionados. "
    "Deseja continuar?";
constexpr const char* kPriceQuestion = "Confirmar cópia dos preços?";

std::string At(const char* control) { return std::string(kForm) + "." + control; }

// A sent argument as a text: integers marked with "#", so a kind mix-up shows.
Texts Shown(const std::vector<platform::Variant>& args) {
  Texts texts;
  for (const platform::Variant& a : args)
    texts.push_back(a.kind() == platform::Variant::Kind::Integer ? "#" + a.toString() : a.toString());
  return texts;
}

class CopyScreenTest : public PriceTableTest {
 protected:
  CopyScreenTest() { recordCalls_ = true; }

  void SetUp() override {
    PriceTableTest::SetUp();
    seedLegalFormula();
  }

  // The price table with the source chosen, then its copy command.
  void openCopy() {
    openScreen();
    chooseCustomer(kLegal);
    host().click("frmTabPreClie.sbtCopiaDados");
    if (host().activeForm() != kForm) throw std::runtime_error("a cópia não abriu: " + messageText());
  }

  json at(const char* control) const { return host().control(At(control)); }
  bool on(const char* control) const { return enabled(At(control)); }

  // Confirms and expects the check's message, with the focus left on `focus`.
  void expectRefusal(const std::string& text, const char* focus) {
    host().click(At("sbtConfirma"));
    expectBox(text);
    EXPECT_EQ(host().focusPath(), At(focus)) << text;
  }

  // Confirms and answers the question with No: every check passed, nothing is sent.
  void expectQuestion(const std::string& question) {
    host().click(At("sbtConfirma"));
    expectBox(question, "btnNo");
    EXPECT_EQ(host().activeForm(), kForm);
  }

  void typeInto(const char* control, const std::string& text) {
    host().focus(At(control));
    host().type(text);
  }
  void typeCode(const char* control, const std::string& code) {
    typeInto(control, code);
    host().key(VK_TAB);
  }

  void chooseList(const std::vector<const TestCustomer*>& customers) { PriceTableTest::chooseList(kForm, customers); }

  // The display text of a cell of a grid among its rendered rows.
  std::string gridTextOf(const char* grid, int row, int col) const {
    json g = host().control(grid);
    return g["rows"][static_cast<std::size_t>(row - g.value("topRow", 0))][static_cast<std::size_t>(col)];
  }

  std::string leafCode(int index) const {
    return query("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = ?", {leafProduct(index)})[0][0];
  }
  std::string branch() const { return query("SELECT MIN(CDFILIAL) FROM FILIAL")[0][0]; }

  // A customer's special prices: product -> price, start, end.
  std::map<std::string, Texts> storedPrices(const std::string& customer) const {
    std::map<std::string, Texts> prices;
    for (const Texts& row : query("SELECT CDPRODUTO, VRPRECOPROD, COALESCE(DTVALINI, ''), COALESCE(DTVALFIN, '') "
                                  "FROM TABPRECLIE WHERE CDCLIENTE = ?",
                                  {customer}))
      prices[row[0]] = {row[1], row[2], row[3]};
    return prices;
  }
  // Every special price and formula row of the customers other than those given.
  std::vector<Texts> othersData(const std::set<std::string>& except) const {
    std::vector<Texts> rows;
    for (const char* sql : {"SELECT CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN FROM TABPRECLIE",
                            "SELECT CDCLIENTE, NRORDEMFAT, CDFATPRECO, VRFATPRECLIE FROM COMPPRECLIE"})
      for (Texts& row : query(std::string(sql) + " ORDER BY 1, 2"))
        if (!except.count(row[0])) rows.push_back(std::move(row));
    return rows;
  }
};

// --- opening and the two modes --------------------------------------------------------

class CopyOpening : public CopyScreenTest {};

TEST_F(CopyOpening, ShowsTheSourceAndItsFormulaInFormulaModeWithTheLayout) {
  openCopy();
  expectModalScreen(kForm, "Cópia de Dados", "VQR51202", 410, 344);
  EXPECT_EQ(at("edtNmCliente")["text"], kLegal.name);
  EXPECT_FALSE(at("edtNmCliente")["enabled"]);
  EXPECT_EQ(at("lblFormula")["caption"], "Custo + MKP(30,000%) + FRT(R$ 1,500)");
  EXPECT_EQ(at("lblFormula")["font"], (json{{"bold", true}, {"color", "clBlue"}}));
  EXPECT_EQ(at("cbbTpCusto")["items"], (Texts{"Custo Médio", "Custo de Reposição", "Último Custo de Compra"}));
  EXPECT_EQ(at("cbbTpCusto")["itemIndex"], 0);
  EXPECT_TRUE(at("rbtFormula")["checked"]);
  EXPECT_TRUE(at("rbtTodos")["checked"]);
  EXPECT_FALSE(on("btpPesqClie"));
  EXPECT_EQ(at("btpPesqClie")["associate"], "rbtLista");
  EXPECT_EQ(at("grbClieDest")["bounds"], (json{6, 100, 129, 81}));
  EXPECT_EQ(at("grbValidade")["bounds"], (json{139, 100, 209, 81}));
  EXPECT_EQ(at("GroupBox2")["bounds"], (json{6, 183, 342, 75}));
  EXPECT_EQ(at("grbFormula")["bounds"], (json{6, 260, 342, 81}));
  EXPECT_EQ(at("edtNmProdIni")["bounds"][2], 170) << "the rest of the row its label opens";
  EXPECT_EQ(at("lblProdIni")["caption"], "Inicial");
  EXPECT_EQ(at("lblProdFin")["caption"], "Final");
  EXPECT_EQ(at("medProdIni")["editMask"], "0.99.999;0;_");
  EXPECT_FALSE(at("panEspera")["visible"]);
  EXPECT_EQ(at("anmAnimacao")["clip"], "copyFiles");
  EXPECT_EQ(at("anmAnimacao")["stopFrame"], 31);
  EXPECT_FALSE(at("anmAnimacao")["active"]);
  EXPECT_EQ(at("lblMensagem")["caption"], "Copiando dados...");
  EXPECT_EQ(host().state()["cursor"], 0);

  // Formula mode: the cost type and the formula; no dates, no overwrite.
  auto formulaMode = [&](bool formula) {
    for (const char* c : {"lblTipoCusto", "cbbTpCusto", "lblFormula"}) EXPECT_EQ(on(c), formula) << c;
    for (const char* c : {"chkSubstituir", "DepDataIni", "depDataFin", "Label3", "Label4"})
      EXPECT_EQ(on(c), !formula) << c;
    for (const char* c : {"medProdIni", "medProdFin"})
      EXPECT_EQ(at(c)["color"], formula ? "clWindow" : "clInfoBk") << c;
  };
  formulaMode(true);
  host().click(At("rbtPreco"));
  formulaMode(false);
  host().click(At("chkSubstituir"));
  host().click(At("rbtFormula"));
  formulaMode(true);
  EXPECT_TRUE(at("chkSubstituir")["checked"]) << "the mark is kept while disabled";

  // Tab order: mode, cost type, targets, (validity: disabled), products, and round.
  host().focus(At("rbtFormula"));
  Texts visited;
  for (int i = 0; i < 7; ++i) {
    host().key(VK_TAB);
    visited.push_back(host().focusPath().substr(std::string(kForm).size() + 1));
  }
  EXPECT_EQ(visited,
            (Texts{"rbtPreco", "cbbTpCusto", "rbtTodos", "rbtLista", "medProdIni", "medProdFin", "rbtFormula"}));

  auto loads = sentCalls("GetFatPreClie");
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(Shown(loads[0]), (Texts{kLegal.code, "Custo"}));
}

// --- the target customers ---------------------------------------------------------------

class TargetCustomers : public CopyScreenTest {};

TEST_F(TargetCustomers, TheListIsMarkedInTheDialogAndEmptiedByEveryChangeOfChoice) {
  openCopy();
  host().click(At("rbtLista"));
  EXPECT_TRUE(on("btpPesqClie"));
  typeCode("medProdIni", leafCode(1));
  typeCode("medProdFin", leafCode(0));  // reversed: the list is checked first
  expectRefusal("Cliente deve ser informado.", "rbtLista");

  host().click(At("btpPesqClie"));
  json list = host().window(kList);
  ASSERT_FALSE(list.is_null()) << messageText();
  EXPECT_EQ(list.value("caption", ""), "Cliente");
  json grid = host().control(kListGrid);
  Texts titles;
  for (const json& c : grid["columns"]) titles.push_back(c["title"]);
  EXPECT_EQ(titles, (Texts{"Inscrição", "Razão Social", "Nome Fantasia"}));
  host().type(kNatural.number);
  const int row = host().control(kListGrid)["row"];
  EXPECT_EQ(gridTextOf(kListGrid, row, 0), kNatural.formatted) << "numbers in the mask of their person kind";
  host().key(platform::VK_SPACE, {}, " ");
  EXPECT_EQ(host().control("dlgPesquisaLista.lblMarcados")["caption"].get<std::string>().rfind("Marcados: 1 de ", 0),
            0u);
  host().click("dlgPesquisaLista.btnOK");
  host().click(At("rbtTodos"));
  EXPECT_FALSE(on("btpPesqClie"));
  host().click(At("rbtLista"));
  expectRefusal("Cliente deve ser informado.", "rbtLista");  // Todos and back emptied the list

  chooseList({&kNatural});
  expectRefusal("Produto inicial deve ser menor ou igual ao produto final.", "medProdIni");
  EXPECT_EQ(sentCalls("GetPesqClieLista").size(), 2u) << "each press reloads the customers";
  for (const auto& call : sentCalls("GetPesqClieLista")) EXPECT_EQ(Shown(call), (Texts{kLegal.code}));
}

// --- the product range -------------------------------------------------------------------

class ProductRange : public CopyScreenTest {};

TEST_F(ProductRange, CodesAreCheckedLookedUpAndTheRangeRulesDependOnTheMode) {
  openCopy();
  expectQuestion(kFormulaQuestion);  // a formula copy may leave the range open
  host().click(At("rbtPreco"));
  expectRefusal("Produto Inicial deve ser informado.", "medProdIni");
  typeCode("medProdFin", leafCode(0));
  expectRefusal("Produto Inicial deve ser informado.", "medProdIni");
  typeCode("medProdIni", leafCode(1));
  EXPECT_EQ(at("edtNmProdIni")["text"],
            query("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = ?", {leafProduct(1)})[0][0]);
  expectRefusal("Produto inicial deve ser menor ou igual ao produto final.", "medProdIni");
  host().focus(At("medProdFin"));
  host().key(platform::VK_BACK);  // the code edit selects its text on entering
  EXPECT_EQ(at("edtNmProdFin")["text"], "") << "a change of the code clears its name";
  expectRefusal("Produto Final deve ser informado.", "medProdFin");
  typeCode("medProdFin", leafCode(1));
  expectQuestion(kPriceQuestion);  // equal codes pass

  typeCode("medProdFin", "999999");  // fits the picture, not registered: nothing said
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(at("edtNmProdFin")["text"], "");
  EXPECT_EQ(at("medProdFin")["text"], "999999");

  host().click(At("btnProdFin"));
  ASSERT_FALSE(host().window("dlgPesquisa").is_null()) << messageText();
  EXPECT_EQ(host().window("dlgPesquisa").value("caption", ""), "Produto");
  const int row = std::stoi(query("SELECT COUNT(*) FROM PRODUTO WHERE CDARVPROD < ?", {leafCode(2)})[0][0]);
  host().cell("dlgPesquisa.dbgPesquisa", row, 0);
  host().click("dlgPesquisa.btnOK");
  EXPECT_EQ(at("medProdFin")["text"], leafCode(2));
  EXPECT_EQ(at("edtNmProdFin")["text"],
            query("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = ?", {leafProduct(2)})[0][0]);
  EXPECT_TRUE(sentCalls("SetCopiaPreco").empty());
  EXPECT_TRUE(sentCalls("SetCopiaDados").empty());
}

TEST_F(ProductRange, GroupCodesAreTypedAsTheyArePickedOnTheCopyAndReportScreens) {
  auto nameOf = [this](const std::string& code) {
    return query("SELECT NMPRODUTO FROM PRODUTO WHERE CDARVPROD = ?", {code})[0][0];
  };
  openCopy();
  host().click(At("rbtPreco"));
  typeCode("medProdIni", "1");
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(at("edtNmProdIni")["text"], nameOf("1")) << "a first-level group is looked up";
  typeCode("medProdFin", "101");
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(at("edtNmProdFin")["text"], nameOf("101"));
  EXPECT_EQ(at("medProdFin")["editText"], "1.01.___");
  expectQuestion(kPriceQuestion);  // the range of groups passes its checks

  host().click(At("brnPesqProdIni"));
  json list = host().control("dlgPesquisa.dbgPesquisa");
  ASSERT_FALSE(list.is_null()) << messageText();
  EXPECT_EQ(list["rows"][0][0], "1");
  EXPECT_EQ(list["rows"][1][0], "1.01") << "a group shows the levels it has, no empty positions";
  EXPECT_EQ(list["rows"][2][0], "1.01.001");
  host().cell("dlgPesquisa.dbgPesquisa", 1, 0);
  host().click("dlgPesquisa.btnOK");
  EXPECT_EQ(at("edtNmProdIni")["text"], nameOf("101"));
  host().click(At("sbtCancel"));

  host().click("frmTabPreClie.sbtImprimir");
  ASSERT_EQ(host().activeForm(), "frmRelTabPreClie") << messageText();
  host().focus("frmRelTabPreClie.medProdIni");
  host().type("1");
  host().key(VK_TAB);
  EXPECT_FALSE(host().messageBox()) << messageText();
  EXPECT_EQ(host().control("frmRelTabPreClie.edtNmProdIni")["text"], nameOf("1"));
  host().type("10");  // no level has two digits
  host().key(VK_TAB);
  ASSERT_TRUE(host().messageBox());
  EXPECT_EQ(messageText().rfind("Código do produto \"10\" inválido", 0), 0u) << messageText();
  host().answer("btnOK");
  EXPECT_EQ(host().focusPath(), "frmRelTabPreClie.medProdFin");
  EXPECT_TRUE(sentCalls("SetCopiaPreco").empty());
}

// --- the validity period -------------------------------------------------------------------

class ValidityPeriod : public CopyScreenTest {};

TEST_F(ValidityPeriod, DatesAreCheckedInPriceModeOnly) {
  openCopy();
  host().click(At("rbtPreco"));
  typeCode("medProdIni", leafCode(0));
  typeCode("medProdFin", leafCode(1));
  typeInto("depDataFin", "28022026");
  expectRefusal("Data inicial deve ser informada.", "DepDataIni");
  typeInto("DepDataIni", "01032026");
  EXPECT_EQ(at("DepDataIni")["weekday"], "Domingo");
  EXPECT_EQ(at("DepDataIni")["font"]["color"], "clBlue") << "a valid date is shown in blue";
  expectRefusal("Data inicial deve ser menor ou igual à data final.", "DepDataIni");
  host().key(platform::VK_HOME);
  host().type("28022026");
  expectQuestion(kPriceQuestion);  // equal dates
  host().focus(At("depDataFin"));
  host().key(platform::VK_BACK);   // the edit selects its text on entering
  expectQuestion(kPriceQuestion);  // an initial date alone
  host().focus(At("depDataFin"));
  host().type("31022026");
  host().key(VK_TAB);
  ASSERT_TRUE(host().messageBox()) << "an impossible date is refused on leaving the field";
  EXPECT_NE(messageText().find("31/02/2026"), std::string::npos) << messageText();
  host().answer("btnOK");
  EXPECT_EQ(host().focusPath(), At("depDataFin"));
  EXPECT_TRUE(sentCalls("SetCopiaPreco").empty());
}

// --- the copies ------------------------------------------------------------------------------

class Copies : public CopyScreenTest {
 protected:
  // The formula's price of a cost of C cents: C/100 * 1,3 + 1,5, exact in thousandths.
  std::map<std::string, std::string> formulaPrices(int costType) const {
    std::map<std::string, std::string> prices;
    for (const Texts& row : query("SELECT P.CDPRODUTO, C.VRCUSTO FROM PRODUTO P JOIN CUSTOPRODUTO C ON "
                                  "C.CDPRODUTO = P.CDPRODUTO AND C.CDFILIAL = ? AND C.NRTIPOCUSTO = ? "
                                  "WHERE P.NRNIVEL = 3",
                                  {branch(), std::to_string(costType)})) {
      const long long cents = std::llround(std::stod(row[1]) * 100);
      prices[row[0]] = std::to_string(static_cast<double>(13 * cents + 1500) / 1000);
    }
    return prices;
  }
  std::map<std::string, std::string> pricesOnly(const std::string& customer) const {
    std::map<std::string, std::string> prices;
    for (const auto& [product, row] : storedPrices(customer)) prices[product] = std::to_string(std::stod(row[0]));
    return prices;
  }
  std::size_t customers() const { return std::stoul(query("SELECT COUNT(*) FROM CLIENTE")[0][0]); }
};

TEST_F(Copies, FormulaToAllCustomersSendsTAndAnEmptyListAndRepricesEveryOtherCustomer) {
  const auto sourcePrices = storedPrices(kLegal.code);
  const std::string demo = query("SELECT CDCLIENTE FROM TABPRECLIE WHERE CDCLIENTE NOT LIKE 'T9%' LIMIT 1")[0][0];
  openCopy();
  host().select(At("cbbTpCusto"), 1);  // Custo de Reposição, number 2
  host().click(At("sbtConfirma"));
  expectBox(kFormulaQuestion, "btnYes");
  expectBox("Cópia de dados realizada com sucesso.");
  EXPECT_TRUE(host().window(kForm).is_null()) << "the screen closes after the success";

  expectWaitPanelDuringTheWrite(kForm);

  auto calls = sentCalls("SetCopiaDados");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(Shown(calls[0]), (Texts{branch(), kLegal.code, kLegal.number, "#3", "T", "", "#2", "", ""}));

  const std::vector<Texts> formula = storedFormula(kLegal.code);
  ASSERT_EQ(formula.size(), 2u);
  EXPECT_EQ(storedFormula(kNatural.code), formula);
  EXPECT_EQ(storedFormula(demo), formula) << "a customer's own formula is replaced";
  EXPECT_EQ(query("SELECT COUNT(*) FROM COMPPRECLIE")[0][0], std::to_string(2 * customers()))
      << "every customer holds exactly the source's two rows";
  const auto expected = formulaPrices(2);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(pricesOnly(kNatural.code), expected);
  for (const auto& [product, price] : expected) EXPECT_EQ(pricesOnly(demo)[product], price) << demo << " " << product;
  EXPECT_EQ(storedPrices(kLegal.code), sourcePrices) << "the source is never its own target";

  // The price table was told: it reloads when the formula screen next closes.
  const std::size_t loads = sentCalls("GetPrecoProd").size();
  host().click("frmTabPreClie.sbtFormComp");
  host().click("frmFormCompPreco.sbtCancel");
  EXPECT_EQ(sentCalls("GetPrecoProd").size(), loads + 1);
}

TEST_F(Copies, PricesToAListKeepOrReplaceTheTargetsPricesWithTheValidityTyped) {
  execute("INSERT INTO TABPRECLIE VALUES ('" + kNatural.code + "', '" + leafProduct(0) + "', 3, NULL, NULL)");
  const auto sourcePrices = storedPrices(kLegal.code);
  const auto others = othersData({kLegal.code, kNatural.code});
  auto copyPrices = [&](bool overwrite) {
    openCopy();
    host().click(At("rbtPreco"));
    if (overwrite) host().click(At("chkSubstituir"));
    chooseList({&kNatural});  // the source is not offered in its own list
    typeCode("medProdIni", leafCode(0));
    typeCode("medProdFin", leafCode(1));
    typeInto("DepDataIni", "01022026");
    typeInto("depDataFin", "28022026");
    host().click(At("sbtConfirma"));
    expectBox(kPriceQuestion, "btnYes");
    expectBox("Cópia de dados realizada com sucesso.");
    ASSERT_TRUE(host().window(kForm).is_null());
  };
  copyPrices(false);
  const std::string list = kNatural.code;
  auto calls = sentCalls("SetCopiaPreco");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(Shown(calls[0]),
            (Texts{branch(), kLegal.code, "#3", "", list, "01/02/2026", "28/02/2026", "N", leafCode(0), leafCode(1)}));
  auto prices = storedPrices(kNatural.code);
  EXPECT_EQ(prices[leafProduct(0)], (Texts{"3.0", "", ""})) << "N keeps the target's own price";
  EXPECT_EQ(prices[leafProduct(1)], (Texts{"7.25", "2026-02-01", "2026-02-28"}));

  copyPrices(true);
  calls = sentCalls("SetCopiaPreco");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(Shown(calls[1])[7], "S");
  prices = storedPrices(kNatural.code);
  EXPECT_EQ(prices[leafProduct(0)], (Texts{"10.5", "2026-02-01", "2026-02-28"})) << "S replaces it";
  EXPECT_EQ(prices.size(), 2u);
  EXPECT_EQ(storedPrices(kLegal.code), sourcePrices) << "the source is never its own target";
  EXPECT_EQ(othersData({kLegal.code, kNatural.code}), others) << "customers outside the list are untouched";
}

TEST_F(Copies, NoCallsNothingARefusalWritesNothingAndASecondAttemptSucceeds) {
  execute("UPDATE COMPPRECLIE SET VRFATPRECLIE = 100000, IDTPOPERFATCLIE = 'SUB' WHERE CDCLIENTE = '" + kLegal.code +
          "' AND NRORDEMFAT = '002'");
  const auto before = othersData({kLegal.code});
  openCopy();
  host().click(At("sbtConfirma"));
  expectBox(kFormulaQuestion, "btnNo");
  EXPECT_TRUE(statesWithWaitPanel(kForm).empty());
  EXPECT_TRUE(sentCalls("SetCopiaDados").empty());

  host().click(At("sbtConfirma"));
  expectBox(kFormulaQuestion, "btnYes");
  expectZeroPriceRefusal(kForm);
  EXPECT_TRUE(host().state()["wait"].is_null());
  EXPECT_EQ(othersData({kLegal.code}), before) << "nothing is written for any target";

  execute("UPDATE COMPPRECLIE SET VRFATPRECLIE = 1.5, IDTPOPERFATCLIE = 'SUM' WHERE CDCLIENTE = '" + kLegal.code +
          "' AND NRORDEMFAT = '002'");
  host().click(At("sbtConfirma"));
  expectBox(kFormulaQuestion, "btnYes");
  expectBox("Cópia de dados realizada com sucesso.");
  EXPECT_EQ(sentCalls("SetCopiaDados").size(), 2u);
  EXPECT_EQ(storedFormula(kNatural.code), storedFormula(kLegal.code));
}

}  // namespace
}  // namespace screenstest
