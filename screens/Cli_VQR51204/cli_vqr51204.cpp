#include "screens/Cli_VQR51204/cli_vqr51204.h"

#include "screens/Cli_VQR51204/frm_rel_tab_pre_clie.h"
#include "screens/common/unit_screen.h"

namespace Cli_VQR51204 {

TfrmRelTabPreClie* frmRelTabPreClie = nullptr;
bool boIdCriado = false;
std::string stListaClie;

void CriaRelTabPreClie(Pkg_VQR51200::TModuleSession& session) {
  // Returns when the screen closes; the result is not used.
  Pkg_VQR51200::CreateOnce(frmRelTabPreClie, boIdCriado, session).ShowModal();
}

void Initialization(Pkg_VQR51200::TModuleSession&) { boIdCriado = false; }

void Finalization(Pkg_VQR51200::TModuleSession&) { stListaClie.clear(); }

}  // namespace Cli_VQR51204
