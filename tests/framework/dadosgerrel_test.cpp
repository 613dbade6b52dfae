// The report base screen with a small report screen of its own: the reports of its
// code listed in file order, the message when there are none, the commands running the
// chosen report through the screen's parameter handler, the screen closed and released.
#include "contracts/framework/dadosgerrel.h"

#include <gtest/gtest.h>

#include "contracts/framework/host_configuration.h"
#include "platform/ui/screen.h"
#include "tests/framework/framework_fixtures.h"
#include "tests/framework/report_fixtures.h"
#include "tests/framework/ui_steps.h"

namespace {

using testsupport::ClickIn;
using testsupport::ModalScript;

// A report screen of report code TST01 whose parameter handler fills P_SG.
class TfrmRelTeste : public Dadosgerrel::TfrmDadosGerRel {
 public:
  TfrmRelTeste(platform::TComponent* owner, std::vector<std::string>& log) : TfrmDadosGerRel(owner), log_(log) {
    SetName("frmRelTeste");
    SetCaption("Relatório de Teste");
    lblCodTela->SetCaption("TST0001");
    lblCodRel->SetCaption("TST01");
    msgPadrao->Add("Proprio", "Mensagem da tela");
    rpddPadrao->BeforeGetQueryParams = [this](platform::TParams& p, bool& ask) {
      rpddPadraoBeforeGetQueryParams(p, ask);
    };
  }
  void FormActivate(platform::TObject* Sender) override {
    TfrmDadosGerRel::FormActivate(Sender);
    log_.push_back("FormActivate");
  }
  void FormClose(platform::TObject* Sender, platform::TCloseAction& Action) override {
    log_.push_back("FormClose");
    TfrmDadosGerRel::FormClose(Sender, Action);
  }
  void rpddPadraoBeforeGetQueryParams(platform::TParams& Params, bool&) {
    log_.push_back("BeforeGetQueryParams");
    if (Qrddlgs::ExistParam(Params, "P_SG")) Params.ParamByName("P_SG").SetAsString(sigla);
  }
  std::string sigla;

 private:
  std::vector<std::string>& log_;
};

constexpr const char* kFactors = R"({
  "title": "Fatores de Preço",
  "parameters": [{"name": "P_SG", "prompt": "Sigla"}],
  "sql": "SELECT SGFATPRECO, NMFATPRECO FROM FATORPRECO WHERE SGFATPRECO = :P_SG",
  "columns": [{"column": "SGFATPRECO", "title": "Sigla"}, {"column": "NMFATPRECO", "title": "Nome"}]
})";
constexpr const char* kSummary = R"({
  "title": "Resumo",
  "sql": "SELECT COUNT(*) AS N FROM FATORPRECO",
  "columns": [{"column": "N", "title": "Fatores", "kind": "integer"}]
})";

class ReportScreen : public testsupport::UiTest {
 protected:
  void SetUp() override {
    framework::HostConfiguration config;
    config.database = db.target();
    config.reportsDir = reports.path();
    config.documentsDir = documents.path().string();
    scope = std::make_unique<fwtest::ConfigScope>(config);
  }
  TfrmRelTeste* create() {
    auto* frm = platform::NewForm<TfrmRelTeste>(&platform::Application(), log);
    frm->OnRelease = [this] { ++released; };
    return frm;
  }
  std::string Factor() {
    return db.rows("SELECT SGFATPRECO, NMFATPRECO FROM FATORPRECO ORDER BY SGFATPRECO").at(0).at(0);
  }

  fwtest::DemoDatabase db{fwtest::Backend::SQLite};
  fwtest::ReportsFolder reports;
  vqrtest::TempDir documents;
  std::unique_ptr<fwtest::ConfigScope> scope;
  std::vector<std::string> log;
  int released = 0;
};

