#pragma once
// TClieProdFilter: the target customers and the product range a screen works on (the
// copy screen, the price table report screen), written once. Each screen owns one,
// built on its own data group with its own catalog and its own unit's stListaClie,
// calling through the module session's netTabPreClie; the points where the screens
// differ are TFilterSettings.
//
// Customers, group grbClieDest "Cliente Destino": rbtTodos "Todos" (checked at the
// start) or rbtLista "Lista" with the search button btpPesqClie, enabled only while
// "Lista" is chosen. Every change of choice empties the list. The button reloads the
// customers from the server (GetPesqClieLista, given the settings' customer variable)
// into cdsPesqClie and runs the multiple-choice list (Pesqlista::PesquisaLista), whose
// answer becomes the list (its encoding is the list dialog's). The label lblQtdeClie
// beside the button shows how many customers the list holds, "(n)", empty without a list.
//
// Products, group GroupBox2 "Produto": two rows, first and last product, each a code
// edit (medProdIni / medProdFin, the product code mask set at activation), its search
// button (brnPesqProdIni / btnProdFin, over every product of qryPesqProd) and the name
// of the code (edtNmProdIni / edtNmProdFin, display only: any change of the code clears
// it, a search or a successful lookup fills it). qryPesqProd reads PRODUTO directly on
// the framework's read-only connection. With the settings' rowLabels each row opens with
// a label naming it (lblProdIni "Inicial", lblProdFin "Final", as the validity dates are
// named), focusing its code edit.
//
// The events of these controls are bound to the screen's handlers of the same names
// (TClieProdFilterHandlers, below); each handler hands over to the body of that name here.
// Failed checks put the focus on the control named, show the catalog text of their key
// (Clie_Deve, ProdIniDeve, ProdFinDeve, ProdIni>ProdFin) and end the running operation.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "contracts/framework/adoibquery.h"
#include "contracts/framework/btnpesquisa.h"
#include "contracts/framework/nrv_msg.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/data/field.h"
#include "platform/ui/buttons.h"
#include "platform/ui/edit.h"
#include "platform/ui/mask_edit.h"
#include "platform/ui/std_controls.h"
#include "screens/common/components.h"
#include "screens/common/module_session.h"

namespace Pkg_VQR51200 {

struct TFilterSettings {
  // The customer variable GetPesqClieLista is given (by reference).
  std::function<std::string&()> listCustomer;
  // Registration numbers shown in the mask of their person kind (else as stored).
  bool maskRegistration = false;
  // The customer given to GetPesqClieLista is left out of the list (a copy's source
  // cannot be its own target).
  bool leaveOutListCustomer = false;
  std::string tradeNameLabel;
  // Whether activation empties the list.
  bool emptyListAtActivation = false;
  // Whether both codes are needed now; the code edits then have the colour of a
  // required field (clInfoBk), else the window colour.
  std::function<bool()> rangeRequired;
  TBounds customerGroup;
  TBounds productGroup;
  int nameEditWidth = 0;
  bool rowLabels = false;
};

class TClieProdFilterHandlers;

class TClieProdFilter {
 public:
  // Builds the two groups on `parent` (components owned by `screen`) and binds their
  // events to `handlers`. `catalog` and `list` are the screen's.
  TClieProdFilter(platform::TComponent& screen, platform::TControl& parent, TModuleSession& session,
                  const Nrv_msg::TMessages& catalog, std::string& list, TClieProdFilterHandlers& handlers,
                  TFilterSettings settings);

  // --- customers ---
  platform::TGroupBox* grbClieDest;
  platform::TRadioButton* rbtTodos;
  platform::TRadioButton* rbtLista;
  Btnpesquisa::TBtnPesquisa* btpPesqClie;
  platform::TLabel* lblQtdeClie;
  platform::TClientDataSet* cdsPesqClie;
  platform::TStringField* cdsPesqClieIDMARCADO;
  platform::TStringField* cdsPesqClieCDCLIENTE;
  platform::TStringField* cdsPesqClieNRINSJURCLIE;
  platform::TStringField* cdsPesqClieNMRAZSOCCLIE;
  platform::TStringField* cdsPesqClieIDTPIJURCLIE;
  platform::TStringField* cdsPesqClieNMFANTCLIE;
  platform::TDataSource* dtsPesqClie;

  // --- products ---
  platform::TGroupBox* GroupBox2;
  platform::TLabel* lblProdIni = nullptr;  // only with rowLabels
  platform::TLabel* lblProdFin = nullptr;
  platform::TMaskEdit* medProdIni;
  Btnpesquisa::TBtnPesquisa* brnPesqProdIni;
  platform::TEdit* edtNmProdIni;
  platform::TMaskEdit* medProdFin;
  Btnpesquisa::TBtnPesquisa* btnProdFin;
  platform::TEdit* edtNmProdFin;
  Adoibquery::TADOIBQuery* qryPesqProd;
  Adoibquery::TADOIBStringField* qryPesqProdCDPRODUTO;
  Adoibquery::TADOIBStringField* qryPesqProdCDARVPROD;
  Adoibquery::TADOIBStringField* qryPesqProdNMPRODUTO;
  platform::TDataSource* dtsPesqProd;

