#include "platform/net/sign_in.h"

#include <iostream>

namespace platform {

void TSignIn::SetCredentials(std::string login, std::string password) {
  login_ = std::move(login);
  password_ = std::move(password);
}

void TSignIn::Accept(const TSignInAnswer& answer) {
  session_ = answer.Session;
  login_ = answer.Login;
  name_ = answer.Name;
  role_ = answer.Role;
  reason_.clear();
  changed();
}

void TSignIn::Expire(const std::string& session, std::string reason) {
  if (session != session_) return;
  session_.clear();
  reason_ = std::move(reason);
  changed();
}

void TSignIn::SignedOut() {
  session_.clear();
  reason_ = "Sessão encerrada.";
  changed();
}

void TSignIn::changed() const {
  if (!OnChange) return;
  try {
    OnChange();
  } catch (const std::exception& e) {
    std::cerr << "Observador da entrada no sistema: " << e.what() << "\n";
  }
}

}  // namespace platform
