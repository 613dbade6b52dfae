#pragma once
// TfrmHost: the host's main window, an MDI frame named frmHost with its menu:
// "Módulo" (load, unload) and "Cadastros" with mnuTabPreClie, which calls the
// module's IniProc (loading the module first when it is not loaded).
#include "platform/ui/form.h"

namespace platform {
class TMenuItem;
}

namespace host {

class ModuleHost;

class TfrmHost : public platform::TForm {
 public:
  TfrmHost(platform::TComponent* owner, ModuleHost& module, std::string modulePath);

  platform::TMenuItem* mnuTabPreClie = nullptr;
  platform::TMenuItem* mnuCarregarModulo = nullptr;
  platform::TMenuItem* mnuDescarregarModulo = nullptr;
  platform::TMenuItem* mnuSair = nullptr;

  void LoadModule();
  void UnloadModule();

 private:
  void updateMenu();

  ModuleHost& module_;
  std::string modulePath_;
};

}  // namespace host
