#include "screens/Cli_VQR51204/cli_vqr51204.h"

#include "platform/ui/application.h"
#include "platform/ui/screen.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"

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

void CreateScreen() {
  if (!Cli_VQR51200::frmTabPreClie)
    throw platform::Exception("O relatório da tabela de preços só abre a partir da tabela de preço por cliente.");
  platform::Application().CreateForm(frmRelTabPreClie);
  frmRelTabPreClie->OnRelease = ForgetScreen;
}

}  // namespace

void CriaRelTabPreClie() {
  platform::Screen().SetCursor(platform::crHourGlass);
  if (!boIdCriado) {
    try {
      CreateScreen();
    } catch (...) {
      frmRelTabPreClie = nullptr;
      platform::Screen().SetCursor(platform::crDefault);
      throw;
    }
    boIdCriado = true;
  }
  platform::Screen().SetCursor(platform::crDefault);
  frmRelTabPreClie->ShowModal();  // returns when the screen closes; the result is not used
}

void Initialization() { boIdCriado = false; }

void Finalization() { stListaClie.clear(); }

}  // namespace Cli_VQR51204
