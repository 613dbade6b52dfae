#include "screens/Cli_VQR51202/cli_vqr51202.h"

#include "contracts/framework/showavi.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"
#include "screens/Cli_VQR51200/server_call.h"

namespace Cli_VQR51202 {

TfrmCopiaDados* frmCopiaDados = nullptr;
Pkg_VQR51200::TCliente Cliente;
std::string stListaClie;

void CriaCopiaDados(const Pkg_VQR51200::TCliente& cliente) {
  Cliente = cliente;
  Frmrotgeral::OpenModal<TfrmCopiaDados>([](TfrmCopiaDados& screen) {
    Cli_VQR51200::TfrmTabPreClie* main = Cli_VQR51200::frmTabPreClie;
    if (!main) throw platform::Exception("A cópia de dados só abre a partir da tabela de preço por cliente.");
    frmCopiaDados = &screen;
    screen.OnRelease = [] { frmCopiaDados = nullptr; };
    screen.edtNmCliente->SetText(Cliente.NmRazSocClie);
    screen.ShowFormula(Cli_VQR51200::ServerCall<contracts::server::GetFatPreClie>(
        *main->netTabPreClie, Showavi::saPesquisa, Cliente.CdCliente, screen.msgPadrao->Msg("Custo")));
  });
}

void Initialization() {}

void Finalization() {
  stListaClie.clear();
  Cliente.Clear();
}

}  // namespace Cli_VQR51202
