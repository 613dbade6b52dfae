#pragma once
// Dadosgerrel: TfrmDadosGerRel, the base of the report screens, shown modally: choose
// one of the reports of the screen's report code, fill in the screen's filter, run it.
//
// Layout (client area 463 × 151, which a screen may change): the toolbar panMenu at
// the top, 27 high, with the flat buttons sbtVisualizar "Visualizar", sbtExportar
// "Exportar planilha" and sbtFechar "Fechar", the report code label lblCodRel (at left
// 326) and the screen code label lblCodTela at its right; under it the data group
// grbDadosRel, 463 × 124, holding the panel panRelat (459 wide: the label lblRelatorio
// "Relatório" and the list of reports cbbReportNames, 393 wide) and the separator
// bvlSeparator (459 wide); a screen puts its own controls below them, from top 44.
// rpddPadrao is the report runner (Qrddlgs). msgPadrao is the screen's catalog; it
// starts with the base's lines Arq_Rel_Err, NovoCaption, NovoPrompt and VD_TRAD, and a
// screen adds its own after them. Keys are shown to the screen first (KeyPreview).
//
// Every event is bound to the virtual handler of its name (a screen overrides it,
// calling the base first in create, activate and key handlers, last in close ones):
//   FormCreate      nothing
//   FormActivate    the first time only: lists the reports of the report code (the
//                   caption of lblCodRel) in cbbReportNames, by their titles in the
//                   order of their files, and chooses the first. With none, shows
//                   Arq_Rel_Err with the code and the folder filled in; a definition
//                   that cannot be read shows its error. Either way the run commands
//                   stay disabled.
//   FormClose       Action := caFree; OnRelease is called as the screen goes away
//   FormKeyDown     F5 runs sbtVisualizar, F6 sbtExportar, Escape closes the screen
//   FormKeyPress    Enter in an edit, combo box, check box or radio button moves to
//                   the next control, as Tab does
//   sbtVisualizarClick   runs the chosen report into a PDF (rpddPadrao, roPDF)
//   sbtExportarClick     asks the spreadsheet format (dlgExportar: XLSX or CSV) and
//                        runs the chosen report into it; Cancel runs nothing
//   sbtFecharClick       closes the screen
// A run without a report listed shows Arq_Rel_Err and stops (silent abort).
//
// The texts of NovoCaption ("Título do relatório"), NovoPrompt ("Informe o título do
// relatório:") and VD_TRAD ("Validando tradução de relatórios") belong to designing
// new layouts and validating their translation, which this runner does not offer; the
// lines stay in the catalog for the screens that list them.
#include <functional>
#include <string>

#include "contracts/framework/buttonflat.h"
#include "contracts/framework/frmbase.h"
#include "contracts/framework/nrv_msg.h"
#include "contracts/framework/qrddlgs.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/form.h"
#include "platform/ui/std_controls.h"

namespace Dadosgerrel {

class TfrmDadosGerRel : public Frmbase::TfrmBase {
 public:
  explicit TfrmDadosGerRel(platform::TComponent* owner);

  platform::TPanel* panMenu;
  Buttonflat::TButtonFlat* sbtVisualizar;
  Buttonflat::TButtonFlat* sbtExportar;
  Buttonflat::TButtonFlat* sbtFechar;
  platform::TLabel* lblCodRel;
  platform::TLabel* lblCodTela;
  platform::TGroupBox* grbDadosRel;
  platform::TPanel* panRelat;
  platform::TLabel* lblRelatorio;
  platform::TComboBox* cbbReportNames;
  platform::TBevel* bvlSeparator;
  Qrddlgs::TReportDesignerDialog* rpddPadrao;
  Nrv_msg::TMessages* msgPadrao;

  void FormActivate(platform::TObject* Sender) override;
  void FormKeyDown(platform::TObject* Sender, std::uint16_t& Key, platform::TShiftState Shift) override;
  virtual void FormKeyPress(platform::TObject* Sender, char32_t& Key);
  virtual void sbtVisualizarClick(platform::TObject* Sender);
  virtual void sbtExportarClick(platform::TObject* Sender);
  virtual void sbtFecharClick(platform::TObject* Sender);

 private:
  void listReports();
  void runChosen(Qrddlgs::TReportOutput output);
  std::string noReportsText() const;
  [[noreturn]] void noReports();
  bool listed_ = false;
};

}  // namespace Dadosgerrel
