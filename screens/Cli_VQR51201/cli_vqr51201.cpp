#include "screens/Cli_VQR51201/cli_vqr51201.h"

namespace Cli_VQR51201 {

Pkg_VQR51200::TCliente Cliente;

void CriaFormCompPreco(const Pkg_VQR51200::TCliente& cliente) { Cliente = cliente; }

void Initialization() {}

void Finalization() { Cliente.Clear(); }

}  // namespace Cli_VQR51201
