#pragma once
// Cli_VQR51200: the unit of the customer price table, the module's main screen.
//
//   frmTabPreClie    the one main screen, nullptr while there is none
//   boIdCriado       the main screen exists
//   boDelete         the post now in progress is a deletion (it lifts the price check)
//
// The customer the main screen last resolved is the module session's Cliente, which
// the report screen reads; the screen opens and closes the session's connections.
//
//   CriaTabPreClie(session)
//                    shows the main screen, creating it first on `session` when there
//                    is none (the hourglass cursor while it is created). The screen
//                    frees itself when closed; at that moment frmTabPreClie and
//                    boIdCriado are cleared, so the next call creates a new screen. A
//                    failed creation leaves boIdCriado false and goes on to the caller.
//   Initialization(session)  start-up: boIdCriado and boDelete false
//   Finalization(session)    shut-down: the session's Cliente released
#include "screens/common/module_session.h"

namespace Cli_VQR51200 {

class TfrmTabPreClie;

extern TfrmTabPreClie* frmTabPreClie;
extern bool boIdCriado;
extern bool boDelete;

void CriaTabPreClie(Pkg_VQR51200::TModuleSession& session);

void Initialization(Pkg_VQR51200::TModuleSession& session);
void Finalization(Pkg_VQR51200::TModuleSession& session);

}  // namespace Cli_VQR51200
