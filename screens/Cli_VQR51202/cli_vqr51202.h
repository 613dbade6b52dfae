#pragma once
// Cli_VQR51202: the unit of the data copy screen (a customer's formula or prices
// copied to other customers).
//
//   frmCopiaDados        the copy screen while it is open, nullptr otherwise
//   Cliente              this unit's copy of the source customer
//   stListaClie          the chosen target customers, as the framework's
//                        multiple-choice list encodes them ("" = no list)
//
//   CriaCopiaDados(session, cliente)
//                        copies the customer into Cliente, creates a new copy screen on
//                        `session`, loads the customer's formula rows and formula text
//                        (GetFatPreClie, wait animation of the reading kind) and shows
//                        the screen modally; returns when it closes. The hourglass
//                        cursor is on until the screen is shown. A failed load raises
//                        with the server's or framework's text, frees the screen
//                        without showing it and leaves the default cursor.
//   Initialization(session)  start-up: nothing
//   Finalization(session)    shut-down: stListaClie emptied, Cliente released
#include <string>

#include "contracts/module/cliente.h"
#include "screens/common/module_session.h"

namespace Cli_VQR51202 {

class TfrmCopiaDados;

extern TfrmCopiaDados* frmCopiaDados;
extern Pkg_VQR51200::TCliente Cliente;
extern std::string stListaClie;

void CriaCopiaDados(Pkg_VQR51200::TModuleSession& session, const Pkg_VQR51200::TCliente& cliente);

void Initialization(Pkg_VQR51200::TModuleSession& session);
void Finalization(Pkg_VQR51200::TModuleSession& session);

}  // namespace Cli_VQR51202
