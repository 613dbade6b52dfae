#pragma once
// TfrmTabPreClie: the customer price table, the module's main screen.
//
// The user picks one customer in the strip panCliente (registration number typed in
// medCdClie, or chosen with the search button btpCliente); entering the grid loads
// that customer's special price and validity period for every product; each posted
// row is stored at once with SetTabPreClie, and the delete command clears a price
// after confirmation. The screen opens the module session's two server connections
// (netTabPreClie, netCustos) on creation and closes them on closing, and reloads its
// prices when the session's boAtualizaPreco says the formula or copy screen changed
// them on the server.
//
// The customer whose prices are loaded and saved is always the current row of
// cdsPesqClie; the session's Cliente record follows it as described at each handler.
// Leaving the customer strip and drawing the grid's cells need nothing of this screen,
// so neither event is handled. Failed checks show a catalog text through Consiste::MensErro and end the running
// operation; remote failures stop the wait animation and go on to the application's
// error display.
#include <cstdint>
#include <string>

#include "contracts/framework/btnpesquisa.h"
#include "contracts/framework/buttonflat.h"
#include "contracts/framework/frmpadrgrid.h"
#include "contracts/framework/newmenus.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/data/field.h"
#include "platform/ui/edit.h"
#include "platform/ui/mask_edit.h"
#include "platform/ui/std_controls.h"
#include "screens/common/module_session.h"

namespace Cli_VQR51200 {

class TfrmTabPreClie : public Frmpadrgrid::TfrmPadraoGrid {
 public:
  TfrmTabPreClie(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session);

  // The connections, the customer record and the reload flag this screen shares with
  // the module's other screens.
  Pkg_VQR51200::TModuleSession& session;

  // --- controls this screen adds ---
  Buttonflat::TButtonFlat* sbtFormComp;
  Buttonflat::TButtonFlat* sbtCopiaDados;
  Buttonflat::TButtonFlat* sbtHistorico;
  Buttonflat::TButtonFlat* sbtImportar;
  platform::TPanel* panCliente;
  platform::TLabel* Label1;
  platform::TMaskEdit* medCdClie;
  Btnpesquisa::TBtnPesquisa* btpCliente;
  platform::TEdit* edtNmClie;
  Newmenus::TMenuItem* mnuFormComp;
  Newmenus::TMenuItem* mnuCopiaDados;
  Newmenus::TMenuItem* mnuHistorico;
  Newmenus::TMenuItem* mnuImportar;
  // The formula, copy, history and import commands, each behind its button and its
  // menu item.
  platform::TAction* actFormComp;
  platform::TAction* actCopiaDados;
  platform::TAction* actHistorico;
  platform::TAction* actImportar;

  // --- customers: the search list (and the current customer) ---
  platform::TClientDataSet* cdsPesqClie;
  platform::TDataSource* dtsPesqClie;
  platform::TStringField* cdsPesqClieIDTPIJURCLIE;
  platform::TStringField* cdsPesqClieNRINSJURCLIE;
  platform::TStringField* cdsPesqClieNMRAZSOCCLIE;
  platform::TStringField* cdsPesqClieNMFANTCLIE;
  platform::TStringField* cdsPesqClieCDCLIENTE;

  // --- the customer check of Vd_Cliente ---
  platform::TClientDataSet* cdsCDCLiente;
  platform::TDataSource* dtsCDCliente;
  platform::TStringField* cdsCDCLienteCDCLIENTE;
  platform::TStringField* cdsCDCLienteNRINSJURCLIE;
  platform::TStringField* cdsCDCLienteNMRAZSOCCLIE;
  platform::TStringField* cdsCDCLienteIDTPIJURCLIE;
  platform::TStringField* cdsCDCLienteNMFANTCLIE;

