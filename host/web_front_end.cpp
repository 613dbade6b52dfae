#include "host/web_front_end.h"

#include <unistd.h>

#include "host/protocol_session.h"
#include "platform/core/exceptions.h"

namespace host {

WebFrontEnd::WebFrontEnd(WebServerOptions options) {
  WebServerHooks hooks;
  hooks.onAttach = [this] {
    session_ = ProtocolSession::create([this](const std::string& message) { server_->send(message); });
    session_->start();
  };
  hooks.onMessage = [this](std::string message) {
    if (session_) session_->receive(std::move(message));
  };
  hooks.onDetach = [this] {
    if (session_) session_->stop();
    session_.reset();
  };
  server_ = std::make_unique<WebServer>(std::move(options), std::move(hooks));
}

WebFrontEnd::~WebFrontEnd() {
  server_->stop();
  if (session_) session_->stop();
}

void WebFrontEnd::start() { server_->start(); }

std::string WebFrontEnd::url() const { return server_->url(); }

std::string NewDocumentsFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vqr-documents-XXXXXX").string();
  if (!mkdtemp(pattern.data()))
    throw platform::Exception("Não foi possível criar a pasta dos relatórios em " + pattern);
  return pattern;
}

bool ParseWebAddress(const std::string& text, WebServerOptions& options) {
  std::string address = options.address;
  std::string port = text;
  auto colon = text.rfind(':');
  if (colon != std::string::npos) {
    if (colon > 0) address = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const int number = std::stoi(port);
  if (number > 65535) return false;
  options.address = address;
  options.port = static_cast<std::uint16_t>(number);
  return true;
}

}  // namespace host
