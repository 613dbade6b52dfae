#include "host/sign_in_window.h"

#include <memory>

#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/control.h"
#include "platform/ui/edit.h"
#include "platform/ui/form.h"
#include "platform/ui/screen.h"
#include "platform/ui/std_controls.h"

namespace host {
namespace {

using platform::NewControl;

constexpr int kWidth = 340;
constexpr int kHeight = 190;

class TfrmEntrar : public platform::TForm {
 public:
  TfrmEntrar(platform::TComponent* owner, const SignInRequest& request, const platform::TSignIn::TAttempt& attempt)
      : platform::TForm(owner), attempt_(attempt), cancellable_(request.cancellable) {
    SetName("frmEntrar");
    SetCaption("Entrar no sistema");
    SetBorderStyle(platform::bsDialog);
    SetBounds((platform::Screen().Width() - kWidth) / 2, (platform::Screen().Height() - kHeight) / 2, kWidth, kHeight);
    auto* lblUsuario = NewControl<platform::TLabel>(this, this, "lblUsuario", 16, 20, 70, 13);
    lblUsuario->SetCaption("&Usuário");
    edtUsuario = NewControl<platform::TEdit>(this, this, "edtUsuario", 96, 16, 220, 21);
    edtUsuario->SetMaxLength(20);
    edtUsuario->SetText(request.login);
    edtUsuario->SetEnabled(!request.loginFixed);
    lblUsuario->FocusControl = edtUsuario;
    auto* lblSenha = NewControl<platform::TLabel>(this, this, "lblSenha", 16, 52, 70, 13);
    lblSenha->SetCaption("&Senha");
    edtSenha = NewControl<platform::TEdit>(this, this, "edtSenha", 96, 48, 220, 21);
    edtSenha->PasswordChar = '*';
    lblSenha->FocusControl = edtSenha;
    lblMensagem = NewControl<platform::TLabel>(this, this, "lblMensagem", 16, 82, 300, 40);
    lblMensagem->Font().Color = platform::clRed;
    lblMensagem->SetCaption(request.reason);
    btnEntrar = NewControl<platform::TButton>(this, this, "btnEntrar", cancellable_ ? 160 : 241, 128, 75, 25);
    btnEntrar->SetCaption("Entrar");
    btnEntrar->Default = true;
    btnEntrar->OnClick = [this](platform::TObject*) { btnEntrarClick(); };
    if (cancellable_) {
      auto* cancel = NewControl<platform::TButton>(this, this, "btnCancelar", 241, 128, 75, 25);
      cancel->SetCaption("Cancelar");
      cancel->Cancel = true;
      cancel->ModalResult = platform::mrCancel;
    }
    OnCloseQuery = [this](platform::TObject*, bool& canClose) { canClose = cancellable_ || accepted_; };
    SetActiveControl(request.login.empty() ? edtUsuario : edtSenha);
  }

  platform::TEdit* edtUsuario;
  platform::TEdit* edtSenha;
  platform::TLabel* lblMensagem;
  platform::TButton* btnEntrar;

 private:
  void btnEntrarClick() {
    if (edtUsuario->Text().empty()) return refuse("Informe o usuário.", edtUsuario);
    if (edtSenha->Text().empty()) return refuse("Informe a senha.", edtSenha);
    std::string refusal;
    try {
      refusal = attempt_(edtUsuario->Text(), edtSenha->Text());
    } catch (const std::exception& e) {
      refusal = e.what();
    }
    if (!refusal.empty()) {
      edtSenha->SetText("");
      return refuse(refusal, edtSenha);
    }
    accepted_ = true;
    SetModalResult(platform::mrOk);
  }

  void refuse(const std::string& text, platform::TEdit* edit) {
    lblMensagem->SetCaption(text);
    if (edit->CanFocus()) edit->SetFocus();
  }

  const platform::TSignIn::TAttempt& attempt_;
  bool cancellable_;
  bool accepted_ = false;
};

}  // namespace

bool AskSignIn(const SignInRequest& request, const platform::TSignIn::TAttempt& attempt) {
  std::unique_ptr<TfrmEntrar> window(platform::NewForm<TfrmEntrar>(&platform::Application(), request, attempt));
  return window->ShowModal() == platform::mrOk;
}

}  // namespace host
