#include "screens/Cli_VQR51201/cli_vqr51201.h"

#include <utility>

#include "contracts/framework/showavi.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"
#include "screens/Cli_VQR51200/server_call.h"

namespace Cli_VQR51201 {

TfrmFormCompPreco* frmFormCompPreco = nullptr;
Pkg_VQR51200::TCliente Cliente;
platform::TClientDataSet* cdsAuxiliar = nullptr;

namespace {

// The hourglass while the screen is made ready; the default cursor again however
// that ends.
struct BusyCursor {
  BusyCursor() { platform::Screen().SetCursor(platform::crHourGlass); }
  ~BusyCursor() { platform::Screen().SetCursor(platform::crDefault); }
};

// A screen that never got shown goes at once.
struct UnshownScreen {
  ~UnshownScreen() { delete screen; }
  TfrmFormCompPreco* screen;
};

TfrmFormCompPreco* NewLoadedScreen() {
  Cli_VQR51200::TfrmTabPreClie* main = Cli_VQR51200::frmTabPreClie;
  if (!main)
    throw platform::Exception("A fórmula de composição só abre a partir da tabela de preço por cliente.");
  UnshownScreen created{platform::NewForm<TfrmFormCompPreco>(&platform::Application())};
  frmFormCompPreco = created.screen;
  created.screen->OnRelease = [] { frmFormCompPreco = nullptr; };
  created.screen->edtCliente->SetText(Cliente.NmRazSocClie);
  created.screen->ShowFormula(
      Cli_VQR51200::ServerCall<contracts::server::GetFatPreClie>(*main->netTabPreClie, Showavi::saPesquisa,
                                                                 Cliente.CdCliente, created.screen->msgPadrao->Msg("Custo")),
      true);
  return std::exchange(created.screen, nullptr);
}

}  // namespace

void CriaFormCompPreco(const Pkg_VQR51200::TCliente& cliente) {
  TfrmFormCompPreco* screen;
  {
    BusyCursor busy;
    Cliente = cliente;
    screen = NewLoadedScreen();
  }
  screen->edtFormula->Font().Color = platform::clBlue;
  screen->ShowModal();
}

void Initialization() {}

void Finalization() {
  Cliente.Clear();
  delete cdsAuxiliar;
  cdsAuxiliar = nullptr;
}

}  // namespace Cli_VQR51201
