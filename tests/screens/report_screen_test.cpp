// The price table report screen driven through the host as a person would: opened by
// the price table's print command, with or without a customer chosen there, its filter
// in the report variant, and the parameter step of each run: the checks that stop it
// and the values each report gets, read back from the spreadsheet text (CSV) the run
// writes. Reports that echo their parameters stand in for the real one where the
// values themselves are the point; the real price table is run once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ui/ui_types.h"
#include "support/temp_dir.h"
#include "tests/screens/price_table_fixture.h"

namespace screenstest {
namespace {

using platform::VK_TAB;
using Texts = std::vector<std::string>;

constexpr const char* kForm = "frmRelTabPreClie";

std::string At(const char* control) { return std::string(kForm) + "." + control; }

// Every parameter of the screen, and a fifth one the screen knows nothing of.
constexpr const char* kEchoAll = R"({
  "title": "Eco dos parâmetros",
  "parameters": [{"name": "P_CDARVPRODINI"}, {"name": "P_CDARVPRODFIN"}, {"name": "P_LISTACLIENTES"},
                 {"name": "P_TCDCLIENTES"}],
  "sql": "SELECT :P_CDARVPRODINI AS INI, :P_CDARVPRODFIN AS FIN, :P_LISTACLIENTES AS LISTA, :P_TCDCLIENTES AS TODOS",
  "columns": [{"column": "INI", "title": "INI"}, {"column": "FIN", "title": "FIN"}, {"column": "LISTA", "title": "LISTA"}, {"column": "TODOS", "title": "TODOS"}]
})";
constexpr const char* kEchoFlag = R"({
  "title": "Eco de todos os clientes",
  "parameters": [{"name": "p_tcdclientes"}, {"name": "P_OUTRO", "prompt": "Outro"}],
  "sql": "SELECT :p_tcdclientes AS TODOS, :P_OUTRO AS OUTRO",
  "columns": [{"column": "TODOS", "title": "TODOS"}, {"column": "OUTRO", "title": "OUTRO"}]
})";
constexpr const char* kNoParameters = R"({
  "title": "Sem parâmetros",
  "sql": "SELECT 'x' AS V",
  "columns": [{"column": "V", "title": "V"}]
})";

