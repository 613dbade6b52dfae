// The module's four entries, exported with C linkage under their plain names: the
// host calls Initialize after loading the library, reads GetPackageInfoTable, calls
// IniProc from its menu and Finalize before unloading.
#include <array>

#include "package/units.h"
#include "platform/ui/package_info.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"

namespace {

const std::array<platform::PackageUnitInfo, 4>& UnitTable() {
  static const std::array<platform::PackageUnitInfo, 4> table = [] {
    std::array<platform::PackageUnitInfo, 4> units{};
    for (std::size_t i = 0; i < units.size(); ++i) units[i].name = Pkg_VQR51200::Units()[i].name;
    return units;
  }();
  return table;
}

const char* const kRequiredPackages[] = {"platform", "framework"};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void Initialize() { Pkg_VQR51200::InitializeUnits(); }

__attribute__((visibility("default"))) void Finalize() { Pkg_VQR51200::FinalizeUnits(); }

__attribute__((visibility("default"))) const platform::PackageInfoTable* GetPackageInfoTable() {
  static const platform::PackageInfoTable table = {"Pkg_VQR51200", UnitTable().size(), UnitTable().data(),
                                                   std::size(kRequiredPackages), kRequiredPackages};
  return &table;
}

__attribute__((visibility("default"))) void IniProc() { Cli_VQR51200::CriaTabPreClie(Pkg_VQR51200::Session()); }

}
