#include "screens/Cli_VQR51202/cli_vqr51202.h"

namespace Cli_VQR51202 {

Pkg_VQR51200::TCliente Cliente;
std::string stListaClie;

void CriaCopiaDados(const Pkg_VQR51200::TCliente& cliente) { Cliente = cliente; }

void Initialization() {}

void Finalization() {
  stListaClie.clear();
  Cliente.Clear();
}

}  // namespace Cli_VQR51202
