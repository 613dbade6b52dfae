#pragma once
// TfrmFormCompPreco: the price composition formula of one customer, shown modally
// from the price table screen.
//
// The formula is an ordered list of adjustment factors (cdsFatAjustPreClie, always in
// the text order of NRORDEMFAT), each a registered factor (FATORPRECO, read through
// qryFatAjustPreco on the shared read-only connection), how its value is read
// (IDDETFATPRE: "P" percentage, "N" number, "M" currency), the value and the operation
// that combines it with the running result (IDTPOPERFATCLIE: "SUM", "SUB", "MUL",
// "DIV"). The two coded columns show and take the catalog texts of their codes.
//
// Rows are added, changed and deleted in the grid dbgCompPreClie; each row is checked
// before it is posted, and every accepted post or delete goes to the server at once
// with SetCompPreco, whose answer gives the new formula text shown in edtFormula; a
// refused change is undone. The confirm command (sbtConfirma, or Enter while no row
// is being edited) asks the server to recalculate every product price of the customer
// from the saved formula and the cost type chosen in cbbTpCusto; after a success the
// module session's boAtualizaPreco tells the price table screen to reload its prices
// and the screen closes.
//
// All remote calls go through the module session's connection netTabPreClie (the cost
// types through its netCustos). Failed checks show a catalog text through
// Consiste::MensErro and end the running operation; remote failures stop the wait
// animation and go on to the application's error display.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "contracts/framework/adoibquery.h"
#include "contracts/framework/buttonflat.h"
#include "contracts/framework/frmrotgeral.h"
#include "contracts/server/data_parts.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/data/field.h"
#include "platform/ui/animate.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/edit.h"
#include "platform/ui/std_controls.h"
#include "screens/common/module_session.h"

namespace Cli_VQR51201 {

class TfrmFormCompPreco : public Frmrotgeral::TfrmRotiGeral {
 public:
  TfrmFormCompPreco(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session);

  Pkg_VQR51200::TModuleSession& session;

  // --- controls this screen adds, top to bottom ---
  platform::TScrollBox* ScrollBox1;
  platform::TLabel* Label2;
  platform::TEdit* edtCliente;
  platform::TLabel* Label3;
  platform::TComboBox* cbbTpCusto;
  platform::TDBGrid* dbgCompPreClie;
  platform::TPanel* panBotoesGrade;
  Buttonflat::TButtonFlat* sbtIncluir;
  Buttonflat::TButtonFlat* sbtAlterar;
  Buttonflat::TButtonFlat* sbtExcluir;
  Buttonflat::TButtonFlat* sbtPrevia;
  platform::TPanel* panFormula;
  platform::TLabel* Label1;
  platform::TEdit* edtFormula;
  platform::TPanel* panEspera;
  platform::TGroupBox* grbEspera;
  platform::TLabel* lblMensagem;
  platform::TAnimate* anmAnimacao;
  Buttonflat::TButtonFlat* sbtCancelar;

  // --- the formula rows, behind dtsFatAjustPreClie ---
  platform::TClientDataSet* cdsFatAjustPreClie;
  platform::TDataSource* dtsFatAjustPreClie;
  platform::TStringField* cdsFatAjustPreClieCDFATPRECO;
  platform::TStringField* cdsFatAjustPreClieCDCLIENTE;
  platform::TStringField* cdsFatAjustPreClieSGFATPRECO;
  platform::TStringField* cdsFatAjustPreClieNRORDEMFAT;
  platform::TStringField* cdsFatAjustPreClieIDDETFATPRE;
  platform::TFloatField* cdsFatAjustPreClieVRFATPRECLIE;
  platform::TStringField* cdsFatAjustPreClieIDTPOPERFATCLIE;

  // --- the registered factors ---
  Adoibquery::TADOIBQuery* qryFatAjustPreco;
  platform::TDataSource* dtsFatAjustPreco;
  Adoibquery::TADOIBStringField* qryFatAjustPrecoCDFATPRECO;
  Adoibquery::TADOIBStringField* qryFatAjustPrecoSGFATPRECO;
  Adoibquery::TADOIBStringField* qryFatAjustPrecoNMFATPRECO;

