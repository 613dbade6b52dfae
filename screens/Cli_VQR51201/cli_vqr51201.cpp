#include "screens/Cli_VQR51201/cli_vqr51201.h"

#include "contracts/framework/showavi.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"
#include "screens/Cli_VQR51200/server_call.h"

namespace Cli_VQR51201 {

TfrmFormCompPreco* frmFormCompPreco = nullptr;
Pkg_VQR51200::TCliente Cliente;
platform::TClientDataSet* cdsAuxiliar = nullptr;

void CriaFormCompPreco(const Pkg_VQR51200::TCliente& cliente) {
  Cliente = cliente;
  Frmrotgeral::OpenModal<TfrmFormCompPreco>([](TfrmFormCompPreco& screen) {
    Cli_VQR51200::TfrmTabPreClie* main = Cli_VQR51200::frmTabPreClie;
    if (!main)
      throw platform::Exception("A fórmula de composição só abre a partir da tabela de preço por cliente.");
    frmFormCompPreco = &screen;
    screen.OnRelease = [] { frmFormCompPreco = nullptr; };
    screen.edtCliente->SetText(Cliente.NmRazSocClie);
    screen.ShowFormula(Cli_VQR51200::ServerCall<contracts::server::GetFatPreClie>(
                           *main->netTabPreClie, Showavi::saPesquisa, Cliente.CdCliente, screen.msgPadrao->Msg("Custo")),
                       true);
  });
}

void Initialization() {}

void Finalization() {
  Cliente.Clear();
  delete cdsAuxiliar;
  cdsAuxiliar = nullptr;
}

}  // namespace Cli_VQR51201
