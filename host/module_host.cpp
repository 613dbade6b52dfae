#include "host/module_host.h"

#include <dlfcn.h>

#include <spdlog/spdlog.h>

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"

namespace host {

using platform::Exception;

ModuleHost::~ModuleHost() {
  try {
    if (Loaded()) Unload(true);
  } catch (const std::exception& e) {
    spdlog::error("Falha ao descarregar o módulo: {}", e.what());
  }
}

static std::string loaderError() {
  const char* text = dlerror();
  return text ? text : "erro desconhecido do carregador";
}

void* ModuleHost::symbol(const char* name) {
  dlerror();
  void* address = dlsym(handle_, name);
  if (!address) {
    std::string why = loaderError();
    close();
    throw Exception("O módulo " + path_ + " não exporta a entrada " + name + ": " + why);
  }
  return address;
}

void ModuleHost::Load(const std::string& path) {
  if (Loaded()) throw Exception("O módulo " + path_ + " já está carregado.");
  path_ = path;
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_)
    throw Exception("Não foi possível carregar o módulo " + path + ": " + loaderError());
  iniProc_ = reinterpret_cast<ModuleProc>(symbol("IniProc"));
  initialize_ = reinterpret_cast<ModuleProc>(symbol("Initialize"));
  finalize_ = reinterpret_cast<ModuleProc>(symbol("Finalize"));
  auto table = reinterpret_cast<GetPackageInfoTableProc>(symbol("GetPackageInfoTable"));
  Dl_info info{};
  base_ = dladdr(reinterpret_cast<void*>(iniProc_), &info) ? info.dli_fbase : nullptr;
  const platform::PackageInfoTable* packages = table();
  if (!packages) {
    close();
    throw Exception("O módulo " + path + " não informou sua tabela de pacote.");
  }
  units_.clear();
  requires_.clear();
  for (std::size_t i = 0; i < packages->unitCount; ++i) units_.emplace_back(packages->units[i].name);
  for (std::size_t i = 0; i < packages->requiresCount; ++i)
    requires_.emplace_back(packages->requiredPackages[i]);
  try {
    initialize_();
  } catch (...) {
    close();
    throw;
  }
  spdlog::info("Módulo {} carregado ({} unidades)", path_, units_.size());
}

std::vector<platform::TCustomForm*> ModuleHost::ModuleForms() const {
  std::vector<platform::TCustomForm*> found;
  if (!base_) return found;
  for (platform::TCustomForm* form : platform::Screen().Forms()) {
    const void* object = dynamic_cast<const void*>(form);
    const void* vtable = *static_cast<const void* const*>(object);
    Dl_info info{};
    if (dladdr(vtable, &info) && info.dli_fbase == base_) found.push_back(form);
  }
  return found;
}

void ModuleHost::Unload(bool force) {
  if (!Loaded()) return;
  for (platform::TCustomForm* form : ModuleForms()) {
    if (form->Modal() && !force)
      throw Exception("O módulo não pode ser descarregado com a janela \"" + form->Caption() +
                      "\" aberta.");
    if (!form->Visible() || form->Modal()) continue;
    if (force) {
      platform::Application().Guard([form] { form->Close(); });
      continue;
    }
    form->Close();
    if (form->Visible() && !form->Releasing())
      throw Exception("O módulo não pode ser descarregado: a janela \"" + form->Caption() +
                      "\" não foi fechada.");
  }
  platform::Application().ProcessMessages();
  // Destroying a form may destroy the forms it owns: look again after each one.
  for (auto forms = ModuleForms(); !forms.empty(); forms = ModuleForms()) delete forms.front();
  platform::Application().ProcessMessages();
  try {
    finalize_();
  } catch (...) {
    close();
    throw;
  }
  spdlog::info("Módulo {} descarregado", path_);
  close();
}

void ModuleHost::IniProc() {
  if (!Loaded()) throw Exception("Nenhum módulo está carregado.");
  iniProc_();
}

void ModuleHost::close() noexcept {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
  base_ = nullptr;
  iniProc_ = initialize_ = finalize_ = nullptr;
}

}  // namespace host
