#include "host/web_front_end.h"

#include "contracts/framework/planilha.h"
#include "host/protocol_session.h"
#include "platform/core/exceptions.h"

namespace host {

WebFrontEnd::WebFrontEnd(WebServerOptions options) : uploads_("vqr-uploads", "dos arquivos enviados") {
  options.uploadsDir = uploads_.path();
  options.maxUploadBytes = Planilha::kMaxBytesArquivo;
  WebServerHooks hooks;
  hooks.onAttach = [this] {
    session_ = ProtocolSession::create([this](const std::string& message) { server_->send(message); });
    session_->start();
  };
  hooks.onMessage = [this](std::string message) {
    if (session_) session_->receive(std::move(message));
  };
  hooks.onUpload = [this](std::string target, std::shared_ptr<const UploadedFile> file) {
    if (!session_) return false;
    session_->receiveFile(std::move(target), std::move(file));
    return true;
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
