#include "host/web/web_server.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <deque>
#include <fstream>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <thread>

#include <boost/asio.hpp>
#include <boost/beast.hpp>
#include <spdlog/spdlog.h>

#include "platform/core/exceptions.h"

namespace host {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using asio::awaitable;
using asio::use_awaitable;

namespace {

constexpr std::size_t kMaxQueuedMessages = 1000;
constexpr const char* kRefusedSecondTab =
    R"({"type":"refused","text":"O sistema já está aberto em outra aba do navegador. Feche-a para usar esta."})";

using Request = http::request<http::string_body>;
using Response = http::response<http::string_body>;
using HeaderParser = http::request_parser<http::empty_body>;

// Normal ways for a browser to go away; not worth a log line.
bool IsNormalClose(const beast::error_code& ec) {
  return ec == beast::http::error::end_of_stream || ec == asio::error::eof ||
         ec == asio::error::connection_reset || ec == asio::error::not_connected ||
         ec == asio::error::operation_aborted || ec == websocket::error::closed ||
         ec == beast::error::timeout;
}

bool SameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

// The value of `name` in the query part of a request target, or "".
std::string QueryValue(std::string_view target, std::string_view name) {
  auto q = target.find('?');
  if (q == std::string_view::npos) return {};
  std::string_view query = target.substr(q + 1);
  while (!query.empty()) {
    auto amp = query.find('&');
    std::string_view pair = query.substr(0, amp);
    auto eq = pair.find('=');
    if (eq != std::string_view::npos && pair.substr(0, eq) == name) return std::string(pair.substr(eq + 1));
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return {};
}

std::string CookieValue(const Request& req, std::string_view name) {
  auto it = req.find(http::field::cookie);
  if (it == req.end()) return {};
  std::string_view cookies(it->value().data(), it->value().size());
  while (!cookies.empty()) {
    while (!cookies.empty() && cookies.front() == ' ') cookies.remove_prefix(1);
    auto semi = cookies.find(';');
    std::string_view pair = cookies.substr(0, semi);
    auto eq = pair.find('=');
    if (eq != std::string_view::npos && pair.substr(0, eq) == name) return std::string(pair.substr(eq + 1));
    if (semi == std::string_view::npos) break;
    cookies.remove_prefix(semi + 1);
  }
  return {};
}

std::string_view PathOf(std::string_view target) { return target.substr(0, target.find('?')); }

std::string ContentType(const std::filesystem::path& file) {
  const std::string ext = file.extension().string();
  if (ext == ".html") return "text/html; charset=utf-8";
  if (ext == ".js" || ext == ".mjs") return "text/javascript; charset=utf-8";
  if (ext == ".css") return "text/css; charset=utf-8";
  if (ext == ".pdf") return "application/pdf";
  if (ext == ".xlsx") return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
  if (ext == ".csv") return "text/csv; charset=utf-8";
  if (ext == ".png") return "image/png";
  if (ext == ".svg") return "image/svg+xml";
  if (ext == ".ico") return "image/x-icon";
  return "application/octet-stream";
}

// How a browser should treat a produced document: a PDF opens in its viewer, anything
// else (spreadsheets) is saved under the document's own file name.
std::string DocumentDisposition(const std::filesystem::path& file) {
  const std::string name = file.filename().string();
  const bool plainName = std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '.' || c == '-' || c == '_';
  });
  std::string disposition = file.extension() == ".pdf" ? "inline" : "attachment";
  if (plainName) disposition += "; filename=\"" + name + "\"";
  return disposition;
}

// Resolves a request path under `root`, refusing anything that could leave it.
std::optional<std::filesystem::path> SafeFile(const std::filesystem::path& root, std::string_view path) {
  if (path.empty() || path.front() != '/') return std::nullopt;
  if (path.find("..") != std::string_view::npos || path.find('\\') != std::string_view::npos ||
      path.find('%') != std::string_view::npos || path.find('\0') != std::string_view::npos)
    return std::nullopt;
  std::error_code ec;
  const auto base = std::filesystem::canonical(root, ec);
  if (ec) return std::nullopt;
  auto file = std::filesystem::weakly_canonical(base / std::string(path.substr(1)), ec);
  if (ec) return std::nullopt;
  auto rel = file.lexically_relative(base);
  if (rel.empty() || rel.native().starts_with("..")) return std::nullopt;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  return file;
}

bool IsUpload(const http::request<http::empty_body>& req) {
  return PathOf(std::string_view(req.target().data(), req.target().size())) == "/upload";
}

// An upload's target: a "window.control" path of plain names.
bool PlainTarget(std::string_view target) {
  return !target.empty() && target.size() <= 200 && std::all_of(target.begin(), target.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '.' || c == '_';
  });
}

