#pragma once
// Cli_VQR51204: the unit of the price table report screen.
//
//   boIdCriado           the report screen has been created
//   stListaClie          the chosen customers, as the framework's multiple-choice
//                        list encodes them ("" = no list)
//   CriaRelTabPreClie    opens the report screen (the screen itself is not part of
//                        the module yet: the call returns at once)
//   Initialization()     start-up: boIdCriado := false
//   Finalization()       shut-down: stListaClie emptied
#include <string>

namespace Cli_VQR51204 {

extern bool boIdCriado;
extern std::string stListaClie;

void CriaRelTabPreClie();

void Initialization();
void Finalization();

}  // namespace Cli_VQR51204
