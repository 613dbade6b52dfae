#pragma once
// Cli_VQR51204: the unit of the price table report screen.
//
//   frmRelTabPreClie     the report screen while it exists, nullptr otherwise
//   boIdCriado           the report screen has been created and not closed since
//   stListaClie          the chosen customers, as the framework's multiple-choice
//                        list encodes them ("" = no list); it outlives the screen, so
//                        a list chosen in one opening is still there in the next
//
//   CriaRelTabPreClie(session)
//                        under the hourglass cursor, creates the screen on `session`
//                        (owned by the application) unless one was created and not
//                        closed since, then shows it modally; returns when it closes.
//                        A failed creation raises, shows nothing and leaves the
//                        default cursor.
//   Initialization(session)  start-up: boIdCriado := false
//   Finalization(session)    shut-down: stListaClie emptied
#include <string>

#include "screens/common/module_session.h"

namespace Cli_VQR51204 {

class TfrmRelTabPreClie;

extern TfrmRelTabPreClie* frmRelTabPreClie;
extern bool boIdCriado;
extern std::string stListaClie;

void CriaRelTabPreClie(Pkg_VQR51200::TModuleSession& session);

void Initialization(Pkg_VQR51200::TModuleSession& session);
void Finalization(Pkg_VQR51200::TModuleSession& session);

}  // namespace Cli_VQR51204
