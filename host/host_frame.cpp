#include "host/host_frame.h"

#include "contracts/framework/host_configuration.h"
#include "host/module_host.h"
#include "host/server_status.h"
#include "platform/net/sign_in.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/menus.h"
#include "platform/ui/screen.h"
#include "platform/ui/status_bar.h"

namespace host {

using namespace platform;

static TMenuItem* addItem(TComponent* owner, TMenuItem* parent, const char* name,
                          const char* caption) {
  auto* item = new TMenuItem(owner);
  item->SetName(name);
  item->Caption = caption;
  parent->Add(item);
  return item;
}

TfrmHost::TfrmHost(TComponent* owner, ModuleHost& module, std::string modulePath)
    : TForm(owner), module_(module), modulePath_(std::move(modulePath)) {
  SetName("frmHost");
  SetCaption("Sistema de Vendas");
  SetFormStyle(fsMDIForm);
  SetBounds(0, 0, Screen().Width(), Screen().Height());
  SetColor(clGray);

  auto* menu = new TMainMenu(this);
  menu->SetName("mnuPrincipal");
  SetMenu(menu);
  TMenuItem* modulo = addItem(this, menu->Items(), "mnuModulo", "&Módulo");
  mnuCarregarModulo = addItem(this, modulo, "mnuCarregarModulo", "&Carregar módulo");
  mnuDescarregarModulo = addItem(this, modulo, "mnuDescarregarModulo", "&Descarregar módulo");
  mnuSair = addItem(this, modulo, "mnuSair", "Sai&r");
  TMenuItem* cadastros = addItem(this, menu->Items(), "mnuCadastros", "&Cadastros");
  mnuTabPreClie = addItem(this, cadastros, "mnuTabPreClie", "&Tabela de Preço por Cliente");

  mnuCarregarModulo->OnClick = [this](TObject*) { LoadModule(); };
  mnuDescarregarModulo->OnClick = [this](TObject*) { UnloadModule(); };
  mnuSair->OnClick = [this](TObject*) {
    if (MessageDlg("Deseja sair do sistema?\nAs janelas abertas serão fechadas.", mtConfirmation, {mbYes, mbNo}, 0) ==
        mrYes)
      Close();
  };
  mnuTabPreClie->OnClick = [this](TObject*) {
    if (!module_.Loaded()) LoadModule();
    module_.IniProc();
  };
  updateMenu();

  stbHost = new TStatusBar(this);
  stbHost->SetName("stbHost");
  stbHost->SetParent(this);
  stbHost->Panels = {{"", 220}, {"", 110}, {"", 420}, {"", 0}};
  const auto& config = framework::GetHostConfiguration();
  serverStatus_ = std::make_unique<ServerStatus>(config.serverHost + ":" + std::to_string(config.serverPort),
                                                 [this] { showServerStatus(); });
  if (config.signIn) config.signIn->OnChange = [this] { showServerStatus(); };
  showServerStatus();
}

TfrmHost::~TfrmHost() {
  if (const auto& signIn = framework::GetHostConfiguration().signIn) signIn->OnChange = nullptr;
}

void TfrmHost::showServerStatus() {
  stbHost->Panels[0].Text = serverStatus_->ServerText();
  stbHost->Panels[1].Text = serverStatus_->ConnectionText();
  stbHost->Panels[2].Text = serverStatus_->LastCallText();
  stbHost->Panels[3].Text = ServerStatus::UserText(framework::GetHostConfiguration().signIn.get());
}

void TfrmHost::LoadModule() {
  if (module_.Loaded()) {
    MessageDlg("O módulo já está carregado.", mtInformation, {mbOK}, 0);
    return;
  }
  try {
    module_.Load(modulePath_);
  } catch (...) {
    updateMenu();
    throw;
  }
  updateMenu();
}

void TfrmHost::UnloadModule() {
  if (!module_.Loaded()) {
    MessageDlg("Nenhum módulo está carregado.", mtInformation, {mbOK}, 0);
    return;
  }
  try {
    module_.Unload();
  } catch (...) {
    updateMenu();
    throw;
  }
  updateMenu();
}

void TfrmHost::updateMenu() {
  mnuCarregarModulo->Enabled = !module_.Loaded();
  mnuDescarregarModulo->Enabled = module_.Loaded();
}

}  // namespace host
