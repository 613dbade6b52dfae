#include "screens/Cli_VQR51202/cli_vqr51202.h"

#include "contracts/framework/showavi.h"
#include "screens/Cli_VQR51202/frm_copia_dados.h"
#include "screens/common/server_call.h"
#include "screens/common/unit_screen.h"

namespace Cli_VQR51202 {

TfrmCopiaDados* frmCopiaDados = nullptr;
Pkg_VQR51200::TCliente Cliente;
std::string stListaClie;

void CriaCopiaDados(Pkg_VQR51200::TModuleSession& session, const Pkg_VQR51200::TCliente& cliente) {
  Cliente = cliente;
  Pkg_VQR51200::OpenModalKept(frmCopiaDados, session, [](TfrmCopiaDados& screen) {
    screen.edtNmCliente->SetText(Cliente.NmRazSocClie);
    screen.ShowFormula(Pkg_VQR51200::ServerCall<contracts::server::GetFatPreClie>(
        *screen.session.netTabPreClie, Showavi::saPesquisa, Cliente.CdCliente, screen.msgPadrao->Msg("Custo")));
  });
}

void Initialization(Pkg_VQR51200::TModuleSession&) {}

void Finalization(Pkg_VQR51200::TModuleSession&) {
  stListaClie.clear();
  Cliente.Clear();
}

}  // namespace Cli_VQR51202