// The extension an uploaded file is stored with: that of its own name when it is one
// the import reads, else none (the reader tells formats by their bytes anyway).
std::string UploadExtension(std::string_view name) {
  auto endsWith = [&](std::string_view ext) {
    return name.size() >= ext.size() &&
           std::equal(ext.begin(), ext.end(), name.end() - static_cast<std::ptrdiff_t>(ext.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
  };
  if (endsWith(".xlsx")) return ".xlsx";
  if (endsWith(".csv")) return ".csv";
  return "";
}

std::string TooLargeText(std::uintmax_t limit) {
  return "O arquivo passa de " + std::to_string(limit / (1024 * 1024)) + " MB, o limite, e não foi recebido.";
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Closes a connection whose request body was left unread without resetting it: the
// sending side is shut, and what the browser still sends is read and dropped for a
// while, so it gets to read the answer (a refusal) instead of a broken connection.
awaitable<void> LingeringClose(beast::tcp_stream& stream) {
  beast::error_code ec;
  stream.socket().shutdown(tcp::socket::shutdown_send, ec);
  stream.expires_after(std::chrono::seconds(2));
  std::array<char, 16 * 1024> scratch;
  while (!ec) co_await stream.async_read_some(asio::buffer(scratch), asio::redirect_error(use_awaitable, ec));
}

}  // namespace

class WsSession;

struct WebServer::Impl {
  WebServerOptions options;
  WebServerHooks hooks;
  asio::io_context io{1};
  tcp::acceptor acceptor{io};
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work;
  std::thread thread;
  std::shared_ptr<WsSession> active;  // the driving tab; touched on the I/O thread only
  std::uint16_t boundPort = 0;
  std::uint64_t uploads = 0;  // files received so far; names the next one
  bool uploading = false;     // one upload at a time

  awaitable<void> acceptLoop();
  awaitable<std::optional<Response>> receiveUpload(beast::tcp_stream& stream, beast::flat_buffer& buffer,
                                                   HeaderParser& head);
  std::optional<Response> uploadRefusal(const HeaderParser& head) const;
  awaitable<void> serveConnection(tcp::socket socket);
  awaitable<void> serveWebSocket(beast::tcp_stream stream, Request req);
  Response answer(const Request& req);
  bool allowedHost(const http::request_header<>& req) const;
  bool allowedOrigin(const http::request_header<>& req) const;
  Response plain(const Request& req, http::status status, std::string text) const;
  Response plain(unsigned version, bool keepAlive, http::status status, std::string text) const;
  Response invalidLink(const Request& req) const;
  void detach(const std::shared_ptr<WsSession>& session);
};

class WsSession : public std::enable_shared_from_this<WsSession> {
 public:
  explicit WsSession(beast::tcp_stream stream) : ws(std::move(stream)) {}

  void enqueue(std::string message) {
    if (queue.size() >= kMaxQueuedMessages) {
      spdlog::warn("web: the browser does not read its messages; closing its connection");
      beast::get_lowest_layer(ws).close();
      return;
    }
    queue.push_back(std::move(message));
    if (!writing) {
      writing = true;
      asio::co_spawn(ws.get_executor(), writeLoop(shared_from_this()), asio::detached);
    }
  }

  static awaitable<void> writeLoop(std::shared_ptr<WsSession> self) {
    while (!self->queue.empty()) {
      beast::error_code ec;
      self->ws.text(true);
      co_await self->ws.async_write(asio::buffer(self->queue.front()), asio::redirect_error(use_awaitable, ec));
      self->queue.pop_front();
      if (ec) {
        self->queue.clear();
        break;
      }
    }
    self->writing = false;
  }

  websocket::stream<beast::tcp_stream> ws;
  std::deque<std::string> queue;
  bool writing = false;
};

bool WebServer::Impl::allowedHost(const http::request_header<>& req) const {
  auto it = req.find(http::field::host);
  if (it == req.end()) return false;
  const std::string host(it->value());
  const std::string port = ":" + std::to_string(boundPort);
  for (const std::string& name : {std::string("127.0.0.1"), std::string("localhost"), std::string("[::1]"),
                                  options.address})
    if (host == name + port) return true;
  return false;
}

bool WebServer::Impl::allowedOrigin(const http::request_header<>& req) const {
  auto origin = req.find(http::field::origin);
  auto host = req.find(http::field::host);
  if (origin == req.end() || host == req.end()) return false;
  return origin->value() == "http://" + std::string(host->value());
}

Response WebServer::Impl::plain(const Request& req, http::status status, std::string text) const {
  return plain(req.version(), req.keep_alive(), status, std::move(text));
}

Response WebServer::Impl::plain(unsigned version, bool keepAlive, http::status status, std::string text) const {
  Response res{status, version};
  res.set(http::field::content_type, "text/plain; charset=utf-8");
  res.set(http::field::cache_control, "no-store");
  res.keep_alive(keepAlive);
  res.body() = std::move(text);
  res.prepare_payload();
  return res;
}

// Why an upload is refused before its body is read, if it is. The connection closes
// after a refusal, so the body left unread is never taken for a request.
std::optional<Response> WebServer::Impl::uploadRefusal(const HeaderParser& head) const {
  const http::request<http::empty_body>& req = head.get();
  auto refuse = [&](http::status status, std::string text) {
    return std::optional<Response>(plain(req.version(), false, status, std::move(text)));
  };
  const std::string target(req.target());
  auto tokenHeader = req.find("X-Session-Token");
  const std::string token = tokenHeader == req.end() ? std::string() : std::string(tokenHeader->value());
  if (!allowedHost(req)) return refuse(http::status::forbidden, "Endereço não permitido.");
  if (req.method() != http::verb::post) return refuse(http::status::method_not_allowed, "Método não permitido.");
  if (!allowedOrigin(req))
    return refuse(http::status::forbidden, "Origem não permitida: o arquivo não foi recebido.");
  if (!SameSecret(token, options.token))
    return refuse(http::status::forbidden, "Sessão inválida: o arquivo não foi recebido.");
  if (!PlainTarget(QueryValue(target, "target")))
    return refuse(http::status::bad_request, "Envio sem o campo que recebe o arquivo.");
  if (head.content_length() && *head.content_length() > options.maxUploadBytes)
    return refuse(http::status::payload_too_large,
                  TooLargeText(options.maxUploadBytes));
  if (uploading) return refuse(http::status::too_many_requests, "Outro arquivo ainda está sendo enviado.");
  if (options.uploadsDir.empty()) return refuse(http::status::forbidden, "Este sistema não recebe arquivos.");
  return std::nullopt;
}

// Streams the body of an accepted upload into a new file of the uploads folder, so
// memory holds one read's worth of it whatever its size; the answer, or nothing when
// the browser went away.
awaitable<std::optional<Response>> WebServer::Impl::receiveUpload(beast::tcp_stream& stream,
                                                                  beast::flat_buffer& buffer, HeaderParser& head) {
  const http::request<http::empty_body>& req = head.get();
  if (auto refusal = uploadRefusal(head)) co_return refusal;
  const std::string target(req.target());
  const unsigned version = req.version();
  const bool keepAlive = req.keep_alive();
  const std::filesystem::path path =
      options.uploadsDir / ("arquivo-" + std::to_string(++uploads) + UploadExtension(QueryValue(target, "name")));
  http::request_parser<http::file_body> parser{std::move(head)};
  parser.body_limit(options.maxUploadBytes);
  beast::error_code ec;
  parser.get().body().open(path.c_str(), beast::file_mode::write_new, ec);
  if (ec) {
    spdlog::error("web: the upload could not be stored in {}: {}", path.string(), ec.message());
    co_return plain(version, false, http::status::internal_server_error, "Não foi possível guardar o arquivo enviado.");
  }
  auto file = std::make_shared<const UploadedFile>(path);
  uploading = true;
  co_await http::async_read(stream, buffer, parser, asio::redirect_error(use_awaitable, ec));
  uploading = false;
  parser.get().body().close();
  if (ec == http::error::body_limit)
    co_return plain(version, false, http::status::payload_too_large,
                    TooLargeText(options.maxUploadBytes));
  if (ec) co_return std::nullopt;
  if (!hooks.onUpload || !hooks.onUpload(QueryValue(target, "target"), file))
    co_return plain(version, keepAlive, http::status::conflict, "Nenhuma aba do navegador está usando o sistema.");
  co_return plain(version, keepAlive, http::status::ok, "Arquivo recebido.");
}

// The page asked for without this session's token: a person followed an old or cut
// link, so the answer says which link works instead of a page that cannot connect.
Response WebServer::Impl::invalidLink(const Request& req) const {
  Response res{http::status::forbidden, req.version()};
  res.set(http::field::content_type, "text/html; charset=utf-8");
  res.set(http::field::cache_control, "no-store");
  res.set("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; frame-ancestors 'none'");
  res.keep_alive(req.keep_alive());
  res.body() =
      "<!doctype html><html lang=\"pt-BR\"><head><meta charset=\"utf-8\"><title>Link inválido</title>"
      "<style>body{font:14px sans-serif;margin:3em auto;max-width:36em;color:#1c1c1c}</style></head><body>"
      "<h1>Este link não é válido</h1>"
      "<p>O endereço aberto não traz a chave desta sessão do sistema. Use o endereço exibido quando o "
      "sistema foi iniciado (ele termina com <code>?token=</code> seguido da chave).</p></body></html>";
  res.prepare_payload();
  return res;
}

Response WebServer::Impl::answer(const Request& req) {
  if (!allowedHost(req)) return plain(req, http::status::forbidden, "Endereço não permitido.");
  if (req.method() != http::verb::get && req.method() != http::verb::head)
    return plain(req, http::status::method_not_allowed, "Método não permitido.");
  const std::string target(req.target());
  std::string_view path = PathOf(target);
  const bool withToken = SameSecret(QueryValue(target, "token"), options.token);
  const bool withCookie = SameSecret(CookieValue(req, "vqr_token"), options.token);

  std::optional<std::filesystem::path> file;
  bool isPage = false;
  const bool isDocument = path.starts_with("/documents/");
  if (isDocument) {
    if (!withToken && !withCookie) return plain(req, http::status::forbidden, "Sessão inválida.");
    file = SafeFile(options.documentsDir, path.substr(std::string_view("/documents").size()));
  } else {
    isPage = path == "/" || path == "/index.html";
    if (isPage && !withToken) return invalidLink(req);
    file = SafeFile(options.webRoot, path == "/" ? "/index.html" : path);
  }
  if (!file) return plain(req, http::status::not_found, "Não encontrado.");
  auto body = ReadWholeFile(*file);
  if (!body) return plain(req, http::status::not_found, "Não encontrado.");

  Response res{http::status::ok, req.version()};
  res.set(http::field::content_type, ContentType(*file));
  res.set("X-Content-Type-Options", "nosniff");
  res.set(http::field::cache_control, "no-store");
  if (isDocument) res.set(http::field::content_disposition, DocumentDisposition(*file));
  if (isPage) {
    res.set("Content-Security-Policy", "default-src 'self'; connect-src 'self'; frame-ancestors 'none'");
    if (withToken)
      res.set(http::field::set_cookie, "vqr_token=" + options.token + "; HttpOnly; SameSite=Strict; Path=/");
  }
  res.keep_alive(req.keep_alive());
  if (req.method() == http::verb::get) res.body() = std::move(*body);
  res.prepare_payload();
  return res;
}

awaitable<void> WebServer::Impl::acceptLoop() {
  for (;;) {
    beast::error_code ec;
    tcp::socket socket = co_await acceptor.async_accept(asio::redirect_error(use_awaitable, ec));
    if (ec == asio::error::operation_aborted) co_return;
    if (ec) continue;
    // Each state is a small frame sent at once: without this, the kernel holds one back
    // until the browser acknowledges the one before, which it delays by some 40 ms.
    socket.set_option(tcp::no_delay(true), ec);
    asio::co_spawn(io, serveConnection(std::move(socket)), asio::detached);
  }
}

awaitable<void> WebServer::Impl::serveConnection(tcp::socket socket) {
  beast::tcp_stream stream(std::move(socket));
  beast::flat_buffer buffer;
  for (;;) {
    stream.expires_after(options.idleTimeout);
    HeaderParser head;
    head.header_limit(16 * 1024);
    // Each kind of request limits its body below (Boost 1.74 takes "none" for a zero limit).
    head.body_limit(std::numeric_limits<std::uint64_t>::max());
    beast::error_code ec;
    co_await http::async_read_header(stream, buffer, head, asio::redirect_error(use_awaitable, ec));
    if (ec) {
      if (!IsNormalClose(ec)) spdlog::debug("web: request refused: {}", ec.message());
      co_return;
    }
    if (IsUpload(head.get())) {
      std::optional<Response> res = co_await receiveUpload(stream, buffer, head);
      if (!res) co_return;
      const bool keepAlive = res->keep_alive();
      co_await http::async_write(stream, *res, asio::redirect_error(use_awaitable, ec));
      if (!ec && !keepAlive) co_await LingeringClose(stream);
      if (ec || !keepAlive) co_return;
      continue;
    }
    http::request_parser<http::string_body> parser{std::move(head)};
    parser.body_limit(4 * 1024);
    co_await http::async_read(stream, buffer, parser, asio::redirect_error(use_awaitable, ec));
    if (ec) {
      if (!IsNormalClose(ec)) spdlog::debug("web: request refused: {}", ec.message());
      co_return;
    }
    Request req = parser.release();
    if (websocket::is_upgrade(req)) {
      co_await serveWebSocket(std::move(stream), std::move(req));
      co_return;
    }
    Response res = answer(req);
    const bool keepAlive = res.keep_alive();
    co_await http::async_write(stream, res, asio::redirect_error(use_awaitable, ec));
    if (ec || !keepAlive) co_return;
  }
}

awaitable<void> WebServer::Impl::serveWebSocket(beast::tcp_stream stream, Request req) {
  beast::error_code ec;
  const std::string target(req.target());
  const bool tokenOk = SameSecret(QueryValue(target, "token"), options.token);
  if (PathOf(target) != "/ws" || !allowedHost(req) || !allowedOrigin(req) || !tokenOk) {
    spdlog::warn("web: WebSocket refused (path, host, origin or token)");
    Response res = plain(req, http::status::forbidden, "Conexão recusada.");
    res.keep_alive(false);
    co_await http::async_write(stream, res, asio::redirect_error(use_awaitable, ec));
    co_return;
  }
  stream.expires_never();
  auto session = std::make_shared<WsSession>(std::move(stream));
  websocket::stream_base::timeout timeouts = websocket::stream_base::timeout::suggested(beast::role_type::server);
  timeouts.idle_timeout = options.idleTimeout;
  session->ws.set_option(timeouts);
  session->ws.read_message_max(options.maxMessageBytes);
  co_await session->ws.async_accept(req, asio::redirect_error(use_awaitable, ec));
  if (ec) co_return;

  if (active) {
    session->ws.text(true);
    co_await session->ws.async_write(asio::buffer(std::string_view(kRefusedSecondTab)),
                                     asio::redirect_error(use_awaitable, ec));
    co_await session->ws.async_close(websocket::close_code::policy_error, asio::redirect_error(use_awaitable, ec));
    co_return;
  }
  active = session;
  if (hooks.onAttach) hooks.onAttach();

  beast::flat_buffer buffer;
  for (;;) {
    co_await session->ws.async_read(buffer, asio::redirect_error(use_awaitable, ec));
    if (ec) {
      if (ec == websocket::error::message_too_big) spdlog::warn("web: message over the size limit; connection closed");
      else if (!IsNormalClose(ec)) spdlog::info("web: browser connection ended: {}", ec.message());
      break;
    }
    std::string message = beast::buffers_to_string(buffer.data());
    buffer.consume(buffer.size());
    if (session->ws.got_text() && hooks.onMessage) hooks.onMessage(std::move(message));
  }
  detach(session);
}

void WebServer::Impl::detach(const std::shared_ptr<WsSession>& session) {
  if (active != session) return;
  active.reset();
  if (hooks.onDetach) hooks.onDetach();
}

WebServer::WebServer(WebServerOptions options, WebServerHooks hooks) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
  impl_->hooks = std::move(hooks);
}

WebServer::~WebServer() { stop(); }

void WebServer::start() {
  Impl& m = *impl_;
  beast::error_code ec;
  const auto address = asio::ip::make_address(m.options.address, ec);
  if (ec) throw platform::Exception("Endereço inválido para o servidor web: " + m.options.address);
  tcp::endpoint endpoint{address, m.options.port};
  m.acceptor.open(endpoint.protocol(), ec);
  if (!ec) m.acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) m.acceptor.bind(endpoint, ec);
  if (!ec) m.acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec)
    throw platform::Exception("Não foi possível abrir o servidor web em " + m.options.address + ":" +
                              std::to_string(m.options.port) + ": " + ec.message());
  m.boundPort = m.acceptor.local_endpoint().port();
  m.work.emplace(m.io.get_executor());
  asio::co_spawn(m.io, m.acceptLoop(), asio::detached);
  m.thread = std::thread([&m] { m.io.run(); });
}

void WebServer::stop() {
  Impl& m = *impl_;
  if (!m.thread.joinable()) return;
  asio::post(m.io, [&m] {
    beast::error_code ec;
    m.acceptor.close(ec);
    if (m.active) beast::get_lowest_layer(m.active->ws).close();
    m.active.reset();
    m.work.reset();
    m.io.stop();
  });
  m.thread.join();
}

std::uint16_t WebServer::port() const { return impl_->boundPort; }

std::string WebServer::url() const {
  return "http://" + impl_->options.address + ":" + std::to_string(impl_->boundPort) + "/?token=" +
         impl_->options.token;
}

void WebServer::send(std::string message) {
  Impl& m = *impl_;
  asio::post(m.io, [&m, message = std::move(message)]() mutable {
    if (m.active) m.active->enqueue(std::move(message));
  });
}

std::string NewSessionToken() {
  std::random_device random;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  token.reserve(64);
  for (int i = 0; i < 8; ++i) {
    std::uint32_t word = random();
    for (int b = 0; b < 8; ++b) token.push_back(kHex[(word >> (b * 4)) & 0xF]);
  }
  return token;
}

}  // namespace host
