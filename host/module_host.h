#pragma once
// ModuleHost: loads a module library with dlopen and drives its four entries.
//
// Load opens the library, finds IniProc, Initialize, Finalize and GetPackageInfoTable
// (C linkage, plain names), reads the package table and runs Initialize. Unload first
// closes and destroys every form whose class the module defines (their close handlers
// run; a form that refuses to close cancels the unload with a message and leaves the
// module loaded), then runs Finalize and closes the library, so no code of the module
// is left running. Errors are platform::Exception with Portuguese texts that include
// the loader's own message.
#include <string>
#include <vector>

#include "platform/ui/package_info.h"

namespace platform {
class TCustomForm;
}

namespace host {

class ModuleHost {
 public:
  ModuleHost() = default;
  ~ModuleHost();
  ModuleHost(const ModuleHost&) = delete;
  ModuleHost& operator=(const ModuleHost&) = delete;

  void Load(const std::string& path);
  // force: windows that refuse to close are destroyed anyway (the host is ending).
  void Unload(bool force = false);
  bool Loaded() const noexcept { return handle_ != nullptr; }
  const std::string& Path() const noexcept { return path_; }
  // Calls the module's IniProc (exceptions from it go out unchanged).
  void IniProc();
  // Units and required packages the module declared.
  const std::vector<std::string>& Units() const noexcept { return units_; }
  const std::vector<std::string>& RequiredPackages() const noexcept { return requires_; }
  // The shown or hidden forms whose class lives in the module.
  std::vector<platform::TCustomForm*> ModuleForms() const;

 private:
  void* symbol(const char* name);
  void close() noexcept;

  std::string path_;
  void* handle_ = nullptr;
  const void* base_ = nullptr;
  ModuleProc iniProc_ = nullptr;
  ModuleProc initialize_ = nullptr;
  ModuleProc finalize_ = nullptr;
  std::vector<std::string> units_;
  std::vector<std::string> requires_;
};

}  // namespace host
