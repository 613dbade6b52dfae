#pragma once
// TfrmCopiaDados: copies one customer's price composition formula ("Fórmula"), or its
// special prices for a validity period ("Preço"), to all customers or to a chosen
// list, for a range of products; shown modally from the price table screen.
//
// The target customers and the product range are the screen's filter (filter, a
// TClieProdFilter; its controls are reached through it). The screen only collects,
// checks and confirms the parameters: the copy itself is one remote call,
// SetCopiaDados or SetCopiaPreco, made behind the wait panel panEspera. A success says
// so, tells the price table screen to reload its prices (the module session's
// boAtualizaPreco) and closes the screen; a failure leaves it open with everything
// entered.
//
// The source customer's formula rows (cdsFatAjustPreClie) and formula text (lblFormula)
// are loaded when the screen is opened (Cli_VQR51202::CriaCopiaDados). All remote calls
// go through the module session's connection netTabPreClie, the cost types through its
// netCustos. Failed checks show a catalog text through Consiste::MensErro and end
// the running operation; remote failures stop the wait animation and go on to the
// application's error display.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "contracts/framework/dateeditplus.h"
#include "contracts/framework/frmrotgeral.h"
#include "contracts/framework/showavi.h"
#include "platform/data/client_dataset.h"
#include "platform/data/field.h"
#include "platform/ui/animate.h"
#include "platform/ui/buttons.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/edit.h"
#include "platform/ui/std_controls.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "screens/common/clie_prod_filter.h"
#include "screens/common/module_session.h"

namespace Cli_VQR51202 {

class TfrmCopiaDados : public Frmrotgeral::TfrmRotiGeral, public Pkg_VQR51200::TClieProdFilterHandlers {
 public:
  TfrmCopiaDados(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session);

  Pkg_VQR51200::TModuleSession& session;

  // --- controls inside grbDadosRel, in tab order ---
  platform::TLabel* Label1;
  platform::TEdit* edtNmCliente;
  platform::TGroupBox* GroupBox1;
  platform::TRadioButton* rbtFormula;
  platform::TRadioButton* rbtPreco;
  platform::TCheckBox* chkSubstituir;
  platform::TLabel* lblTipoCusto;
  platform::TComboBox* cbbTpCusto;
  platform::TBevel* Bevel1;
  platform::TGroupBox* grbValidade;
  platform::TLabel* Label3;
  Dateeditplus::TDateEditPlus* DepDataIni;
  platform::TLabel* Label4;
  Dateeditplus::TDateEditPlus* depDataFin;
  platform::TGroupBox* grbFormula;
  platform::TBevel* Bevel2;
  platform::TLabel* lblFormula;
  platform::TPanel* panEspera;
  platform::TGroupBox* grbEspera;
  platform::TLabel* lblMensagem;
  platform::TAnimate* anmAnimacao;
  // --- the source customer's formula rows (screens/common/formula_rows.h), kept, never shown ---
  platform::TClientDataSet* cdsFatAjustPreClie;

  // Puts the data part of GetFatPreClie (the rows and the formula text) on the screen.
  void ShowFormula(const contracts::server::PacketAndText& formula);

  // --- the screen's life and its modes ---
  void FormActivate(platform::TObject* Sender) override;
  void FormClose(platform::TObject* Sender, platform::TCloseAction& Action) override;
  // Enables the controls of the mode chosen and colours the product codes.
  void EnableGroup();
  void rbtFormulaClick(platform::TObject* Sender);
  void rbtPrecoClick(platform::TObject* Sender);

  // --- the validity period ---
  void DepDataIniExit(platform::TObject* Sender);
  void depDataFinExit(platform::TObject* Sender);
  // Price mode only: each date must be a valid date; with `fullCheck` also a final
  // date needs an initial one, and the initial may not come after the final.
  void VdData(bool fullCheck);

  // --- the copy ---
  void sbtConfirmaClick(platform::TObject* Sender) override;
  // Shows what the copy would do with the values on the screen, writing nothing: the
  // same checks as the confirm, then the preview of the mode chosen.
  void sbtPreviaClick(platform::TObject* Sender);

  Buttonflat::TButtonFlat* sbtPrevia;

 private:
  void CreateSourceAndMode();
  void CreateCostType();
  void CreateValidity();
  void CreateFormula();
  void CreateWaitPanel();
  void FillCatalog();
  void BindEvents();
  Dateeditplus::TDateEditPlus* NewDateEdit(const char* name, int top);
  // The remote call of the mode chosen, with the flags worked out by the confirm: the
  // copy itself, or its preview (FormulaMethod and PriceMethod the two previews).
  contracts::server::RunReply CallCopy(std::string& allCustomers, std::string& replace);
  // `call` makes the call of the method it is given as its template argument.
  template <class FormulaMethod, class PriceMethod, class Call>
  auto CallCopyAs(std::string& allCustomers, std::string& replace, Call&& call);
  // The history position of the last preview shown, sent with the copy.
  std::optional<std::int64_t> previewMark_;
  // The checks before a copy or its preview; the flags it sends.
  void CheckCopy(std::string& allCustomers, std::string& replace);
};

}  // namespace Cli_VQR51202
