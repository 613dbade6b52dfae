#pragma once
// TfrmHost: the host's main window, an MDI frame named frmHost with its menu:
// "Módulo" (load, unload) and "Cadastros" with mnuTabPreClie, which calls the
// module's IniProc (loading the module first when it is not loaded). Its status bar
// stbHost shows the application server, whether a connection to it is open and the
// outcome of the last remote call and who is signed in (ServerStatus), one panel each.
#include <memory>

#include "platform/ui/form.h"

namespace platform {
class TMenuItem;
class TStatusBar;
}

namespace host {

class ModuleHost;
class ServerStatus;

class TfrmHost : public platform::TForm {
 public:
  TfrmHost(platform::TComponent* owner, ModuleHost& module, std::string modulePath);
  ~TfrmHost() override;

  platform::TMenuItem* mnuTabPreClie = nullptr;
  platform::TMenuItem* mnuCarregarModulo = nullptr;
  platform::TMenuItem* mnuDescarregarModulo = nullptr;
  platform::TMenuItem* mnuSair = nullptr;
  platform::TStatusBar* stbHost = nullptr;

  void LoadModule();
  void UnloadModule();

 private:
  void updateMenu();
  void showServerStatus();

  ModuleHost& module_;
  std::string modulePath_;
  std::unique_ptr<ServerStatus> serverStatus_;
};

}  // namespace host
