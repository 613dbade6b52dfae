#pragma once
// Cli_VQR51204: the unit of the price table report screen.
//
//   frmRelTabPreClie     the report screen while it exists, nullptr otherwise
//   boIdCriado           the report screen has been created and not closed since
//   stListaClie          the chosen customers, as the framework's multiple-choice
//                        list encodes them ("" = no list); it outlives the screen, so
//                        a list chosen in one opening is still there in the next
//
//   CriaRelTabPreClie()  under the hourglass cursor, creates the screen (owned by the
//                        application) unless one was created and not closed since,
//                        then shows it modally; returns when it closes. It must be
//                        called from the price table screen, whose connection the
//                        customer search uses: without one it raises. A failed
//                        creation raises, shows nothing and leaves the default cursor.
//   Initialization()     start-up: boIdCriado := false
//   Finalization()       shut-down: stListaClie emptied
#include <string>

#include "screens/Cli_VQR51204/frm_rel_tab_pre_clie.h"

namespace Cli_VQR51204 {

extern TfrmRelTabPreClie* frmRelTabPreClie;
extern bool boIdCriado;
extern std::string stListaClie;

void CriaRelTabPreClie();

void Initialization();
void Finalization();

}  // namespace Cli_VQR51204
