#pragma once
// The browser front end's server: HTTP for the page (web/) and for the reports the
// host produced (/documents/), and the UI protocol over a WebSocket (/ws).
//
// Safety rules: it listens where it is told (127.0.0.1 by default); every request must
// name a loopback host (or the configured address) in its Host header; a WebSocket
// upgrade must carry the session token and an Origin of this same server; the page is
// served only with the token in its URL (without it, a page saying the link is not
// valid and that the URL printed at start-up must be used); documents are served only
// to a browser that opened the page with the token. A file the page uploads
// (POST /upload?target=WINDOW.EDIT) must carry the token in the X-Session-Token header
// and stay within maxUploadBytes; it is streamed to a file of the uploads folder under
// a name the server makes (its own name is never part of a path) and handed to
// `onUpload`. One browser tab
// drives the host at a time: a second tab is told so and closed. Messages over the
// size limit close the socket; idle connections are dropped.
//
// The server never sees the UI: it hands every received message to `onMessage` and
// sends what the host gives to `send`. It runs its own I/O thread; `send` may be
// called from any thread.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "host/uploaded_file.h"

namespace host {

struct WebServerOptions {
  std::string address = "127.0.0.1";
  std::uint16_t port = 8080;       // 0 picks a free port
  std::filesystem::path webRoot;   // the web/ folder
  std::filesystem::path documentsDir;
  std::string token;               // random session token; see NewSessionToken()
  std::filesystem::path uploadsDir;
  std::uintmax_t maxUploadBytes = 32u * 1024 * 1024;
  std::size_t maxMessageBytes = 64 * 1024;
  std::chrono::seconds idleTimeout{300};
};

struct WebServerHooks {
  // A tab became the one driving the host: the host sends it "hello" and a state.
  std::function<void()> onAttach;
  // A message from the driving tab (called on the server's I/O thread).
  std::function<void(std::string message)> onMessage;
  // A file uploaded for the edit at `target` (called on the I/O thread); false when no
  // tab drives the host, and the upload is refused.
  std::function<bool(std::string target, std::shared_ptr<const UploadedFile> file)> onUpload;
  // The driving tab went away.
  std::function<void()> onDetach;
};

class WebServer {
 public:
  WebServer(WebServerOptions options, WebServerHooks hooks);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds and starts serving on the I/O thread; raises platform::Exception with a clear
  // text when the address cannot be bound.
  void start();
  void stop();
  // The port actually bound (useful with port 0).
  std::uint16_t port() const;
  // The page URL with the token, e.g. http://127.0.0.1:8080/?token=...
  std::string url() const;
  // Sends one message to the driving tab, if any. Thread-safe.
  void send(std::string message);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// 32 random bytes as 64 hexadecimal characters.
std::string NewSessionToken();

}  // namespace host
