#pragma once
// Cli_VQR51201: the unit of the price composition formula screen of one customer.
//
//   frmFormCompPreco     the formula screen while it is open, nullptr otherwise
//   Cliente              this unit's copy of the customer the formula belongs to
//   cdsAuxiliar          the snapshot of the formula rows taken when a row insert
//                        begins, which the duplicate checks search; created at the
//                        first activation of a formula screen, kept for the life of
//                        the module (no owner) and freed at shut-down
//
//   CriaFormCompPreco(session, cliente)
//                        copies the customer into Cliente, creates a new formula
//                        screen on `session`, loads the customer's formula rows and
//                        formula text (GetFatPreClie, wait animation of the reading
//                        kind) and shows the screen modally; returns when it closes.
//                        The hourglass cursor is on until the screen is shown. A failed
//                        load raises with the server's or framework's text, frees the
//                        screen without showing it and leaves the default cursor;
//                        Cliente already holds the new customer.
//   Initialization(session)  start-up: nothing
//   Finalization(session)    shut-down: Cliente released, cdsAuxiliar freed
#include "contracts/module/cliente.h"
#include "platform/data/client_dataset.h"
#include "screens/common/module_session.h"

namespace Cli_VQR51201 {

class TfrmFormCompPreco;

extern TfrmFormCompPreco* frmFormCompPreco;
extern Pkg_VQR51200::TCliente Cliente;
extern platform::TClientDataSet* cdsAuxiliar;

void CriaFormCompPreco(Pkg_VQR51200::TModuleSession& session, const Pkg_VQR51200::TCliente& cliente);

void Initialization(Pkg_VQR51200::TModuleSession& session);
void Finalization(Pkg_VQR51200::TModuleSession& session);

}  // namespace Cli_VQR51201