  // --- opening: the screen's life and the coded columns ---
  void FormCreate(platform::TObject* Sender) override;
  void FormActivate(platform::TObject* Sender) override;
  void FormClose(platform::TObject* Sender, platform::TCloseAction& Action) override;
  void sbtCancelClick(platform::TObject* Sender) override;
  // Puts the data part of GetFatPreClie or SetCompPreco on the screen: the rows (when
  // `withRows`) and the formula text.
  void ShowFormula(const contracts::server::PacketAndText& formula, bool withRows);
  void cdsFatAjustPreClieIDDETFATPREGetText(platform::TField& Sender, std::string& Text, bool DisplayText);
  void cdsFatAjustPreClieIDDETFATPRESetText(platform::TField& Sender, const std::string& Text);
  void cdsFatAjustPreClieIDTPOPERFATCLIEGetText(platform::TField& Sender, std::string& Text, bool DisplayText);
  void cdsFatAjustPreClieIDTPOPERFATCLIESetText(platform::TField& Sender, const std::string& Text);

  // --- row editing ---
  void Habilita_Botoes();
  void Habilitacao_Grid();
  void dtsFatAjustPreClieStateChange(platform::TObject* Sender);
  void dbgCompPreClieEnter(platform::TObject* Sender);
  void dbgCompPreClieColEnter(platform::TObject* Sender);
  void cdsFatAjustPreClieAfterScroll(platform::TDataSet& DataSet);
  void sbtIncluirClick(platform::TObject* Sender);
  void sbtAlterarClick(platform::TObject* Sender);
  void sbtExcluirClick(platform::TObject* Sender);
  void sbtCancelarClick(platform::TObject* Sender);
  void FormKeyDown(platform::TObject* Sender, std::uint16_t& Key, platform::TShiftState Shift) override;
  void dbgCompPreClieKeyPress(platform::TObject* Sender, char32_t& Key);
  void dbgCompPreClieKeyDown(platform::TObject* Sender, std::uint16_t& Key, platform::TShiftState Shift);

  // --- row checks ---
  void dbgCompPreClieEditButtonClick(platform::TObject* Sender);
  void dbgCompPreClieColExit(platform::TObject* Sender);
  // The row's factor: registered, and (for a new row) not yet in the formula. With
  // `informa` an empty factor is reported, without it it is let pass.
  void Vd_FatorPreco(bool informa);
  // The row's order: (for a new row) padded to three characters and not yet in the
  // formula. With `informa` an empty order is reported, without it it is let pass.
  void Vd_Ordem(bool informa);
  void cdsFatAjustPreClieBeforeInsert(platform::TDataSet& DataSet);
  void cdsFatAjustPreClieAfterInsert(platform::TDataSet& DataSet);
  void cdsFatAjustPreClieBeforePost(platform::TDataSet& DataSet);

  // --- saving and recalculation ---
  void cdsFatAjustPreClieAfterPost(platform::TDataSet& DataSet);
  void cdsFatAjustPreClieAfterDelete(platform::TDataSet& DataSet);
  void sbtConfirmaClick(platform::TObject* Sender) override;
  // Shows what the recalculation would do with the formula as saved and the cost type
  // chosen, writing nothing (GetPreviaCalcCusProd behind the wait panel).
  void sbtPreviaClick(platform::TObject* Sender);

 private:
  // The history position of the last preview shown, sent with the recalculation.
  std::optional<std::int64_t> previewMark_;
  void CreateCustomerAndCostType();
  void CreateFormulaGrid();
  void CreateGridColumns();
  void CreateRowCommands();
  void CreateFormulaText();
  void CreateWaitPanel();
  void CreateFormulaRows();
  void CreateFactorQuery();
  void FillCatalog();
  void BindEvents();

  bool Editing() const;
  bool Inserting() const;
  // Shows the catalog text of `key` as an error and ends the running operation.
  [[noreturn]] void Report(const char* key);
  // Opens qryFatAjustPreco on every factor ("T") or on the one abbreviation given.
  void OpenFactors(const std::string& all, const std::string& abbreviation);
  // Sends the one pending change of cdsFatAjustPreClie (SetCompPreco) and shows the
  // new formula text; `posted` tells a post (the grid then leaves its cell editor) from
  // a deletion, which a refused or failed save undoes before the error goes on.
  void SavePendingChange(bool posted);
  // The field takes the first of `codes` whose catalog text is exactly `text`; a text
  // that matches none leaves the field as it was.
  void SetCodeFromText(platform::TField& field, const std::string& text, std::initializer_list<const char*> codes);
};

}  // namespace Cli_VQR51201
