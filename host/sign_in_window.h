#pragma once
// frmEntrar, "Entrar no sistema": the window that asks who is using the host, modal,
// built with the toolkit like every other window.
//
//   lblUsuario "Usuário"  edtUsuario
//   lblSenha   "Senha"    edtSenha (shown as asterisks)
//   lblMensagem           why it is asked again, or the server's refusal (in red)
//   btnEntrar "Entrar" (Enter)   btnCancelar "Cancelar" (Escape; only when the person
//                                may give up)
//
// "Entrar" with an empty user or password says which is missing; otherwise it hands
// them to `attempt`: accepted, the window closes; refused (or the server unreachable),
// the message shows why, the password is emptied and takes the focus, and the window
// stays. Without "Cancelar" the window cannot be closed but by signing in.
#include <string>

#include "platform/net/sign_in.h"

namespace host {

struct SignInRequest {
  std::string reason;  // shown above the buttons ("" at the first sign-in)
  std::string login;   // offered in edtUsuario
  bool loginFixed = false;  // the user cannot be changed (a session of that user expired)
  bool cancellable = false;
};

// True once an attempt was accepted; false when the person cancelled.
bool AskSignIn(const SignInRequest& request, const platform::TSignIn::TAttempt& attempt);

}  // namespace host