TEST_F(ReportScreen, ListsItsCodesReportsInFileOrderAndChoosesTheFirst) {
  reports.Write("TST01", "02-fatores.json", kFactors);
  reports.Write("TST01", "01-resumo.json", kSummary);
  reports.Write("TST01", "leia-me.txt", "não é uma definição");
  reports.Write("OUTRO", "01-outro.json", kSummary);
  TfrmRelTeste* frm = create();
  std::vector<std::string> items;
  int chosen = -1;
  ModalScript script({fwtest::Do([&] {
                        items = frm->cbbReportNames->Items;
                        chosen = frm->cbbReportNames->ItemIndex();
                      }),
                      ClickIn("frmRelTeste", "sbtFechar")});
  frm->ShowModal();
  EXPECT_EQ(items, (std::vector<std::string>{"Resumo", "Fatores de Preço"}));
  EXPECT_EQ(chosen, 0);
  EXPECT_EQ(frm->msgPadrao->Lines,
            (std::vector<std::string>{"Arq_Rel_Err|O arquivo contendo a definição do relatório de código '%s' não foi "
                                      "encontrado no diretório '%s'.",
                                      "NovoCaption|Título do relatório", "NovoPrompt|Informe o título do relatório:",
                                      "VD_TRAD|Validando tradução de relatórios", "Proprio|Mensagem da tela"}));
  EXPECT_EQ(log, (std::vector<std::string>{"FormActivate", "FormClose"}));
  platform::Application().ProcessMessages();
  EXPECT_EQ(released, 1);
}

TEST_F(ReportScreen, AFolderWithoutDefinitionsSaysSoAndOffersNoRun) {
  reports.Write("OUTRO", "01-outro.json", kSummary);
  TfrmRelTeste* frm = create();
  std::string message;
  bool runEnabled = true;
  const std::size_t documentsBefore = platform::Application().Documents().size();
  ModalScript script({fwtest::Do([&] { message = testsupport::TopMessageText(); }), ClickIn("dlgMessage", "btnOK"),
                      fwtest::Do([&] { runEnabled = frm->sbtVisualizar->Enabled() || frm->sbtExportar->Enabled(); }),
                      fwtest::KeyStep(platform::VK_F5), fwtest::KeyStep(platform::VK_ESCAPE)});
  frm->ShowModal();
  EXPECT_EQ(message, "O arquivo contendo a definição do relatório de código 'TST01' não foi encontrado no diretório '" +
                         reports.path() + "/TST01'.");
  EXPECT_FALSE(runEnabled);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(platform::Application().Documents().size(), documentsBefore);
}

TEST_F(ReportScreen, CommandsRunTheChosenReportThroughTheScreensParameterHandler) {
  reports.Write("TST01", "01-resumo.json", kSummary);
  reports.Write("TST01", "02-fatores.json", kFactors);
  TfrmRelTeste* frm = create();
  frm->sigla = Factor();
  const std::size_t documentsBefore = platform::Application().Documents().size();
  ModalScript script({fwtest::Do([&] { frm->cbbReportNames->SelectItem(1); }), fwtest::KeyStep(platform::VK_F5),
                      ClickIn("frmRelTeste", "sbtExportar"), ClickIn("dlgExportar", "btnCsv"),
                      ClickIn("frmRelTeste", "sbtExportar"), ClickIn("dlgExportar", "btnCancel"),
                      ClickIn("frmRelTeste", "sbtExportar"), fwtest::KeyStep(platform::VK_RETURN),
                      fwtest::KeyStep(platform::VK_ESCAPE)});
  frm->ShowModal();
  EXPECT_TRUE(script.Done());
  const auto& documents = platform::Application().Documents();
  ASSERT_EQ(documents.size(), documentsBefore + 3);
  const std::string pdf = documents[documentsBefore].path, csv = documents[documentsBefore + 1].path;
  EXPECT_EQ(documents[documentsBefore].title, "Fatores de Preço");
  EXPECT_EQ(pdf.substr(pdf.size() - 4), ".pdf");
  EXPECT_EQ(documents[documentsBefore + 2].path.substr(documents[documentsBefore + 2].path.size() - 5), ".xlsx");
  const auto lines = fwtest::PdfLines(pdf);
  EXPECT_NE(
      std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(Factor() + " ", 0) == 0; }),
      lines.end());
  const auto rows = fwtest::CsvRows(csv);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].at(0), Factor());
  EXPECT_EQ(std::count(log.begin(), log.end(), "BeforeGetQueryParams"), 3);
  EXPECT_EQ(log.back(), "FormClose");
}

}  // namespace
