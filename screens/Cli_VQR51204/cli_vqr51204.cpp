#include "screens/Cli_VQR51204/cli_vqr51204.h"

#include "platform/ui/application.h"
#include "platform/ui/screen.h"
#include "screens/Cli_VQR51204/frm_rel_tab_pre_clie.h"

namespace Cli_VQR51204 {

TfrmRelTabPreClie* frmRelTabPreClie = nullptr;
bool boIdCriado = false;
std::string stListaClie;

namespace {

// The screen frees itself when closed; one freed without a close (the application
// ending) must not leave the unit pointing at it either.
void ForgetScreen() {
  frmRelTabPreClie = nullptr;
  boIdCriado = false;
}

}  // namespace

void CriaRelTabPreClie(Pkg_VQR51200::TModuleSession& session) {
  platform::Screen().SetCursor(platform::crHourGlass);
  if (!boIdCriado) {
    try {
      platform::Application().CreateForm(frmRelTabPreClie, session);
    } catch (...) {
      frmRelTabPreClie = nullptr;
      platform::Screen().SetCursor(platform::crDefault);
      throw;
    }
    frmRelTabPreClie->OnRelease = ForgetScreen;
    boIdCriado = true;
  }
  platform::Screen().SetCursor(platform::crDefault);
  frmRelTabPreClie->ShowModal();  // returns when the screen closes; the result is not used
}

void Initialization(Pkg_VQR51200::TModuleSession&) { boIdCriado = false; }

void Finalization(Pkg_VQR51200::TModuleSession&) { stListaClie.clear(); }

}  // namespace Cli_VQR51204
