#include "host/host_runner.h"

#include <unistd.h>

#include <filesystem>

#include <spdlog/spdlog.h>

#include "host/host_frame.h"
#include "host/module_host.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"

namespace host {

using platform::Application;

std::string DefaultModulePath() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "../lib/Pkg_VQR51200.so";
  return (exe.parent_path() / ".." / "lib" / "Pkg_VQR51200.so").lexically_normal().string();
}

HostRunner::HostRunner(HostOptions options)
    : options_(std::move(options)), module_(std::make_unique<ModuleHost>()) {}

HostRunner::~HostRunner() { Shutdown(); }

void HostRunner::Start() {
  Application().Title = "Sistema de Vendas";
  frame_ = platform::NewForm<TfrmHost>(&Application(), *module_, options_.modulePath);
  Application().SetMainForm(frame_);
  frame_->Show();
  try {
    frame_->LoadModule();
  } catch (const std::exception& e) {
    spdlog::error("{}", e.what());
    std::string text = e.what();
    Application().PostTask([text] { platform::MessageDlg(text, platform::mtError, {platform::mbOK}, 0); });
  }
}

void HostRunner::Run() { Application().Run(); }

void HostRunner::Shutdown() {
  if (module_ && module_->Loaded()) {
    try {
      module_->Unload(true);
    } catch (const std::exception& e) {
      spdlog::error("Falha ao descarregar o módulo: {}", e.what());
    }
  }
  Application().ProcessMessages();
  delete frame_;
  frame_ = nullptr;
}

}  // namespace host