// The records of a CSV the runner wrote (no field of these tests needs quoting).
std::vector<Texts> CsvRecords(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<Texts> records;
  for (std::string line; std::getline(in, line);) {
    if (records.empty() && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Texts fields;
    std::istringstream split(line + ";");
    for (std::string field; std::getline(split, field, ';');) fields.push_back(field);
    records.push_back(std::move(fields));
  }
  return records;
}

class ReportScreenTest : public PriceTableTest {
 protected:
  ReportScreenTest() { recordCalls_ = true; }

  // The price table, a customer chosen there or not, then its print command.
  void openReport(const TestCustomer* chosen = nullptr) {
    openScreen();
    if (chosen) chooseCustomer(*chosen);
    host().click("frmTabPreClie.sbtImprimir");
    if (host().activeForm() != kForm) throw std::runtime_error("o relatório não abriu: " + messageText());
  }
  void closeReport() {
    host().click(At("sbtFechar"));
    ASSERT_EQ(host().activeForm(), "frmTabPreClie");
  }

  json at(const char* control) const { return host().control(At(control)); }

  // Enters the code edit from the report list, so it selects its text, and replaces it.
  void typeCode(const char* control, const std::string& code) {
    host().focus(At("cbbReportNames"));
    host().focus(At(control));
    if (code.empty())
      host().key(platform::VK_BACK);
    else
      host().type(code);
    host().key(VK_TAB);
  }
  void typeRange(const std::string& first, const std::string& last) {
    typeCode("medProdIni", first);
    typeCode("medProdFin", last);
  }
  std::string leafCode(int index) const {
    return query("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = ?", {leafProduct(index)})[0][0];
  }

  std::size_t documentCount() const { return host().state().value("documents", json::array()).size(); }
  // Runs the report chosen in the list into a CSV and returns its records.
  std::vector<Texts> exportCsv(int report) {
    host().select(At("cbbReportNames"), report);
    const std::size_t before = documentCount();
    host().click(At("sbtExportar"));
    host().click("dlgExportar.btnCsv");
    if (host().window("dlgParametros").is_object()) return {};
    EXPECT_EQ(documentCount(), before + 1) << messageText();
    if (documentCount() != before + 1) return {};
    return CsvRecords(host().state()["documents"].back()["path"]);
  }
  // Runs the report chosen in the list and expects the check's message with the focus
  // on `focus`, and no document.
  void expectRefusal(int report, const std::string& text, const char* focus) {
    host().select(At("cbbReportNames"), report);
    const std::size_t before = documentCount();
    host().click(At("sbtVisualizar"));
    expectBox(text);
    EXPECT_EQ(host().focusPath(), At(focus)) << text;
    EXPECT_EQ(documentCount(), before) << text;
  }
};

// The screen over reports that echo their parameters.
class ParameterStep : public ReportScreenTest {
 protected:
  ParameterStep() {
    const std::filesystem::path code = reports_.path() / "VQR512";
    std::filesystem::create_directories(code);
    std::ofstream(code / "01-eco.json") << kEchoAll;
    std::ofstream(code / "02-eco-todos.json") << kEchoFlag;
    std::ofstream(code / "03-sem-parametros.json") << kNoParameters;
    hostArgs_ = {"--reports", reports_.path().string()};
  }
  enum Report { kAll = 0, kFlagOnly = 1, kNone = 2 };

 private:
  vqrtest::TempDir reports_;
};

// --- opening ------------------------------------------------------------------------------

class ReportOpening : public ReportScreenTest {};

TEST_F(ReportOpening, OpensModallyWithoutACustomerWithTheLayoutAndTheFilterOfTheReportVariant) {
  openReport();
  expectModalScreen(kForm, "Tabela de Preços por Cliente", "VQR51204", 463, 151);
  EXPECT_EQ(host().state()["cursor"], 0);
  EXPECT_EQ(at("lblCodRel")["caption"], "VQR512");
  EXPECT_EQ(at("lblCodRel")["bounds"][0], 326);
  EXPECT_EQ(at("cbbReportNames")["items"],
            (json{"Tabela de Preços por Cliente", "Tabela de Preços em uma Data", "Preços a Vencer"}));
  EXPECT_EQ(at("cbbReportNames")["itemIndex"], 0);
  EXPECT_EQ(at("cbbReportNames")["bounds"][2], 393);
  EXPECT_EQ(at("grbClieDest")["bounds"], (json{5, 44, 129, 76}));
  EXPECT_EQ(at("grbClieDest")["caption"], "Cliente Destino");
  EXPECT_EQ(at("GroupBox2")["bounds"], (json{136, 44, 321, 76}));
  EXPECT_EQ(at("GroupBox2")["caption"], "Produto");
  EXPECT_EQ(at("edtNmProdIni")["bounds"][2], 185);
  EXPECT_EQ(at("edtNmProdFin")["bounds"][2], 185);
  for (const char* code : {"medProdIni", "medProdFin"}) {
    EXPECT_EQ(at(code)["color"], "clInfoBk") << code;
    EXPECT_EQ(at(code)["editMask"], "0.99.999;0;_") << code;
  }
  EXPECT_TRUE(at("rbtTodos")["checked"]);
  EXPECT_FALSE(enabled(At("btpPesqClie")));
  EXPECT_EQ(at("sbtVisualizar")["hint"], "Visualizar");
  EXPECT_EQ(at("sbtExportar")["hint"], "Exportar planilha");

  // Tab order: the report list, the customers, the products, and round.
  host().focus(At("cbbReportNames"));
  Texts visited;
  for (int i = 0; i < 5; ++i) {
    host().key(VK_TAB);
    visited.push_back(host().focusPath().substr(std::string(kForm).size() + 1));
  }
  EXPECT_EQ(visited, (Texts{"rbtTodos", "rbtLista", "medProdIni", "medProdFin", "cbbReportNames"}));
  closeReport();
}

TEST_F(ReportOpening, TheCustomerListAsksForTheMainScreensCustomerAndShowsNumbersAsStored) {
  openReport(&kLegal);
  host().click(At("rbtLista"));
  host().click(At("btpPesqClie"));
  json grid = host().control("dlgPesquisaLista.dbgPesquisa");
  ASSERT_TRUE(grid.is_object()) << messageText();
  Texts titles;
  for (const json& c : grid["columns"]) titles.push_back(c["title"]);
  EXPECT_EQ(titles, (Texts{"Inscrição", "Razão Social", "Nome da Fantasia"}));
  host().key(platform::VK_HOME, {.ctrl = true});
  host().type(kLegal.number);
  json rows = host().control("dlgPesquisaLista.dbgPesquisa");
  const int row = rows["row"];
  EXPECT_EQ(rows["rows"][static_cast<std::size_t>(row - rows.value("topRow", 0))][0], kLegal.number);
  host().click("dlgPesquisaLista.btnCancel");
  auto calls = sentCalls("GetPesqClieLista");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].at(0).toString(), kLegal.code);
}

