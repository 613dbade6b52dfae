// TfrmRelTabPreClie: the screen's life and the parameter step of every report run;
// the filter's handlers are inherited (screens/common/clie_prod_filter.h).
#include "contracts/framework/qrddlgs.h"
#include "screens/Cli_VQR51204/cli_vqr51204.h"
#include "screens/Cli_VQR51204/frm_rel_tab_pre_clie.h"

namespace Cli_VQR51204 {

void TfrmRelTabPreClie::FormClose(platform::TObject* Sender, platform::TCloseAction& Action) {
  boIdCriado = false;
  Dadosgerrel::TfrmDadosGerRel::FormClose(Sender, Action);
}

// The list chosen in an earlier opening is kept.
void TfrmRelTabPreClie::FormActivate(platform::TObject* Sender) {
  Dadosgerrel::TfrmDadosGerRel::FormActivate(Sender);
  filter->Activate();
}

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

}  // namespace Cli_VQR51204
