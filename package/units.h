#pragma once
// The module's units in start-up order, each with its start-up and shut-down.
//
// Loading the module starts the units in the order listed (Cli_VQR51201,
// Cli_VQR51204, Cli_VQR51200, Cli_VQR51202); unloading shuts them down in the reverse
// order. The same list names the units in the package table the host reads.
#include <span>

namespace Pkg_VQR51200 {

struct TUnitEntry {
  const char* name;
  void (*initialization)();
  void (*finalization)();
};

std::span<const TUnitEntry> Units();

void InitializeUnits();
void FinalizeUnits();

}  // namespace Pkg_VQR51200
