#pragma once
// TfrmHistPreco: the price history of one customer, shown modally from the price table
// screen.
//
// dbgHistorico lists the changes newest first: when, origin ("Manual", "Recálculo",
// "Cópia", "Desfazer"), batch, the user who made it, product code and name, old and new
// price and validity.
// rbtProduto shows the product the window was opened for, rbtTodosProd every product.
// The rows come from the server a page at a time (GetHistPreco): reaching the last row
// loaded brings the next page, so a customer with a million changes opens as fast as
// one with ten.
//
// sbtDesfazer takes back the batch of the current row (a recalculation or copy) after
// the person confirms its date, origin, user, count and the customers it reaches (how
// many, and the first of them by name) (SetDesfazLote), reports how many prices were
// restored and lists those kept because they changed later, and loads the
// history again.
#include <cstdint>
#include <string>

#include "contracts/framework/buttonflat.h"
#include "contracts/framework/frmrotgeral.h"
#include "contracts/module/cliente.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/data/field.h"
#include "platform/ui/buttons.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/edit.h"
#include "platform/ui/std_controls.h"
#include "screens/common/module_session.h"

namespace Cli_VQR51205 {

class TfrmHistPreco : public Frmrotgeral::TfrmRotiGeral {
 public:
  TfrmHistPreco(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session);

  Pkg_VQR51200::TModuleSession& session;

  // --- the customer and the choice of products ---
  platform::TLabel* Label1;
  platform::TEdit* edtCliente;
  platform::TGroupBox* grbProdutos;
  platform::TRadioButton* rbtProduto;
  platform::TRadioButton* rbtTodosProd;
  platform::TDBGrid* dbgHistorico;
  Buttonflat::TButtonFlat* sbtDesfazer;

  // --- the loaded rows ---
  platform::TClientDataSet* cdsHistorico;
  platform::TDataSource* dtsHistorico;
  platform::TIntegerField* cdsHistoricoNRSEQHIST;
  platform::TDateTimeField* cdsHistoricoDTHRALT;
  platform::TStringField* cdsHistoricoIDORIGALT;
  platform::TIntegerField* cdsHistoricoNRLOTE;
  platform::TStringField* cdsHistoricoCDUSUARIO;
  platform::TStringField* cdsHistoricoCDPRODUTO;
  platform::TStringField* cdsHistoricoCDARVPROD;
  platform::TStringField* cdsHistoricoNMPRODUTO;
  platform::TFloatField* cdsHistoricoVRPRECOANT;
  platform::TFloatField* cdsHistoricoVRPRECONOV;
  platform::TDateTimeField* cdsHistoricoDTVALINIANT;
  platform::TDateTimeField* cdsHistoricoDTVALFINANT;
  platform::TDateTimeField* cdsHistoricoDTVALININOV;
  platform::TDateTimeField* cdsHistoricoDTVALFINNOV;

  Pkg_VQR51200::TCliente Cliente;
  std::string Produto;      // the product of rbtProduto ("" when there is none)
  bool* boDesfeito = nullptr;  // set when a batch is undone while the window is open

  // --- opening and the choice of products ---
  void FormActivate(platform::TObject* Sender) override;
  void rbtProdutoClick(platform::TObject* Sender);
  void rbtTodosProdClick(platform::TObject* Sender);
  void cdsHistoricoIDORIGALTGetText(platform::TField& Sender, std::string& Text, bool DisplayText);
  void cdsHistoricoAfterScroll(platform::TDataSet& DataSet);
  // Loads the first page of the chosen products.
  void LoadHistory();

  // --- undo ---
  void sbtDesfazerClick(platform::TObject* Sender);
  void Habilita_Botoes();

 private:
  void CreateCustomerAndChoice(const std::string& productName);
  void CreateDataSet();
  void CreateGrid();
  void FillCatalog();
  void BindEvents();
  // Appends the page (of `rows` rows) after the last row loaded, keeping the current row.
  void LoadNextPage(int rows);
  // Ctrl+End in the grid goes to the oldest change, loading every page still unread.
  void dbgHistoricoKeyDown(platform::TObject* Sender, std::uint16_t& Key, platform::TShiftState Shift);
  std::string ChosenProduct() const;

  bool morePages_ = false;
  bool loading_ = false;

  friend bool CriaHistPreco(Pkg_VQR51200::TModuleSession&, const Pkg_VQR51200::TCliente&, const std::string&,
                            const std::string&);
};

// The origin's name: "Manual", "Recálculo", "Cópia", "Desfazer" (the code itself when unknown).
std::string OriginName(const std::string& code);

}  // namespace Cli_VQR51205
