#pragma once
// The module's units in start-up order, each with its start-up and shut-down, and the
// module session they share.
//
// Loading the module creates the session, then starts the units in the order listed
// (Cli_VQR51201, Cli_VQR51204, Cli_VQR51200, Cli_VQR51202); unloading shuts them down
// in the reverse order, then frees the session. The same list names the units in the
// package table the host reads.
#include <span>

#include "screens/common/module_session.h"

namespace Pkg_VQR51200 {

struct TUnitEntry {
  const char* name;
  void (*initialization)(TModuleSession&);
  void (*finalization)(TModuleSession&);
};

std::span<const TUnitEntry> Units();

void InitializeUnits();
void FinalizeUnits();

// The session of the loaded module; raises when the module is not loaded.
TModuleSession& Session();

}  // namespace Pkg_VQR51200
