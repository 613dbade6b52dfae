#include "screens/Cli_VQR51200/cli_vqr51200.h"

#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"
#include "screens/common/unit_screen.h"

namespace Cli_VQR51200 {

TfrmTabPreClie* frmTabPreClie = nullptr;
bool boIdCriado = false;
bool boDelete = false;

void CriaTabPreClie(Pkg_VQR51200::TModuleSession& session) {
  Pkg_VQR51200::CreateOnce(frmTabPreClie, boIdCriado, session).Show();
}

void Initialization(Pkg_VQR51200::TModuleSession&) {
  boIdCriado = false;
  boDelete = false;
}

void Finalization(Pkg_VQR51200::TModuleSession& session) { session.Cliente.Clear(); }

}  // namespace Cli_VQR51200
