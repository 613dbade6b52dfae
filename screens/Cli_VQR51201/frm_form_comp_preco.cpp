// TfrmFormCompPreco: the controls, datasets, factor query and message catalog of the
// screen, and the binding of their events to the screen's handlers.
#include "screens/Cli_VQR51201/frm_form_comp_preco.h"

#include "screens/common/components.h"
#include "screens/common/formula_rows.h"
#include "screens/common/wait_panel.h"

namespace Cli_VQR51201 {

using namespace Pkg_VQR51200;
using platform::TObject;

TfrmFormCompPreco::TfrmFormCompPreco(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session)
    : Frmrotgeral::TfrmRotiGeral(owner), session(session) {
  IdentifyScreen(*this, *lblCodTela, "frmFormCompPreco", "Fórmula de Composição", "VQR51201", 405, 336);
  OnKeyPress = nullptr;  // Enter is the recalculation here, never "next field"
  HelpText =
      "F2: inclui um fator; F3: altera o fator da linha; F4 ou Ctrl+Delete: exclui o fator da linha.\n"
      "Enter, sem linha em edição: recalcula os preços do cliente pela fórmula e pelo tipo de custo.\n"
      "Ctrl+Enter ou sair da linha: grava a linha em edição; Esc: cancela a linha em edição (depois de "
      "perguntar) ou, sem linha em edição, fecha a tela.\n"
      "Alt+Seta para baixo: abre a pesquisa de fatores ou a lista da coluna; nas colunas de código, "
      "M, N e P escolhem a determinação e +, -, * e / do teclado numérico a operação.";
  CreateFormulaRows();
  CreateFactorQuery();
  CreateCustomerAndCostType();
  CreateFormulaGrid();
  CreateGridColumns();
  CreateRowCommands();
  CreateFormulaText();
  CreateWaitPanel();
  FillCatalog();
  BindEvents();
  SetActiveControl(dbgCompPreClie);
}

void TfrmFormCompPreco::CreateFormulaRows() {
  const Pkg_VQR51200::TFormulaRowFields rows = Pkg_VQR51200::NewFormulaRows(this, "cdsFatAjustPreClie");
  cdsFatAjustPreClie = rows.dataSet;
  cdsFatAjustPreClieCDFATPRECO = rows.CDFATPRECO;
  cdsFatAjustPreClieCDFATPRECO->SetVisible(false);
  cdsFatAjustPreClieCDCLIENTE = rows.CDCLIENTE;
  cdsFatAjustPreClieCDCLIENTE->SetVisible(false);
  cdsFatAjustPreClieSGFATPRECO = rows.SGFATPRECO;
  cdsFatAjustPreClieNRORDEMFAT = rows.NRORDEMFAT;
  cdsFatAjustPreClieIDDETFATPRE = rows.IDDETFATPRE;
  cdsFatAjustPreClieVRFATPRECLIE = rows.VRFATPRECLIE;
  cdsFatAjustPreClieIDTPOPERFATCLIE = rows.IDTPOPERFATCLIE;
  dtsFatAjustPreClie = NewDataSource(this, "dtsFatAjustPreClie", cdsFatAjustPreClie);
}

void TfrmFormCompPreco::CreateFactorQuery() {
  qryFatAjustPreco = NewQuery(this, "qryFatAjustPreco",
                              {"SELECT F.CDFATPRECO,F.SGFATPRECO,F.NMFATPRECO", "FROM FATORPRECO F", "WHERE",
                               "   ((:P_TCDFATPRECO = 'T')OR(:P_SGFATPRECO = F.SGFATPRECO))", "ORDER BY F.SGFATPRECO"});
  qryFatAjustPrecoCDFATPRECO = NewField<Adoibquery::TADOIBStringField>(qryFatAjustPreco, "CDFATPRECO", "", 3);
  qryFatAjustPrecoCDFATPRECO->SetVisible(false);
  qryFatAjustPrecoSGFATPRECO = NewField<Adoibquery::TADOIBStringField>(qryFatAjustPreco, "SGFATPRECO", "Sigla", 4);
  qryFatAjustPrecoNMFATPRECO = NewField<Adoibquery::TADOIBStringField>(qryFatAjustPreco, "NMFATPRECO", "Nome", 30);
  dtsFatAjustPreco = NewDataSource(this, "dtsFatAjustPreco", qryFatAjustPreco);
}

void TfrmFormCompPreco::CreateCustomerAndCostType() {
  ScrollBox1 = new platform::TScrollBox(this);
  ScrollBox1->SetName("ScrollBox1");
  ScrollBox1->SetParent(grbDadosRel);
  ScrollBox1->SetAlign(platform::alClient);

  Label2 = NewBoldLabel(this, ScrollBox1, "Label2", "Cliente", 8, 11, 44);
  edtCliente = NewControl<platform::TEdit>(this, ScrollBox1, "edtCliente", 80, 7, 256, 21);
  edtCliente->SetColor(platform::clBtnFace);
  edtCliente->SetEnabled(false);

  Label3 = NewBoldLabel(this, ScrollBox1, "Label3", "Tipo Custo", 8, 38, 68);
  cbbTpCusto = NewControl<platform::TComboBox>(this, ScrollBox1, "cbbTpCusto", 80, 34, 256, 21);
  cbbTpCusto->Style = platform::csDropDownList;
  cbbTpCusto->SetTabOrder(0);
  Label3->FocusControl = cbbTpCusto;
}

void TfrmFormCompPreco::CreateFormulaGrid() {
  dbgCompPreClie = NewControl<platform::TDBGrid>(this, ScrollBox1, "dbgCompPreClie", 8, 62, 328, 168);
  dbgCompPreClie->SetColor(platform::clInfoBk);
  dbgCompPreClie->SetTabOrder(1);
  dbgCompPreClie->SetDataSource(dtsFatAjustPreClie);
  dbgCompPreClie->Options = {platform::dgEditing,  platform::dgTitles, platform::dgColumnResize,
                             platform::dgColLines, platform::dgRowLines, platform::dgTabs,
                             platform::dgConfirmDelete, platform::dgCancelOnExit};
}

void TfrmFormCompPreco::CreateGridColumns() {
  auto column = [this](const char* fieldName, int width) -> platform::TColumn& {
    platform::TColumn& c = dbgCompPreClie->Columns.Add();
    c.FieldName = fieldName;
    c.Width = width;
    return c;
  };
  column("NRORDEMFAT", 41);
  column("SGFATPRECO", 38).ButtonStyle = platform::cbsEllipsis;
  column("IDDETFATPRE", 85).PickList = {"Moeda", "Número", "Percentual"};
  column("VRFATPRECLIE", 56).TitleAlignment = platform::taRightJustify;
  platform::TColumn& operation = column("IDTPOPERFATCLIE", 0);
  operation.Alignment = platform::taCenter;
  operation.TitleAlignment = platform::taCenter;
  operation.PickList = {"+", "-", "x", "÷"};
}

void TfrmFormCompPreco::CreateRowCommands() {
  panBotoesGrade = NewControl<platform::TPanel>(this, ScrollBox1, "panBotoesGrade", 8, 232, 328, 29);
  sbtIncluir = Buttonflat::NewButtonFlat(this, panBotoesGrade, "sbtIncluir", "Incluir", 4, 4);
  sbtAlterar = Buttonflat::NewButtonFlat(this, panBotoesGrade, "sbtAlterar", "Alterar", 27, 4);
  sbtExcluir = Buttonflat::NewButtonFlat(this, panBotoesGrade, "sbtExcluir", "Excluir", 50, 4);
  sbtPrevia = Buttonflat::NewButtonFlat(this, panBotoesGrade, "sbtPrevia", "Prévia do recálculo", 73, 4);
  sbtCancelar = Buttonflat::NewButtonFlat(this, panMenu, "sbtCancelar", "Cancelar", 17, 56);
  for (Buttonflat::TButtonFlat* button : {sbtIncluir, sbtAlterar, sbtExcluir, sbtCancelar}) button->SetEnabled(false);
}

void TfrmFormCompPreco::CreateFormulaText() {
  panFormula = NewControl<platform::TPanel>(this, ScrollBox1, "panFormula", 8, 264, 328, 50);
  panFormula->SetEnabled(false);  // the formula is the server's: shown, never typed
  Label1 = NewBoldLabel(this, panFormula, "Label1", "Fórmula", 6, 5, 56);
  edtFormula = NewControl<platform::TEdit>(this, panFormula, "edtFormula", 6, 22, 316, 21);
  edtFormula->SetColor(platform::clBtnFace);
  edtFormula->Font().Bold = true;
  edtFormula->Font().Color = platform::clBlue;
}

void TfrmFormCompPreco::CreateWaitPanel() {
  Pkg_VQR51200::NewWaitPanel(this, ScrollBox1,
                             {.panel = {44, 100, 248, 84},
                              .message = "Racalculando Preços...",
                              .messageAt = {10, 36, 148},
                              .animation = {164, 12, 72, 60},
                              .clip = platform::aviFindFile,
                              .stopFrame = 8},
                             panEspera, grbEspera, lblMensagem, anmAnimacao);
}

void TfrmFormCompPreco::FillCatalog() {
  msgPadrao->Add("Custo", "Custo");
  msgPadrao->Add("FatAjuPreco", "Fator de Ajuste do Preço");
  msgPadrao->Add("FatAju_N_Cad", "Não há fator de ajuste do preço cadastrado.");
  msgPadrao->Add("FatAjPreco_Deve", "Fator de Ajuste do Preço deve ser informado.");
  msgPadrao->Add("FatAjPre_N_Cad", "Fator de Ajuste do Preço não cadastrado.");
  msgPadrao->Add("FatAjPre_J_Cad", "Fator de Ajuste do preço já cadastrado para o cliente informado.");
  msgPadrao->Add("Canc", "Cancelar operação?");
  msgPadrao->Add("Excl", "Confirma exclusão?");
  msgPadrao->Add("P", "Percentual");
  msgPadrao->Add("N", "Número");
  msgPadrao->Add("M", "Moeda");
  msgPadrao->Add("SUM", "+");
  msgPadrao->Add("SUB", "-");
  msgPadrao->Add("MUL", "x");
  msgPadrao->Add("DIV", "÷");
  msgPadrao->Add("Valor_>_zero", "Valor deve ser maior que zero.");
  msgPadrao->Add("Valor_Deve", "Valor deve ser informado.");
  msgPadrao->Add("Ordem_Deve", "Ordem deve ser informada.");
  msgPadrao->Add("Ordem_Cad", "Ordem já cadastrada.");
  msgPadrao->Add("Recalc", "Deseja recalcular o preço dos produtos para o cliente informado?");
  msgPadrao->Add("Recalc_Ok", "Recálculo de preços realizado com sucesso.");
  msgPadrao->Add("@PrecoZerNeg",
                 "Operação Cancelada. A aplicação da fórmula faria com que alguns produtos ficassem com preço zerado "
                 "ou negativo.");
}

void TfrmFormCompPreco::BindEvents() {
  using platform::TDataSet;
  using platform::TField;
  cdsFatAjustPreClieIDDETFATPRE->OnGetText = [this](TField& f, std::string& t, bool d) {
    cdsFatAjustPreClieIDDETFATPREGetText(f, t, d);
  };
  cdsFatAjustPreClieIDDETFATPRE->OnSetText = [this](TField& f, const std::string& t) {
    cdsFatAjustPreClieIDDETFATPRESetText(f, t);
  };
  cdsFatAjustPreClieIDTPOPERFATCLIE->OnGetText = [this](TField& f, std::string& t, bool d) {
    cdsFatAjustPreClieIDTPOPERFATCLIEGetText(f, t, d);
  };
  cdsFatAjustPreClieIDTPOPERFATCLIE->OnSetText = [this](TField& f, const std::string& t) {
    cdsFatAjustPreClieIDTPOPERFATCLIESetText(f, t);
  };

  dtsFatAjustPreClie->OnStateChange = [this](platform::TDataSource& s) { dtsFatAjustPreClieStateChange(&s); };
  dbgCompPreClie->OnEnter = [this](TObject* s) { dbgCompPreClieEnter(s); };
  dbgCompPreClie->OnColEnter = [this](TObject* s) { dbgCompPreClieColEnter(s); };
  dbgCompPreClie->OnColExit = [this](TObject* s) { dbgCompPreClieColExit(s); };
  dbgCompPreClie->OnKeyPress = [this](TObject* s, char32_t& k) { dbgCompPreClieKeyPress(s, k); };
  dbgCompPreClie->OnKeyDown = [this](TObject* s, std::uint16_t& k, platform::TShiftState sh) {
    dbgCompPreClieKeyDown(s, k, sh);
  };
  dbgCompPreClie->OnEditButtonClick = [this](TObject* s) { dbgCompPreClieEditButtonClick(s); };
  sbtIncluir->OnClick = [this](TObject* s) { sbtIncluirClick(s); };
  sbtAlterar->OnClick = [this](TObject* s) { sbtAlterarClick(s); };
  sbtExcluir->OnClick = [this](TObject* s) { sbtExcluirClick(s); };
  sbtPrevia->OnClick = [this](TObject* s) { sbtPreviaClick(s); };
  sbtCancelar->OnClick = [this](TObject* s) { sbtCancelarClick(s); };

  cdsFatAjustPreClie->AfterScroll = [this](TDataSet& d) { cdsFatAjustPreClieAfterScroll(d); };
  cdsFatAjustPreClie->BeforeInsert = [this](TDataSet& d) { cdsFatAjustPreClieBeforeInsert(d); };
  cdsFatAjustPreClie->AfterInsert = [this](TDataSet& d) { cdsFatAjustPreClieAfterInsert(d); };
  cdsFatAjustPreClie->BeforePost = [this](TDataSet& d) { cdsFatAjustPreClieBeforePost(d); };
  cdsFatAjustPreClie->AfterPost = [this](TDataSet& d) { cdsFatAjustPreClieAfterPost(d); };
  cdsFatAjustPreClie->AfterDelete = [this](TDataSet& d) { cdsFatAjustPreClieAfterDelete(d); };
}

}  // namespace Cli_VQR51201