// The real price table for a list of two customers and a range holding only the
// seeded prices: the rows are those the database holds, and no other customer's.
TEST_F(ReportOpening, ThePriceTableOfAListAndARangeHoldsTheirPricesOnly) {
  execute("INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD) VALUES ('" + kNatural.code + "', '" +
          leafProduct(2) + "', 3)");
  openReport();
  chooseList(kForm, {&kLegal, &kNatural});
  typeRange(leafCode(0), leafCode(1));
  auto records = exportCsv(0);
  ASSERT_EQ(records.size(), 3u) << "a header and the two prices in the range";
  EXPECT_EQ(records[1].at(0), kLegal.code);
  EXPECT_EQ(records[2].at(0), kLegal.code);
  const std::string all = [&] {
    std::string text;
    for (const Texts& r : records)
      for (const std::string& f : r) text += f + "|";
    return text;
  }();
  EXPECT_EQ(all.find(kNatural.code), std::string::npos) << "the natural person's price is outside the range";
}

// --- the parameter step -------------------------------------------------------------------

TEST_F(ParameterStep, ListWithoutCustomersStopsBeforeAnyProductCheckAndSetsNothing) {
  openReport();
  host().click(At("rbtLista"));
  expectRefusal(kAll, "Cliente deve ser informado.", "rbtLista");
  EXPECT_FALSE(host().messageBox()) << "only the first failing check: " << messageText();
  EXPECT_TRUE(sentCalls("GetPesqClieLista").empty());
}

TEST_F(ParameterStep, TheRangeIsRequiredAndOrderedOnEveryReportEqualCodesPass) {
  openReport();
  const std::string first = leafCode(0), second = leafCode(1);
  typeCode("medProdFin", second);
  expectRefusal(kNone, "Produto inicial deve ser informado.", "medProdIni");
  typeRange(first, "");
  expectRefusal(kAll, "Produto final deve ser informado.", "medProdFin");
  typeRange(second, first);
  expectRefusal(kFlagOnly, "Produto inicial deve ser menor ou igual ao Produto final.", "medProdIni");
  typeRange(second, second);
  auto records = exportCsv(kAll);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1], (Texts{second, second, "", "T"})) << "codes as the product table holds them";
  records = exportCsv(kNone);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1], (Texts{"x"}));
}

TEST_F(ParameterStep, AReportGetsOnlyTheParametersItDeclaresAndIsAskedForTheOthers) {
  openReport();
  typeRange(leafCode(0), leafCode(0));
  host().select(At("cbbReportNames"), kFlagOnly);
  host().click(At("sbtExportar"));
  host().click("dlgExportar.btnCsv");
  ASSERT_TRUE(host().window("dlgParametros").is_object()) << messageText();
  EXPECT_FALSE(host().hasControl("dlgParametros.edtp_tcdclientes")) << "the screen's parameter is not asked for";
  host().focus("dlgParametros.edtP_OUTRO");
  host().type("outro");
  host().click("dlgParametros.btnOK");
  ASSERT_FALSE(host().messageBox()) << messageText();
  auto records = CsvRecords(host().state()["documents"].back()["path"]);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1], (Texts{"T", "outro"}));
}

TEST_F(ParameterStep, TheListOutlivesTheScreenWhichReopensWithTodosChecked) {
  openReport();
  chooseList(kForm, {&kLegal, &kNatural});
  const std::string range = leafCode(0);
  typeRange(range, range);
  auto records = exportCsv(kAll);
  ASSERT_EQ(records.size(), 2u);
  const std::string list = records[1].at(2);
  EXPECT_EQ(list, kLegal.code + "," + kNatural.code);
  EXPECT_EQ(records[1].at(3), "");
  closeReport();

  host().click("frmTabPreClie.sbtImprimir");
  ASSERT_EQ(host().activeForm(), kForm) << "a new screen after the close";
  EXPECT_TRUE(at("rbtTodos")["checked"]);
  EXPECT_FALSE(at("rbtLista")["checked"]);
  EXPECT_FALSE(enabled(At("btpPesqClie")));
  typeRange(range, range);
  records = exportCsv(kAll);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].at(2), list) << "the list is handed on whatever the radio buttons show";
  EXPECT_EQ(records[1].at(3), "T");

  host().click(At("rbtLista"));
  expectRefusal(kAll, "Cliente deve ser informado.", "rbtLista");
}

}  // namespace
}  // namespace screenstest
