// TClieProdFilter: the controls, datasets and product query of the filter, and the
// binding of their events to the screen's handlers.
#include "screens/common/clie_prod_filter.h"

#include <utility>

#include "screens/common/components.h"

namespace Pkg_VQR51200 {

using platform::TObject;

namespace {

constexpr int kCodeWidth = 91;
constexpr int kRowHeight = 21;
constexpr int kRowLeft = 8;
constexpr int kRowLabelWidth = 36;

platform::TGroupBox* NewGroup(platform::TComponent& owner, platform::TControl& parent, const char* name,
                              const char* caption, const TBounds& b) {
  return NewBoldGroup(&owner, &parent, name, caption, b.left, b.top, b.width, b.height);
}

}  // namespace

void TClieProdFilterHandlers::rbtTodosClick(TObject*) { filter->rbtTodosClick(); }

void TClieProdFilterHandlers::rbtListaClick(TObject*) { filter->rbtListaClick(); }

void TClieProdFilterHandlers::btpPesqClieClick(TObject*) { filter->btpPesqClieClick(); }

void TClieProdFilterHandlers::cdsPesqClieNRINSJURCLIEGetText(platform::TField& Sender, std::string& Text, bool) {
  filter->cdsPesqClieNRINSJURCLIEGetText(Sender, Text);
}

void TClieProdFilterHandlers::medProdIniChange(TObject*) { filter->medProdIniChange(); }

void TClieProdFilterHandlers::medProdFinChange(TObject*) { filter->medProdFinChange(); }

void TClieProdFilterHandlers::medProdIniExit(TObject*) { filter->medProdIniExit(); }

void TClieProdFilterHandlers::medProdFinExit(TObject*) { filter->medProdFinExit(); }

void TClieProdFilterHandlers::brnPesqProdIniBeforePesq(TObject*, bool&) { filter->OpenAllProducts(); }

void TClieProdFilterHandlers::brnPesqProdIniAfterPesq(TObject*) { filter->brnPesqProdIniAfterPesq(); }

void TClieProdFilterHandlers::btnProdFinBeforePesq(TObject*, bool&) { filter->OpenAllProducts(); }

void TClieProdFilterHandlers::btnProdFinAfterPesq(TObject*) { filter->btnProdFinAfterPesq(); }

void TClieProdFilterHandlers::VdProdIni() { filter->VdProdIni(); }

void TClieProdFilterHandlers::VdProdFin() { filter->VdProdFin(); }

void TClieProdFilterHandlers::VdProdutos() { filter->VdProdutos(); }

TClieProdFilter::TClieProdFilter(platform::TComponent& screen, platform::TControl& parent, TModuleSession& session,
                                 const Nrv_msg::TMessages& catalog, std::string& list,
                                 TClieProdFilterHandlers& handlers, TFilterSettings settings)
    : session_(session), catalog_(catalog), list_(list), settings_(std::move(settings)) {
  CreateCustomerGroup(screen, parent);
  CreateCustomerList(screen);
  CreateProductGroup(screen, parent);
  CreateProductQuery(screen);
  BindEvents(handlers);
}

void TClieProdFilter::CreateCustomerGroup(platform::TComponent& screen, platform::TControl& parent) {
  grbClieDest = NewGroup(screen, parent, "grbClieDest", "Cliente Destino", settings_.customerGroup);
  rbtTodos = NewControl<platform::TRadioButton>(&screen, grbClieDest, "rbtTodos", 9, 22, 55, 17);
  rbtTodos->SetCaption("Todos");
  rbtTodos->SetChecked(true);
  rbtLista = NewControl<platform::TRadioButton>(&screen, grbClieDest, "rbtLista", 9, 48, 55, 17);
  rbtLista->SetCaption("Lista");
  btpPesqClie = NewControl<Btnpesquisa::TBtnPesquisa>(&screen, grbClieDest, "btpPesqClie", 66, 46, 21, 21);
  btpPesqClie->SetHint("Pesquisar");
  btpPesqClie->Associate = rbtLista;
  btpPesqClie->Title = "Cliente";
  btpPesqClie->EmptyError = "Não há cliente cadastrado.";
  btpPesqClie->SetEnabled(false);
  lblQtdeClie = NewControl<platform::TLabel>(&screen, grbClieDest, "lblQtdeClie", 91, 50,
                                             settings_.customerGroup.width - 95, 13);
}

void TClieProdFilter::CreateCustomerList(platform::TComponent& screen) {
  cdsPesqClie = NewDataSet(&screen, "cdsPesqClie");
  cdsPesqClieIDMARCADO = NewField<platform::TStringField>(cdsPesqClie, "IDMARCADO", "", 1);
  cdsPesqClieCDCLIENTE = NewField<platform::TStringField>(cdsPesqClie, "CDCLIENTE", "", 21);
  cdsPesqClieCDCLIENTE->SetVisible(false);
  cdsPesqClieNRINSJURCLIE = NewField<platform::TStringField>(cdsPesqClie, "NRINSJURCLIE", "Inscrição", 20);
  cdsPesqClieNMRAZSOCCLIE = NewField<platform::TStringField>(cdsPesqClie, "NMRAZSOCCLIE", "Razão Social", 50);
  cdsPesqClieIDTPIJURCLIE = NewField<platform::TStringField>(cdsPesqClie, "IDTPIJURCLIE", "", 1);
  cdsPesqClieIDTPIJURCLIE->SetVisible(false);
  cdsPesqClieNMFANTCLIE =
      NewField<platform::TStringField>(cdsPesqClie, "NMFANTCLIE", settings_.tradeNameLabel.c_str(), 50);
  // The three columns side by side in the list: a masked number, then the names.
  cdsPesqClieNRINSJURCLIE->SetDisplayWidth(18);
  cdsPesqClieNMRAZSOCCLIE->SetDisplayWidth(30);
  cdsPesqClieNMFANTCLIE->SetDisplayWidth(25);
  dtsPesqClie = NewDataSource(&screen, "dtsPesqClie", cdsPesqClie);
}

void TClieProdFilter::CreateProductGroup(platform::TComponent& screen, platform::TControl& parent) {
  GroupBox2 = NewGroup(screen, parent, "GroupBox2", "Produto", settings_.productGroup);
  CreateProductRow(screen, kRowLeft, 20, "medProdIni", "brnPesqProdIni", "edtNmProdIni", medProdIni, brnPesqProdIni,
                   edtNmProdIni);
  CreateProductRow(screen, kRowLeft, 46, "medProdFin", "btnProdFin", "edtNmProdFin", medProdFin, btnProdFin,
                   edtNmProdFin);
  if (settings_.rowLabels) {
    CreateRowLabel(screen, 20, "lblProdIni", "Inicial", lblProdIni, *medProdIni);
    CreateRowLabel(screen, 46, "lblProdFin", "Final", lblProdFin, *medProdFin);
  }
  for (auto [control, order] :
       {std::pair<platform::TControl*, int>{edtNmProdIni, 2}, {edtNmProdFin, 3}, {medProdIni, 4}, {medProdFin, 5}})
    control->SetTabOrder(order);
}

void TClieProdFilter::CreateProductRow(platform::TComponent& screen, int left, int top, const char* codeName,
                                       const char* buttonName, const char* nameName, platform::TMaskEdit*& code,
                                       Btnpesquisa::TBtnPesquisa*& button, platform::TEdit*& name) {
  if (settings_.rowLabels) left += kRowLabelWidth + 4;
  code = NewControl<platform::TMaskEdit>(&screen, GroupBox2, codeName, left, top, kCodeWidth, kRowHeight);
  button = NewControl<Btnpesquisa::TBtnPesquisa>(&screen, GroupBox2, buttonName, left + kCodeWidth + 2, top, 21,
                                                 kRowHeight);
  button->SetHint("Pesquisar");
  button->Associate = code;
  button->Title = "Produto";
  button->EmptyError = "Não há Produto cadastrado.";
  name = NewControl<platform::TEdit>(&screen, GroupBox2, nameName, left + kCodeWidth + 25, top,
                                     settings_.nameEditWidth, kRowHeight);
  name->SetColor(platform::clBtnFace);
  name->SetEnabled(false);
}

void TClieProdFilter::CreateRowLabel(platform::TComponent& screen, int top, const char* labelName,
                                     const char* caption, platform::TLabel*& label, platform::TMaskEdit& code) {
  label = NewControl<platform::TLabel>(&screen, GroupBox2, labelName, kRowLeft, top + 4, kRowLabelWidth, 13);
  label->SetCaption(caption);
  label->FocusControl = &code;
}

// Read-only, straight from the database: every product ('T') or the one code given.
void TClieProdFilter::CreateProductQuery(platform::TComponent& screen) {
  qryPesqProd = NewQuery(&screen, "qryPesqProd",
                         {"SELECT CDPRODUTO, CDARVPROD, NMPRODUTO", "FROM PRODUTO", "WHERE",
                          "((CDARVPROD = :P_CDARVPROD)OR(:P_TCDPRODUTO = 'T'))", "ORDER BY", "CDARVPROD, NMPRODUTO"});
  qryPesqProdCDPRODUTO = NewField<Adoibquery::TADOIBStringField>(qryPesqProd, "CDPRODUTO", "", 10);
  qryPesqProdCDPRODUTO->SetVisible(false);
  qryPesqProdCDARVPROD = NewField<Adoibquery::TADOIBStringField>(qryPesqProd, "CDARVPROD", "Código", 20);
  qryPesqProdNMPRODUTO = NewField<Adoibquery::TADOIBStringField>(qryPesqProd, "NMPRODUTO", "Nome", 50);
  dtsPesqProd = NewDataSource(&screen, "dtsPesqProd", qryPesqProd);
  brnPesqProdIni->DataSource = dtsPesqProd;
  btnProdFin->DataSource = dtsPesqProd;
}

void TClieProdFilter::BindEvents(TClieProdFilterHandlers& h) {
  rbtTodos->OnClick = [&h](TObject* s) { h.rbtTodosClick(s); };
  rbtLista->OnClick = [&h](TObject* s) { h.rbtListaClick(s); };
  btpPesqClie->OnClick = [&h](TObject* s) { h.btpPesqClieClick(s); };
  if (settings_.maskRegistration)
    cdsPesqClieNRINSJURCLIE->OnGetText = [&h](platform::TField& f, std::string& t, bool d) {
      h.cdsPesqClieNRINSJURCLIEGetText(f, t, d);
    };
  medProdIni->OnChange = [&h](TObject* s) { h.medProdIniChange(s); };
  medProdFin->OnChange = [&h](TObject* s) { h.medProdFinChange(s); };
  medProdIni->OnExit = [&h](TObject* s) { h.medProdIniExit(s); };
  medProdFin->OnExit = [&h](TObject* s) { h.medProdFinExit(s); };
  brnPesqProdIni->OnBeforePesq = [&h](TObject* s, bool& c) { h.brnPesqProdIniBeforePesq(s, c); };
  brnPesqProdIni->OnAfterPesq = [&h](TObject* s) { h.brnPesqProdIniAfterPesq(s); };
  btnProdFin->OnBeforePesq = [&h](TObject* s, bool& c) { h.btnProdFinBeforePesq(s, c); };
  btnProdFin->OnAfterPesq = [&h](TObject* s) { h.btnProdFinAfterPesq(s); };
}

}  // namespace Pkg_VQR51200
