#include "package/units.h"

#include <array>
#include <memory>
#include <ranges>

#include "platform/core/exceptions.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"
#include "screens/Cli_VQR51201/cli_vqr51201.h"
#include "screens/Cli_VQR51202/cli_vqr51202.h"
#include "screens/Cli_VQR51204/cli_vqr51204.h"

namespace Pkg_VQR51200 {

namespace {

constexpr std::array<TUnitEntry, 4> kUnits{{
    {"Cli_VQR51201", &Cli_VQR51201::Initialization, &Cli_VQR51201::Finalization},
    {"Cli_VQR51204", &Cli_VQR51204::Initialization, &Cli_VQR51204::Finalization},
    {"Cli_VQR51200", &Cli_VQR51200::Initialization, &Cli_VQR51200::Finalization},
    {"Cli_VQR51202", &Cli_VQR51202::Initialization, &Cli_VQR51202::Finalization},
}};

// From the module's load to its unload.
std::unique_ptr<TModuleSession> session;

}  // namespace

std::span<const TUnitEntry> Units() { return kUnits; }

void InitializeUnits() {
  if (!session) session = std::make_unique<TModuleSession>();
  for (const TUnitEntry& unit : kUnits) unit.initialization(*session);
}

void FinalizeUnits() {
  if (!session) return;
  for (const TUnitEntry& unit : kUnits | std::views::reverse) unit.finalization(*session);
  session.reset();
}

TModuleSession& Session() {
  if (!session) throw platform::Exception("O módulo Pkg_VQR51200 não está carregado.");
  return *session;
}

}  // namespace Pkg_VQR51200
