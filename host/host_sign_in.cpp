#include "host/host_sign_in.h"

#include <spdlog/spdlog.h>

#include "contracts/framework/host_configuration.h"
#include "host/sign_in_window.h"
#include "platform/ui/application.h"

namespace host {

HostSignIn::HostSignIn(std::shared_ptr<platform::TSignIn> signIn) : signIn_(std::move(signIn)) {
  connection_.SetServerName("sessao");
  connection_.SetSignIn(signIn_);
  connection_.SetServerList(framework::GetHostConfiguration().servers);
  connection_.BeforeConnect = [this](platform::TObject*) {
    const framework::HostConfiguration& configuration = framework::GetHostConfiguration();
    connection_.SetHost(configuration.serverHost);
    connection_.SetPort(configuration.serverPort);
    connection_.SetTlsAuthority(configuration.tlsAuthority);
  };
  signIn_->OnAskPassword = [this](const std::string& reason, const platform::TSignIn::TAttempt& attempt) {
    const std::string& login = signIn_->Login();
    return AskSignIn({reason.empty() ? "Entre no sistema para continuar." : reason, login, !login.empty(), true},
                     attempt);
  };
}

HostSignIn::~HostSignIn() { signIn_->OnAskPassword = nullptr; }

void HostSignIn::Start() {
  if (!signIn_->HasKeptPassword()) {
    platform::Application().PostTask([this] { askAtStart(); });
    return;
  }
  try {
    connection_.Open();
    connection_.Close();
  } catch (const platform::ESignInError&) {
    throw;
  } catch (const platform::ENetError& e) {
    spdlog::warn("Entrada no sistema adiada para a primeira chamada: {}", e.what());
  }
}

void HostSignIn::askAtStart() {
  AskSignIn({}, [this](const std::string& login, const std::string& password) {
    return connection_.SignInWith(login, password);
  });
  connection_.Close();
}

void HostSignIn::Finish() { connection_.SignOut(); }

}  // namespace host
