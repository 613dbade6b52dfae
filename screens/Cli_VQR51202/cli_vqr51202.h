#pragma once
// Cli_VQR51202: the unit of the data copy screen (a customer's formula or prices
// copied to other customers).
//
//   frmCopiaDados        the copy screen while it is open, nullptr otherwise
//   Cliente              this unit's copy of the source customer
//   stListaClie          the chosen target customers, as the framework's
//                        multiple-choice list encodes them ("" = no list)
//
//   CriaCopiaDados(cliente)
//                        copies the customer into Cliente, creates a new copy screen,
//                        loads the customer's formula rows and formula text
//                        (GetFatPreClie, wait animation of the reading kind) and shows
//                        the screen modally; returns when it closes. The hourglass
//                        cursor is on until the screen is shown. It must be called
//                        from the price table screen, whose connections the copy
//                        screen uses: without one it raises. A failed load raises with
//                        the server's or framework's text, frees the screen without
//                        showing it and leaves the default cursor.
//   Initialization()     start-up: nothing
//   Finalization()       shut-down: stListaClie emptied, Cliente released
#include <string>

#include "contracts/module/cliente.h"
#include "screens/Cli_VQR51202/frm_copia_dados.h"

namespace Cli_VQR51202 {

extern TfrmCopiaDados* frmCopiaDados;
extern Pkg_VQR51200::TCliente Cliente;
extern std::string stListaClie;

void CriaCopiaDados(const Pkg_VQR51200::TCliente& cliente);

void Initialization();
void Finalization();

}  // namespace Cli_VQR51202
