#include "screens/Cli_VQR51201/cli_vqr51201.h"

#include "contracts/framework/showavi.h"
#include "screens/Cli_VQR51201/frm_form_comp_preco.h"
#include "screens/common/server_call.h"
#include "screens/common/unit_screen.h"

namespace Cli_VQR51201 {

TfrmFormCompPreco* frmFormCompPreco = nullptr;
Pkg_VQR51200::TCliente Cliente;
platform::TClientDataSet* cdsAuxiliar = nullptr;

void CriaFormCompPreco(Pkg_VQR51200::TModuleSession& session, const Pkg_VQR51200::TCliente& cliente) {
  Cliente = cliente;
  Pkg_VQR51200::OpenModalKept(frmFormCompPreco, session, [](TfrmFormCompPreco& screen) {
    screen.edtCliente->SetText(Cliente.NmRazSocClie);
    screen.ShowFormula(Pkg_VQR51200::ServerCall<contracts::server::GetFatPreClie>(
                           *screen.session.netTabPreClie, Showavi::saPesquisa, Cliente.CdCliente,
                           screen.msgPadrao->Msg("Custo")),
                       true);
  });
}

void Initialization(Pkg_VQR51200::TModuleSession&) {}

void Finalization(Pkg_VQR51200::TModuleSession&) {
  Cliente.Clear();
  delete cdsAuxiliar;
  cdsAuxiliar = nullptr;
}

}  // namespace Cli_VQR51201
