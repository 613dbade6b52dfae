// TfrmTabPreClie: the controls, datasets and message catalog of the screen, and the
// binding of their events to the screen's handlers.
#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"

#include "platform/ui/db_controls.h"
#include "platform/ui/db_grid.h"
#include "screens/common/components.h"
#include "screens/common/price_format.h"

namespace Cli_VQR51200 {

using namespace Pkg_VQR51200;
using platform::TObject;

TfrmTabPreClie::TfrmTabPreClie(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session)
    : Frmpadrgrid::TfrmPadraoGrid(owner), session(session) {
  SetName("frmTabPreClie");
  SetCaption("Tabela de Preço por Cliente");
  SetBounds(207, 153, 657, 346);
  lblCodTela->SetCaption("VQR51200");
  CreateCommands();
  CreateCustomerDataSets();
  CreateCustomerStrip();
  CreatePriceList();
  CreatePriceColumns();
  FillCatalog();
  BindEvents();
  SetActiveControl(medCdClie);
}

void TfrmTabPreClie::CreateCommands() {
  sbtFormComp = Buttonflat::NewButtonFlat(this, panMenu, "sbtFormComp", "Fórmula de Composição", 181, 4);
  sbtCopiaDados = Buttonflat::NewButtonFlat(this, panMenu, "sbtCopiaDados", "Cópia de Dados", 202, 4);
  sbtHistorico = Buttonflat::NewButtonFlat(this, panMenu, "sbtHistorico", "Histórico de Preços", 223, 4);
  // In the free place between the record commands and the formula.
  sbtImportar = Buttonflat::NewButtonFlat(this, panMenu, "sbtImportar", "Importar planilha", 155, 4);
  sbtImprimir->SetLeft(253);
  sbtAjuda->SetLeft(289);
  sbtFechar->SetLeft(325);

  actListagem->SetEnabled(false);
  actIncluir->SetEnabled(false);
  actExcluir->SetEnabled(false);
  mnuFormComp = Newmenus::NewItem(this, mnuManutencao, "mnuFormComp", "&Fórmula de Composição");
  mnuCopiaDados = Newmenus::NewItem(this, mnuManutencao, "mnuCopiaDados", "Cópia de &Dados");
  mnuHistorico = Newmenus::NewItem(this, mnuManutencao, "mnuHistorico", "&Histórico de Preços");
  mnuImportar = Newmenus::NewItem(this, mnuManutencao, "mnuImportar", "&Importar planilha");
  actFormComp = platform::NewAction(this, "actFormComp", mnuFormComp->Caption, sbtFormComp->Hint(),
                                    [this](TObject* s) { sbtFormCompClick(s); });
  actCopiaDados = platform::NewAction(this, "actCopiaDados", mnuCopiaDados->Caption, sbtCopiaDados->Hint(),
                                      [this](TObject* s) { sbtCopiaDadosClick(s); });
  sbtFormComp->SetAction(actFormComp);
  mnuFormComp->SetAction(actFormComp);
  sbtCopiaDados->SetAction(actCopiaDados);
  mnuCopiaDados->SetAction(actCopiaDados);
  actHistorico = platform::NewAction(this, "actHistorico", mnuHistorico->Caption, sbtHistorico->Hint(),
                                     [this](TObject* s) { sbtHistoricoClick(s); });
  sbtHistorico->SetAction(actHistorico);
  mnuHistorico->SetAction(actHistorico);
  actImportar = platform::NewAction(this, "actImportar", mnuImportar->Caption, sbtImportar->Hint(),
                                    [this](TObject* s) { sbtImportarClick(s); });
  sbtImportar->SetAction(actImportar);
  mnuImportar->SetAction(actImportar);
}

void TfrmTabPreClie::CreateCustomerDataSets() {
  cdsPesqClie = NewDataSet(this, "cdsPesqClie");
  cdsPesqClieIDTPIJURCLIE = NewField<platform::TStringField>(cdsPesqClie, "IDTPIJURCLIE", "", 1);
  cdsPesqClieIDTPIJURCLIE->SetVisible(false);
  cdsPesqClieNRINSJURCLIE = NewField<platform::TStringField>(cdsPesqClie, "NRINSJURCLIE", "Inscrição", 20);
  cdsPesqClieNMRAZSOCCLIE = NewField<platform::TStringField>(cdsPesqClie, "NMRAZSOCCLIE", "Razão Social", 50);
  cdsPesqClieNMFANTCLIE = NewField<platform::TStringField>(cdsPesqClie, "NMFANTCLIE", "Nome Fantasia", 50);
  cdsPesqClieCDCLIENTE = NewField<platform::TStringField>(cdsPesqClie, "CDCLIENTE", "Código", 21);
  dtsPesqClie = NewDataSource(this, "dtsPesqClie", cdsPesqClie);

  cdsCDCLiente = NewDataSet(this, "cdsCDCLiente");
  cdsCDCLienteCDCLIENTE = NewField<platform::TStringField>(cdsCDCLiente, "CDCLIENTE", "Código", 21);
  cdsCDCLienteCDCLIENTE->SetVisible(false);
  cdsCDCLienteNRINSJURCLIE = NewField<platform::TStringField>(cdsCDCLiente, "NRINSJURCLIE", "Inscrição", 20);
  cdsCDCLienteNMRAZSOCCLIE = NewField<platform::TStringField>(cdsCDCLiente, "NMRAZSOCCLIE", "Razão Social", 50);
  cdsCDCLienteIDTPIJURCLIE = NewField<platform::TStringField>(cdsCDCLiente, "IDTPIJURCLIE", "", 1);
  cdsCDCLienteIDTPIJURCLIE->SetVisible(false);
  cdsCDCLienteNMFANTCLIE = NewField<platform::TStringField>(cdsCDCLiente, "NMFANTCLIE", "Nome Fantasia", 50);
  dtsCDCliente = NewDataSource(this, "dtsCDCliente", cdsCDCLiente);

  // Open and empty until the first lookup, so "no customer yet" reads as empty fields.
  cdsPesqClie->CreateDataSet();
  cdsCDCLiente->CreateDataSet();
}

void TfrmTabPreClie::CreateCustomerStrip() {
  panCliente = new platform::TPanel(this);
  panCliente->SetName("panCliente");
  panCliente->SetParent(panFolha);
  panCliente->SetHeight(32);
  panCliente->SetAlign(platform::alTop);
  panCliente->SetTabOrder(0);

  Label1 = new platform::TLabel(this);
  Label1->SetName("Label1");
  Label1->SetParent(panCliente);
  Label1->SetBounds(8, 10, 40, 13);
  Label1->SetCaption("Cliente");
  Label1->Font().Bold = true;

  medCdClie = new platform::TMaskEdit(this);
  medCdClie->SetName("medCdClie");
  medCdClie->SetParent(panCliente);
  medCdClie->SetBounds(56, 6, 121, 21);
  medCdClie->SetColor(platform::clInfoBk);
  medCdClie->SetTabOrder(0);
  Label1->FocusControl = medCdClie;

  btpCliente = new Btnpesquisa::TBtnPesquisa(this);
  btpCliente->SetName("btpCliente");
  btpCliente->SetParent(panCliente);
  btpCliente->SetBounds(181, 6, 21, 21);
  btpCliente->SetHint("Pesquisar");
  btpCliente->Associate = medCdClie;
  btpCliente->Title = "Cliente";
  btpCliente->DataSource = dtsPesqClie;
  btpCliente->EmptyError = "Não há cliente cadastrado.";

  edtNmClie = new platform::TEdit(this);
  edtNmClie->SetName("edtNmClie");
  edtNmClie->SetParent(panCliente);
  edtNmClie->SetBounds(205, 6, 364, 21);
  edtNmClie->SetColor(platform::clBtnFace);
  edtNmClie->SetEnabled(false);

  scbFolhaDados->SetBounds(scbFolhaDados->Left(), 35, 627, 193);
}

void TfrmTabPreClie::CreatePriceList() {
  cdsPrecoClie = NewDataSet(this, "cdsPrecoClie");
  cdsPrecoClieCDPRODUTO = NewField<platform::TStringField>(cdsPrecoClie, "CDPRODUTO", "", 10);
  cdsPrecoClieCDPRODUTO->SetVisible(false);
  cdsPrecoClieNMPRODUTO = NewField<platform::TStringField>(cdsPrecoClie, "NMPRODUTO", "Nome", 50);
  cdsPrecoClieNMPRODUTO->SetReadOnly(true);
  cdsPrecoClieCDARVPROD = NewField<platform::TStringField>(cdsPrecoClie, "CDARVPROD", "Produto", 20);
  cdsPrecoClieVRPRECOPROD = NewField<platform::TFloatField>(cdsPrecoClie, "VRPRECOPROD", "Preço");
  cdsPrecoClieVRPRECOPROD->SetDisplayFormat(kPriceFormat);
  cdsPrecoClieVRPRECOPROD->SetEditFormat(kPriceFormat);
  cdsPrecoClieDTVALFIN = NewField<platform::TDateTimeField>(cdsPrecoClie, "DTVALFIN", "Valid. Final");
  cdsPrecoClieDTVALINI = NewField<platform::TDateTimeField>(cdsPrecoClie, "DTVALINI", "Valid. Inicial");
  dtsPadrao->SetDataSet(cdsPrecoClie);
  dbtNome->DataField = "NMPRODUTO";
  dbnPadrao->Hints.clear();
  // Deleting a row of the list means clearing its special price on the server, which
  // the delete command does after its own question (cdsPrecoClieBeforeDelete), so the
  // grid and the navigator do not ask one of their own.
  dbgPadrao->Options.Exclude(platform::dgConfirmDelete);
  dbnPadrao->ConfirmDelete = false;
}

void TfrmTabPreClie::CreatePriceColumns() {
  auto column = [this](const char* fieldName, int width) {
    platform::TColumn& c = dbgPadrao->Columns.Add();
    c.FieldName = fieldName;
    c.Width = width;
  };
  column("CDARVPROD", 0);
  column("NMPRODUTO", 259);
  column("VRPRECOPROD", 0);
  column("DTVALINI", 78);
  column("DTVALFIN", 78);
}

void TfrmTabPreClie::FillCatalog() {
  msgPadrao->Add("Excl", "Confirma exclusão?");
  msgPadrao->Add("Clie_Deve", "Cliente deve ser informado.");
  msgPadrao->Add("Clie_N_Cad", "Cliente não cadastrado.");
  msgPadrao->Add("DtIni_Deve", "Data inicial deve ser informada.");
  msgPadrao->Add("DtFin_Deve", "Data final deve ser informada.");
  msgPadrao->Add("DtIni<DtFin", "Data inicial deve ser menor ou igual à data final.");
  msgPadrao->Add("Preco>0", "Preço deve ser maior que zero.");
}

void TfrmTabPreClie::BindEvents() {
  panCliente->OnEnter = [this](TObject* s) { panClienteEnter(s); };
  medCdClie->OnEnter = [this](TObject* s) { medCdClieEnter(s); };
  medCdClie->OnChange = [this](TObject* s) { medCdClieChange(s); };
  medCdClie->OnExit = [this](TObject* s) { medCdClieExit(s); };
  btpCliente->OnBeforePesq = [this](TObject* s, bool& c) { btpClienteBeforePesq(s, c); };
  btpCliente->OnAfterPesq = [this](TObject* s) { btpClienteAfterPesq(s); };
  cdsPesqClieNRINSJURCLIE->OnGetText = [this](platform::TField& f, std::string& t, bool d) {
    cdsPesqClieNRINSJURCLIEGetText(f, t, d);
  };

  cdsPrecoClieDTVALINI->OnSetText = [this](platform::TField& f, const std::string& t) {
    cdsPrecoClieDTVALINISetText(f, t);
  };
  cdsPrecoClieDTVALFIN->OnSetText = [this](platform::TField& f, const std::string& t) {
    cdsPrecoClieDTVALFINSetText(f, t);
  };
  cdsPrecoClie->BeforePost = [this](platform::TDataSet& d) { cdsPrecoClieBeforePost(d); };
  cdsPrecoClie->AfterPost = [this](platform::TDataSet& d) { cdsPrecoClieAfterPost(d); };
  cdsPrecoClie->AfterScroll = [this](platform::TDataSet& d) { cdsPrecoClieAfterScroll(d); };
  cdsPrecoClie->AfterCancel = [this](platform::TDataSet& d) { cdsPrecoClieAfterCancel(d); };
  cdsPrecoClie->BeforeDelete = [this](platform::TDataSet& d) { cdsPrecoClieBeforeDelete(d); };
}

}  // namespace Cli_VQR51200
