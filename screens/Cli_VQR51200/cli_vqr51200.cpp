#include "screens/Cli_VQR51200/cli_vqr51200.h"

#include "platform/ui/application.h"
#include "platform/ui/screen.h"
#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"

namespace Cli_VQR51200 {

TfrmTabPreClie* frmTabPreClie = nullptr;
bool boIdCriado = false;
bool boDelete = false;

namespace {

// The screen frees itself when closed (and goes with the application): forget it then.
void ForgetScreen() {
  frmTabPreClie = nullptr;
  boIdCriado = false;
}

}  // namespace

void CriaTabPreClie(Pkg_VQR51200::TModuleSession& session) {
  platform::Screen().SetCursor(platform::crHourGlass);
  if (!boIdCriado) {
    try {
      platform::Application().CreateForm(frmTabPreClie, session);
    } catch (...) {
      frmTabPreClie = nullptr;
      platform::Screen().SetCursor(platform::crDefault);
      throw;
    }
    frmTabPreClie->OnRelease = ForgetScreen;
    boIdCriado = true;
  }
  platform::Screen().SetCursor(platform::crDefault);
  frmTabPreClie->Show();
}

void Initialization(Pkg_VQR51200::TModuleSession&) {
  boIdCriado = false;
  boDelete = false;
}

void Finalization(Pkg_VQR51200::TModuleSession& session) { session.Cliente.Clear(); }

}  // namespace Cli_VQR51200