  // --- the handlers' bodies ---
  void rbtTodosClick();
  void rbtListaClick();
  void btpPesqClieClick();
  void cdsPesqClieNRINSJURCLIEGetText(platform::TField& Sender, std::string& Text);
  void medProdIniChange();
  void medProdFinChange();
  void medProdIniExit() { VdProdIni(); }
  void medProdFinExit() { VdProdFin(); }
  // Before a product search: every product.
  void OpenAllProducts();
  void brnPesqProdIniAfterPesq();
  void btnProdFinAfterPesq();

  // --- the screen's steps ---
  // The screen's activation: the product code mask on both code edits and on
  // qryPesqProdCDARVPROD; the list emptied when the settings say so; the code edits
  // coloured.
  void Activate();
  // Colours the code edits as required or not (settings' rangeRequired).
  void PaintRange();
  // "Lista" chosen with an empty list: focus on rbtLista, Clie_Deve.
  void VdListaClie();
  // A non-empty code must fit the product picture (Tabvalid::ValidEx; its error goes on
  // with the focus on the edit) and is looked up: found, the edit takes the stored code
  // and the name edit the name; not found, nothing is said and the name stays empty.
  void VdProdIni();
  void VdProdFin();
  // Both codes checked and looked up, then: both empty only when not required;
  // first empty, last empty, or first greater than last (character by character) are
  // refused with the focus on the code concerned.
  void VdProdutos();

  // --- what the filter hands to its screen ---
  // "T" when "Todos" is chosen, else "".
  std::string AllCustomersFlag() const;
  std::string& List() { return list_; }
  // The codes typed, blanks around them dropped: "" when a code edit is empty.
  std::string FirstProduct() const;
  std::string LastProduct() const;

 private:
  struct ProductRow {
    platform::TMaskEdit* code;
    platform::TEdit* name;
  };

  void CreateCustomerGroup(platform::TComponent& screen, platform::TControl& parent);
  void CreateCustomerList(platform::TComponent& screen);
  void CreateProductGroup(platform::TComponent& screen, platform::TControl& parent);
  void CreateProductRow(platform::TComponent& screen, int left, int top, const char* codeName, const char* buttonName,
                        const char* nameName, platform::TMaskEdit*& code, Btnpesquisa::TBtnPesquisa*& button,
                        platform::TEdit*& name);
  // The label opening a product row, naming it and focusing its code edit.
  void CreateRowLabel(platform::TComponent& screen, int top, const char* labelName, const char* caption,
                     platform::TLabel*& label, platform::TMaskEdit& code);
  void CreateProductQuery(platform::TComponent& screen);
  void BindEvents(TClieProdFilterHandlers& handlers);

  void LeaveOutListCustomer();
  void ShowListCount();
  void OpenProducts(const std::string& all, const std::string& code);
  void TakeSearchedProduct(const ProductRow& row);
  void CheckAndLookUp(const ProductRow& row);
  [[noreturn]] void Refuse(platform::TControl& focus, const char* key) const;

  TModuleSession& session_;
  const Nrv_msg::TMessages& catalog_;
  std::string& list_;
  TFilterSettings settings_;
};

// The handlers of the filter's controls on the screen that owns it, named after the
// controls and their events; each hands over to the body of that name in `filter`. A
// screen inherits them, and builds its filter in its constructor.
class TClieProdFilterHandlers {
 public:
  std::unique_ptr<TClieProdFilter> filter;

  virtual void rbtTodosClick(platform::TObject* Sender);
  virtual void rbtListaClick(platform::TObject* Sender);
  virtual void btpPesqClieClick(platform::TObject* Sender);
  // Bound only with maskRegistration.
  virtual void cdsPesqClieNRINSJURCLIEGetText(platform::TField& Sender, std::string& Text, bool DisplayText);
  virtual void medProdIniChange(platform::TObject* Sender);
  virtual void medProdFinChange(platform::TObject* Sender);
  virtual void medProdIniExit(platform::TObject* Sender);
  virtual void medProdFinExit(platform::TObject* Sender);
  virtual void brnPesqProdIniBeforePesq(platform::TObject* Sender, bool& Continue);
  virtual void brnPesqProdIniAfterPesq(platform::TObject* Sender);
  virtual void btnProdFinBeforePesq(platform::TObject* Sender, bool& Continue);
  virtual void btnProdFinAfterPesq(platform::TObject* Sender);
  void VdProdIni();
  void VdProdFin();
  void VdProdutos();

 protected:
  ~TClieProdFilterHandlers() = default;
};

}  // namespace Pkg_VQR51200
