#include "screens/Cli_VQR51200/cli_vqr51200.h"

#include "platform/ui/application.h"
#include "platform/ui/screen.h"

namespace Cli_VQR51200 {

TfrmTabPreClie* frmTabPreClie = nullptr;
bool boIdCriado = false;
bool boDelete = false;
Pkg_VQR51200::TCliente Cliente;

namespace {

// The screen frees itself when closed (and goes with the application): forget it then.
void ForgetScreen() {
  frmTabPreClie = nullptr;
  boIdCriado = false;
}

}  // namespace

void CriaTabPreClie() {
  platform::Screen().SetCursor(platform::crHourGlass);
  if (!boIdCriado) {
    try {
      platform::Application().CreateForm(frmTabPreClie);
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

void Initialization() {
  boIdCriado = false;
  boDelete = false;
}

void Finalization() { Cliente.Clear(); }

}  // namespace Cli_VQR51200
