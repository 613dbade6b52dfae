#include "contracts/framework/dadosgerrel.h"

#include <fmt/printf.h>

#include "contracts/framework/consiste.h"
#include "framework/enter_as_tab.h"
#include "framework/export_choice_dialog.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/screen.h"

namespace Dadosgerrel {

namespace {

constexpr int kClientWidth = 463;
constexpr int kClientHeight = 151;
constexpr int kMenuHeight = 27;
constexpr std::uint16_t kVkF6 = 117;  // the virtual-key code of F6

}  // namespace

TfrmDadosGerRel::TfrmDadosGerRel(platform::TComponent* owner) : Frmbase::TfrmBase(owner) {
    using platform::TObject;
  SetBorderStyle(platform::bsSingle);
  SetBounds(0, 0, kClientWidth, kClientHeight);
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);
  SetLeft((platform::Screen().Width() - Width()) / 2);
  SetTop((platform::Screen().Height() - Height()) / 2);
  KeyPreview = true;

  msgPadrao = new Nrv_msg::TMessages(this);
  msgPadrao->SetName("msgPadrao");
  msgPadrao->Add("Arq_Rel_Err",
                 "O arquivo contendo a definição do relatório de código '%s' não foi encontrado no diretório '%s'.");
  msgPadrao->Add("NovoCaption", "Título do relatório");
  msgPadrao->Add("NovoPrompt", "Informe o título do relatório:");
  msgPadrao->Add("VD_TRAD", "Validando tradução de relatórios");

  rpddPadrao = new Qrddlgs::TReportDesignerDialog(this);
  rpddPadrao->SetName("rpddPadrao");

  panMenu = platform::NewControl<platform::TPanel>(this, this, "panMenu", 0, 0, kClientWidth, kMenuHeight);
  panMenu->SetAlign(platform::alTop);
  sbtVisualizar = Buttonflat::NewButtonFlat(this, panMenu, "sbtVisualizar", "Visualizar", 4, 3);
  sbtExportar = Buttonflat::NewButtonFlat(this, panMenu, "sbtExportar", "Exportar planilha", 27, 3);
  sbtFechar = Buttonflat::NewButtonFlat(this, panMenu, "sbtFechar", "Fechar", 50, 3);
  lblCodRel = platform::NewControl<platform::TLabel>(this, panMenu, "lblCodRel", 326, 7, 60, 13);
  lblCodTela = platform::NewControl<platform::TLabel>(this, panMenu, "lblCodTela", 395, 7, 64, 13);

  grbDadosRel = platform::NewControl<platform::TGroupBox>(this, this, "grbDadosRel", 0, kMenuHeight, kClientWidth,
                                                  kClientHeight - kMenuHeight);
  grbDadosRel->SetAlign(platform::alClient);
  panRelat = platform::NewControl<platform::TPanel>(this, grbDadosRel, "panRelat", 2, 14, 459, 26);
  lblRelatorio = platform::NewControl<platform::TLabel>(this, panRelat, "lblRelatorio", 6, 6, 54, 13);
  lblRelatorio->SetCaption("Relatório");
  cbbReportNames = platform::NewControl<platform::TComboBox>(this, panRelat, "cbbReportNames", 62, 2, 393, 21);
  cbbReportNames->Style = platform::csDropDownList;
  lblRelatorio->FocusControl = cbbReportNames;
  bvlSeparator = platform::NewControl<platform::TBevel>(this, grbDadosRel, "bvlSeparator", 2, 41, 459, 2);
  bvlSeparator->Shape = platform::TBevelShape::bsTopLine;
  sbtVisualizar->SetEnabled(false);
  sbtExportar->SetEnabled(false);

  OnKeyPress = [this](TObject* s, char32_t& k) { FormKeyPress(s, k); };
  sbtVisualizar->OnClick = [this](TObject* s) { sbtVisualizarClick(s); };
  sbtExportar->OnClick = [this](TObject* s) { sbtExportarClick(s); };
  sbtFechar->OnClick = [this](TObject* s) { sbtFecharClick(s); };
}

void TfrmDadosGerRel::FormActivate(platform::TObject*) {
  if (listed_) return;
  listed_ = true;
  listReports();
}

void TfrmDadosGerRel::FormKeyDown(platform::TObject*, std::uint16_t& Key, platform::TShiftState Shift) {
  if (!Shift.Empty()) return;
  Buttonflat::TButtonFlat* command = Key == platform::VK_F5 ? sbtVisualizar : Key == kVkF6 ? sbtExportar : nullptr;
  if (command) {
    Key = 0;
    if (command->Enabled()) command->Click();
  } else if (Key == platform::VK_ESCAPE) {
    Key = 0;
    Close();
  }
}

void TfrmDadosGerRel::FormKeyPress(platform::TObject*, char32_t& Key) { framework::EnterAsTab(*this, Key); }

void TfrmDadosGerRel::sbtVisualizarClick(platform::TObject*) { runChosen(Qrddlgs::roPDF); }

void TfrmDadosGerRel::sbtExportarClick(platform::TObject*) {
  if (cbbReportNames->Items.empty()) noReports();
  if (const auto format = framework::ChooseExportFormat()) runChosen(*format);
}

void TfrmDadosGerRel::sbtFecharClick(platform::TObject*) { Close(); }

void TfrmDadosGerRel::listReports() {
  rpddPadrao->ReportCode = lblCodRel->Caption();
  try {
    cbbReportNames->Items = rpddPadrao->ReportNames();
  } catch (const Qrddlgs::EReportError& e) {
    Consiste::MensErro(e.what(), false);
    return;
  }
  if (cbbReportNames->Items.empty()) {
    Consiste::MensErro(noReportsText(), false);
    return;
  }
  cbbReportNames->SetItemIndex(0);
  sbtVisualizar->SetEnabled(true);
  sbtExportar->SetEnabled(true);
}

void TfrmDadosGerRel::runChosen(Qrddlgs::TReportOutput output) {
  if (cbbReportNames->Items.empty()) noReports();
  rpddPadrao->Execute(cbbReportNames->ItemIndex(), output);
}

std::string TfrmDadosGerRel::noReportsText() const {
  return fmt::sprintf(msgPadrao->Msg("Arq_Rel_Err"), rpddPadrao->ReportCode, rpddPadrao->ReportFolder());
}

void TfrmDadosGerRel::noReports() {
  Consiste::MensErro(noReportsText(), true);
  platform::Abort();
}

}  // namespace Dadosgerrel
