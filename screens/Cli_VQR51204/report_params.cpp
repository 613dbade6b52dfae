// TfrmRelTabPreClie: the screen's life, the filter's handlers (handed over to the
// filter) and the parameter step of every report run.
#include "contracts/framework/qrddlgs.h"
#include "screens/Cli_VQR51204/cli_vqr51204.h"
#include "screens/Cli_VQR51204/frm_rel_tab_pre_clie.h"

namespace Cli_VQR51204 {

void TfrmRelTabPreClie::FormClose(platform::TObject* Sender, platform::TCloseAction& Action) {
  boIdCriado = false;
  Dadosgerrel::TfrmDadosGerRel::FormClose(Sender, Action);
}

void TfrmRelTabPreClie::btpPesqClieClick(platform::TObject*) { filter->btpPesqClieClick(); }

void TfrmRelTabPreClie::rbtTodosClick(platform::TObject*) { filter->rbtTodosClick(); }

void TfrmRelTabPreClie::rbtListaClick(platform::TObject*) { filter->rbtListaClick(); }

// The list chosen in an earlier opening is kept.
void TfrmRelTabPreClie::FormActivate(platform::TObject* Sender) {
  Dadosgerrel::TfrmDadosGerRel::FormActivate(Sender);
  filter->Activate();
}

void TfrmRelTabPreClie::brnPesqProdIniAfterPesq(platform::TObject*) { filter->brnPesqProdIniAfterPesq(); }

void TfrmRelTabPreClie::brnPesqProdIniBeforePesq(platform::TObject*, bool&) { filter->OpenAllProducts(); }

void TfrmRelTabPreClie::btnProdFinAfterPesq(platform::TObject*) { filter->btnProdFinAfterPesq(); }

void TfrmRelTabPreClie::btnProdFinBeforePesq(platform::TObject*, bool&) { filter->OpenAllProducts(); }

void TfrmRelTabPreClie::medProdIniExit(platform::TObject*) { filter->medProdIniExit(); }

void TfrmRelTabPreClie::medProdFinExit(platform::TObject*) { filter->medProdFinExit(); }

void TfrmRelTabPreClie::medProdFinChange(platform::TObject*) { filter->medProdFinChange(); }

void TfrmRelTabPreClie::medProdIniChange(platform::TObject*) { filter->medProdIniChange(); }

// The checks first, each stopping the run; the codes are read after them, so a code
// the lookup found goes in the form the product table holds. Only the parameters the
// report declares are set; the others it declares are left to the runner.
void TfrmRelTabPreClie::rpddPadraoBeforeGetQueryParams(platform::TParams& Params, bool&) {
  filter->VdListaClie();
  VdProdutos();
  if (Qrddlgs::ExistParam(Params, "P_CDARVPRODINI"))
    Params.ParamByName("P_CDARVPRODINI").SetAsString(filter->FirstProduct());
  if (Qrddlgs::ExistParam(Params, "P_CDARVPRODFIN"))
    Params.ParamByName("P_CDARVPRODFIN").SetAsString(filter->LastProduct());
  if (Qrddlgs::ExistParam(Params, "P_LISTACLIENTES")) Params.ParamByName("P_LISTACLIENTES").SetAsString(stListaClie);
  if (Qrddlgs::ExistParam(Params, "P_TCDCLIENTES"))
    Params.ParamByName("P_TCDCLIENTES").SetAsString(filter->AllCustomersFlag());
}

void TfrmRelTabPreClie::VdProdIni() { filter->VdProdIni(); }

void TfrmRelTabPreClie::VdProdFin() { filter->VdProdFin(); }

void TfrmRelTabPreClie::VdProdutos() { filter->VdProdutos(); }

}  // namespace Cli_VQR51204
