#pragma once
// The table a loadable module gives its host through GetPackageInfoTable: its units
// (initialised in the order listed) and the packages it requires. The module owns the
// storage; the table stays valid while the module is loaded.
#include <cstddef>

namespace platform {

struct PackageUnitInfo {
  const char* name;
};

struct PackageInfoTable {
  const char* packageName;
  std::size_t unitCount;
  const PackageUnitInfo* units;
  std::size_t requiresCount;
  const char* const* requiredPackages;
};

}  // namespace platform

// The entries every module exports with C linkage and these plain names.
extern "C" {
using ModuleProc = void (*)();
using GetPackageInfoTableProc = const platform::PackageInfoTable* (*)();
}
