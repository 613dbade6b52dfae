#pragma once
// Cli_VQR51200: the unit of the customer price table, the module's main screen.
//
//   frmTabPreClie    the one main screen, nullptr while there is none
//   boIdCriado       the main screen exists
//   boDelete         the post now in progress is a deletion (it lifts the price check)
//   Cliente          the customer the main screen last resolved
//
//   CriaTabPreClie() shows the main screen, creating it first when there is none (the
//                    hourglass cursor while it is created). The screen frees itself
//                    when closed; at that moment frmTabPreClie and boIdCriado are
//                    cleared, so the next call creates a new screen. A failed creation
//                    leaves boIdCriado false and goes on to the caller.
//   Initialization() start-up: boIdCriado and boDelete false
//   Finalization()   shut-down: Cliente released
#include "contracts/module/cliente.h"
#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"

namespace Cli_VQR51200 {

extern TfrmTabPreClie* frmTabPreClie;
extern bool boIdCriado;
extern bool boDelete;
extern Pkg_VQR51200::TCliente Cliente;

void CriaTabPreClie();

void Initialization();
void Finalization();

}  // namespace Cli_VQR51200
