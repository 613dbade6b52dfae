#pragma once
// The host's life: creates the main window frmHost, loads the module, lets the front
// ends attach, runs the UI loop until the application terminates, then unloads the
// module (closing its windows) and destroys the main window.
#include <memory>
#include <string>

namespace host {

class ModuleHost;
class TfrmHost;

struct HostOptions {
  std::string modulePath;
  bool stdio = false;
};

class HostRunner {
 public:
  explicit HostRunner(HostOptions options);
  ~HostRunner();

  // Creates and shows frmHost and loads the module (a failure is shown as an error box
  // once the loop runs; the host goes on without the module).
  void Start();
  // Runs the UI loop on the calling thread until the application terminates.
  void Run();
  // Unloads the module and destroys the main window.
  void Shutdown();

  ModuleHost& Module() { return *module_; }
  TfrmHost* Frame() { return frame_; }

 private:
  HostOptions options_;
  std::unique_ptr<ModuleHost> module_;
  TfrmHost* frame_ = nullptr;
};

// The module next to the executable: <dir of executable>/../lib/Pkg_VQR51200.so.
std::string DefaultModulePath();

}  // namespace host
