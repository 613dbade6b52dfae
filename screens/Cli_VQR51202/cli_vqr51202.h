#pragma once
// Cli_VQR51202: the unit of the data copy screen (a customer's formula or prices
// copied to other customers).
//
//   Cliente              this unit's copy of the source customer
//   stListaClie          the chosen target customers, as the framework's
//                        multiple-choice list encodes them ("" = no list)
//   CriaCopiaDados       keeps a copy of the customer and opens the copy screen (the
//                        screen itself is not part of the module yet: the call
//                        returns at once)
//   Initialization()     start-up: nothing
//   Finalization()       shut-down: stListaClie emptied, Cliente released
#include <string>

#include "contracts/module/cliente.h"

namespace Cli_VQR51202 {

extern Pkg_VQR51200::TCliente Cliente;
extern std::string stListaClie;

void CriaCopiaDados(const Pkg_VQR51200::TCliente& cliente);

void Initialization();
void Finalization();

}  // namespace Cli_VQR51202
