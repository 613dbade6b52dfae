#pragma once
// Cli_VQR51201: the unit of the price composition formula screen of one customer.
//
//   Cliente              this unit's copy of the customer the formula belongs to
//   CriaFormCompPreco    keeps a copy of the customer and opens the formula screen
//                        (the screen itself is not part of the module yet: the call
//                        returns at once)
//   Initialization()     start-up: nothing
//   Finalization()       shut-down: Cliente released
#include "contracts/module/cliente.h"

namespace Cli_VQR51201 {

extern Pkg_VQR51200::TCliente Cliente;

void CriaFormCompPreco(const Pkg_VQR51200::TCliente& cliente);

void Initialization();
void Finalization();

}  // namespace Cli_VQR51201
