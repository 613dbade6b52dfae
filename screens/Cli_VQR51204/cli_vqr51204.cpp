#include "screens/Cli_VQR51204/cli_vqr51204.h"

namespace Cli_VQR51204 {

bool boIdCriado = false;
std::string stListaClie;

void CriaRelTabPreClie() {}

void Initialization() { boIdCriado = false; }

void Finalization() { stListaClie.clear(); }

}  // namespace Cli_VQR51204
