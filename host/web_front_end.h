#pragma once
// The browser front end: the web server of host/web plus a protocol session for the
// tab that drives the host. Each tab that attaches gets a fresh session (its "hello"
// and a state); when it goes away the session stops and the host waits for the next.
// Files the tab uploads go to a private folder of their own, removed with the front end,
// and reach the session as `file` inputs.
#include <filesystem>
#include <memory>
#include <string>

#include "host/private_folder.h"
#include "host/web/web_server.h"

namespace host {

class ProtocolSession;

class WebFrontEnd {
 public:
  explicit WebFrontEnd(WebServerOptions options);
  ~WebFrontEnd();
  // Binds the address; raises platform::Exception when it cannot.
  void start();
  std::string url() const;

 private:
  PrivateFolder uploads_;
  std::unique_ptr<WebServer> server_;
  std::shared_ptr<ProtocolSession> session_;  // touched on the server's I/O thread only
};

// "ADDR:PORT" or ":PORT" or "PORT" into the options; false when malformed.
bool ParseWebAddress(const std::string& text, WebServerOptions& options);

}  // namespace host