  // --- the price list, behind dtsPadrao ---
  platform::TClientDataSet* cdsPrecoClie;
  platform::TStringField* cdsPrecoClieCDPRODUTO;
  platform::TStringField* cdsPrecoClieNMPRODUTO;
  platform::TStringField* cdsPrecoClieCDARVPROD;
  platform::TFloatField* cdsPrecoClieVRPRECOPROD;
  platform::TDateTimeField* cdsPrecoClieDTVALFIN;
  platform::TDateTimeField* cdsPrecoClieDTVALINI;

  // --- the screen's life ---
  void FormCreate(platform::TObject* Sender) override;
  void FormActivate(platform::TObject* Sender) override;
  void FormClose(platform::TObject* Sender, platform::TCloseAction& Action) override;

  // --- customer selection ---
  void panClienteEnter(platform::TObject* Sender);
  void medCdClieEnter(platform::TObject* Sender);
  void medCdClieChange(platform::TObject* Sender);
  void medCdClieExit(platform::TObject* Sender);
  void btpClienteBeforePesq(platform::TObject* Sender, bool& Continue);
  void btpClienteAfterPesq(platform::TObject* Sender);
  void cdsPesqClieNRINSJURCLIEGetText(platform::TField& Sender, std::string& Text, bool DisplayText);
  // Re-checks the selected customer with the server and refreshes Cliente; with
  // `informa` an empty number is reported (and aborts), without it it is let pass.
  void Vd_Cliente(bool informa);

  // --- commands ---
  void Habilita_Botoes();
  void sbtFormCompClick(platform::TObject* Sender);
  void sbtCopiaDadosClick(platform::TObject* Sender);
  // The price history of the customer (of the grid's current product by default); the
  // list is loaded again when a batch was undone there.
  void sbtHistoricoClick(platform::TObject* Sender);
  // The import of a spreadsheet's prices, for the customer shown (or for the customers
  // its lines name); the list is loaded again when prices were written.
  void sbtImportarClick(platform::TObject* Sender);
  void sbtImprimirClick(platform::TObject* Sender) override;

  // --- the price grid ---
  void dbgPadraoEnter(platform::TObject* Sender) override;
  void sbtVerificarClick(platform::TObject* Sender) override;
  void sbtAlterarClick(platform::TObject* Sender) override;
  void dtsPadraoStateChange(platform::TObject* Sender) override;
  void dbgPadraoKeyPress(platform::TObject* Sender, char32_t& Key) override;
  void dbgPadraoKeyDown(platform::TObject* Sender, std::uint16_t& Key, platform::TShiftState Shift) override;
  void cdsPrecoClieDTVALINISetText(platform::TField& Sender, const std::string& Text);
  void cdsPrecoClieDTVALFINSetText(platform::TField& Sender, const std::string& Text);
  void cdsPrecoClieBeforePost(platform::TDataSet& DataSet);
  void cdsPrecoClieAfterScroll(platform::TDataSet& DataSet);
  void cdsPrecoClieAfterCancel(platform::TDataSet& DataSet);

  // --- saving and deleting ---
  void cdsPrecoClieAfterPost(platform::TDataSet& DataSet);
  void sbtExcluirClick(platform::TObject* Sender) override;
  void cdsPrecoClieBeforeDelete(platform::TDataSet& DataSet);

 private:
  void CreateCustomerStrip();
  void CreateCommands();
  void CreateCustomerDataSets();
  void CreatePriceList();
  void CreatePriceColumns();
  void FillCatalog();
  void BindEvents();

  // Loads the selected customer's prices into cdsPrecoClie (wait animation kind 6);
  // loading the same customer's prices again (back from a recalculation, "Verificar")
  // keeps the cursor on the product it was on.
  void LoadPriceList();
  std::string loadedCustomer_;
  // The current customer of cdsPesqClie, as the server knows it ("" when none).
  std::string SelectedCustomer() const;
  // The session's Cliente takes the current row of cdsPesqClie.
  void CopySearchRowToCliente();
  // Looks up a number typed in the strip and not yet looked up (as leaving the strip);
  // an empty strip empties Cliente.
  void ResolveTypedCustomer();
  void AttachStateChange();
};

}  // namespace Cli_VQR51200
