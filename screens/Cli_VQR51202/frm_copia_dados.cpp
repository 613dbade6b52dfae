// TfrmCopiaDados: the controls, the filter, the formula rows and the message catalog
// of the screen, and the binding of their events to the screen's handlers.
#include "screens/Cli_VQR51202/frm_copia_dados.h"

#include <initializer_list>

#include "screens/Cli_VQR51202/cli_vqr51202.h"
#include "screens/common/components.h"
#include "screens/common/formula_rows.h"
#include "screens/common/wait_panel.h"

namespace Cli_VQR51202 {

using namespace Pkg_VQR51200;
using platform::TObject;

namespace {

constexpr int kLeft = 6;
constexpr int kFullWidth = 342;
constexpr int kEditLeft = 98;
constexpr int kEditWidth = 250;

}  // namespace

TfrmCopiaDados::TfrmCopiaDados(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session)
    : Frmrotgeral::TfrmRotiGeral(owner), session(session) {
  IdentifyScreen(*this, *lblCodTela, "frmCopiaDados", "Cópia de Dados", "VQR51202", 410, 344);
  cdsFatAjustPreClie = Pkg_VQR51200::NewFormulaRows(this, "cdsFatAjustPreClie").dataSet;
  CreateSourceAndMode();
  CreateCostType();
  filter = std::make_unique<TClieProdFilter>(
      *this, *grbDadosRel, session, *msgPadrao, stListaClie, *this,
      TFilterSettings{.listCustomer = []() -> std::string& { return Cliente.CdCliente; },
                      .maskRegistration = true,
                      .leaveOutListCustomer = true,
                      .tradeNameLabel = "Nome Fantasia",
                      .emptyListAtActivation = true,
                      .rangeRequired = [this] { return rbtPreco->Checked(); },
                      .customerGroup = {kLeft, 100, 129, 81},
                      .productGroup = {kLeft, 183, kFullWidth, 75},
                      // What the row's label leaves of the group.
                      .nameEditWidth = 170,
                      .rowLabels = true});
  CreateValidity();
  CreateFormula();
  CreateWaitPanel();
  int order = 0;
  for (platform::TControl* control :
       std::initializer_list<platform::TControl*>{GroupBox1, cbbTpCusto, filter->grbClieDest, grbValidade,
                                                  filter->GroupBox2, edtNmCliente, grbFormula, panEspera})
    control->SetTabOrder(order++);
  FillCatalog();
  sbtPrevia = Buttonflat::NewButtonFlat(this, panMenu, "sbtPrevia", "Prévia da cópia", 17, 56);
  BindEvents();
  SetActiveControl(rbtFormula);
}

void TfrmCopiaDados::CreateSourceAndMode() {
  Label1 = NewBoldLabel(this, grbDadosRel, "Label1", "Cliente Origem", kLeft + 2, 12, 88);
  edtNmCliente = NewControl<platform::TEdit>(this, grbDadosRel, "edtNmCliente", kEditLeft, 8, kEditWidth, 21);
  edtNmCliente->SetColor(platform::clBtnFace);
  edtNmCliente->SetEnabled(false);

  GroupBox1 = NewControl<platform::TGroupBox>(this, grbDadosRel, "GroupBox1", kLeft, 32, kFullWidth, 32);
  rbtFormula = NewControl<platform::TRadioButton>(this, GroupBox1, "rbtFormula", 8, 10, 72, 17);
  rbtFormula->SetCaption("Fórmula");
  rbtFormula->SetChecked(true);
  rbtPreco = NewControl<platform::TRadioButton>(this, GroupBox1, "rbtPreco", 88, 10, 60, 17);
  rbtPreco->SetCaption("Preço");
  chkSubstituir = NewControl<platform::TCheckBox>(this, GroupBox1, "chkSubstituir", 236, 10, 100, 17);
  chkSubstituir->SetCaption("Sobrescrever");
}

void TfrmCopiaDados::CreateCostType() {
  lblTipoCusto = NewBoldLabel(this, grbDadosRel, "lblTipoCusto", "Tipo Custo", kLeft + 2, 73, 68);
  cbbTpCusto = NewControl<platform::TComboBox>(this, grbDadosRel, "cbbTpCusto", kEditLeft, 69, kEditWidth, 21);
  cbbTpCusto->Style = platform::csDropDownList;
  lblTipoCusto->FocusControl = cbbTpCusto;
  Bevel1 = NewControl<platform::TBevel>(this, grbDadosRel, "Bevel1", kLeft, 95, kFullWidth, 2);
  Bevel1->Shape = platform::TBevelShape::bsTopLine;
}

// A row of the validity group: the label, then the date edit, wide enough for the date
// and its weekday.
Dateeditplus::TDateEditPlus* TfrmCopiaDados::NewDateEdit(const char* name, int top) {
  auto* edit = NewControl<Dateeditplus::TDateEditPlus>(this, grbValidade, name, 56, top, 140, 21);
  edit->ValidColor = platform::clBlue;
  edit->SaveTime = false;
  edit->WeekDays = {"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"};
  return edit;
}

void TfrmCopiaDados::CreateValidity() {
  grbValidade = NewBoldGroup(this, grbDadosRel, "grbValidade", "Validade", 139, 100, 209, 81);
  Label3 = NewControl<platform::TLabel>(this, grbValidade, "Label3", 10, 24, 40, 13);
  Label3->SetCaption("Inicial");
  DepDataIni = NewDateEdit("DepDataIni", 20);
  Label3->FocusControl = DepDataIni;
  Label4 = NewControl<platform::TLabel>(this, grbValidade, "Label4", 10, 51, 40, 13);
  Label4->SetCaption("Final");
  depDataFin = NewDateEdit("depDataFin", 47);
  Label4->FocusControl = depDataFin;
}

void TfrmCopiaDados::CreateFormula() {
  grbFormula = NewBoldGroup(this, grbDadosRel, "grbFormula", "Fórmula", kLeft, 260, kFullWidth, 81);
  Bevel2 = NewControl<platform::TBevel>(this, grbFormula, "Bevel2", 8, 18, 326, 55);
  lblFormula = NewBoldLabel(this, grbFormula, "lblFormula", "Custo ", 14, 24, 314);
  lblFormula->SetHeight(44);
  lblFormula->Font().Color = platform::clBlue;
}

// Over the target and validity groups while a copy runs.
void TfrmCopiaDados::CreateWaitPanel() {
  Pkg_VQR51200::NewWaitPanel(this, grbDadosRel,
                             {.panel = {20, 92, 313, 97},
                              .message = "Copiando dados...",
                              .messageAt = {16, 42, 130},
                              .animation = {196, 14, 100, 70},
                              .clip = platform::aviCopyFiles,
                              .stopFrame = 31},
                             panEspera, grbEspera, lblMensagem, anmAnimacao);
}

// All sixteen entries, those no code here looks up included.
void TfrmCopiaDados::FillCatalog() {
  msgPadrao->Add("Custo", "Custo");
  msgPadrao->Add("Cliente", "Cliente");
  msgPadrao->Add("Clie_Empty", "Não há Cliente cadastrado.");
  msgPadrao->Add("Conf_Copia_Form",
                 "A cópia da fórmula de composição ocasionará o recálculo dos preços dos produtos para os clientes "
                 "seloecionados. Deseja continuar?");
  msgPadrao->Add("Copia_Ok", "Cópia de dados realizada com sucesso.");
  msgPadrao->Add("@PrecoZerNeg",
                 "Operação Cancelada. A aplicação da fórmula faria com que alguns produtos ficassem com preço zerado "
                 "ou negativo.");
  msgPadrao->Add("Clie_Deve", "Cliente deve ser informado.");
  msgPadrao->Add("DataIniDeve", "Data inicial deve ser informada.");
  msgPadrao->Add("DataFinDeve", "Data final deve ser informada.");
  msgPadrao->Add("DtFin<DtIni", "Data inicial deve ser menor ou igual à data final.");
  msgPadrao->Add("Conf_Copia_Pre", "Confirmar cópia dos preços?");
  msgPadrao->Add("Nao_Prod_Cad", "Não há Produto cadastrado.");
  msgPadrao->Add("Produto", "Produto");
  msgPadrao->Add("ProdFinDeve", "Produto Final deve ser informado.");
  msgPadrao->Add("ProdIni>ProdFin", "Produto inicial deve ser menor ou igual ao produto final.");
  msgPadrao->Add("ProdIniDeve", "Produto Inicial deve ser informado.");
}

void TfrmCopiaDados::BindEvents() {
  rbtFormula->OnClick = [this](TObject* s) { rbtFormulaClick(s); };
  sbtPrevia->OnClick = [this](TObject* s) { sbtPreviaClick(s); };
  rbtPreco->OnClick = [this](TObject* s) { rbtPrecoClick(s); };
  DepDataIni->OnExit = [this](TObject* s) { DepDataIniExit(s); };
  depDataFin->OnExit = [this](TObject* s) { depDataFinExit(s); };
}

}  // namespace Cli_VQR51202
