#include "server/rpc/server.h"

#include <spdlog/spdlog.h>

#include <array>
#include <atomic>
#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <charconv>
#include <csignal>
#include <map>
#include <optional>
#include <set>

#include "platform/core/exceptions.h"
#include "platform/net/frame_reader.h"
#include "server/rpc/allocation_policy.h"
#include "server/rpc/dispatcher.h"
#include "server/rpc/memory_budget.h"
#include "server/rpc/printable_text.h"

namespace server::rpc {

namespace asio = boost::asio;
namespace ssl = asio::ssl;
using asio::awaitable;
using asio::use_awaitable;
using asio::ip::tcp;
using boost::system::error_code;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
// What a connection may hold without charging the memory budget: a small call is
// always served, however much large frames of other connections hold.
constexpr std::size_t kUnchargedBytes = 64 * 1024;
// A request is decoded, then its arguments are copied out of the frame: for a moment
// it is held twice.
constexpr std::size_t kDecodedCopies = 2;
// After a fatal frame error, how long the peer may go on sending before the close:
// reading its leftovers keeps the kernel from resetting the connection before the
// peer has read our error reply.
constexpr auto kLingerTime = std::chrono::seconds(2);
// The first byte of every TLS connection: a handshake record.
constexpr unsigned char kTlsHandshakeRecord = 0x16;
// What a client that speaks the protocol in the clear to a TLS listener is answered.
constexpr std::size_t kPlainRequestPeek = 4096;

auto Redirect(error_code& ec) { return asio::redirect_error(use_awaitable, ec); }

std::string Printable(std::string_view text) { return PrintableExcerpt(text, kLoggedValueChars); }

double Seconds(std::chrono::milliseconds duration) { return static_cast<double>(duration.count()) / 1000.0; }

class Connection;

class Listener {
 public:
  Listener(const MethodRegistry& registry, ServerOptions options);

  void run();
  void stop() { asio::post(io_, [this] { beginStop(); }); }
  std::uint16_t port() const noexcept { return port_; }
  std::size_t connectionCount() const noexcept { return count_.load(); }

  asio::io_context& io() noexcept { return io_; }
  // The pool that runs the call to `address`.
  asio::thread_pool& poolFor(std::string_view address) noexcept {
    return writePool_ && options_.writes && options_.writes(address) ? *writePool_ : pool_;
  }
  // The pool of the reads, which also runs the connections' own short tasks.
  asio::thread_pool& pool() noexcept { return pool_; }
  const Dispatcher& dispatcher() const noexcept { return dispatcher_; }
  const ServerOptions& options() const noexcept { return options_; }
  ssl::context& tlsContext() noexcept { return tlsContext_; }
  bool tls() const noexcept { return !options_.tlsCertificateFile.empty(); }
  MemoryBudget& budget() noexcept { return budget_; }
  bool stopping() const noexcept { return stopping_; }
  void remove(const std::shared_ptr<Connection>& connection);

 private:
  awaitable<void> acceptLoop();
  void admit(tcp::socket socket);
  bool makeRoom(const std::string& address);
  bool closeForRoom(const std::string* address);
  void forget(const std::shared_ptr<Connection>& connection);
  void beginStop();

  void loadCertificate();

  ServerOptions options_;
  Dispatcher dispatcher_;
  MemoryBudget budget_;
  // The connections' TLS settings, also when they speak plain TCP (their stream needs one).
  ssl::context tlsContext_{ssl::context::tls_server};
  asio::io_context io_{1};
  asio::thread_pool pool_;
  std::unique_ptr<asio::thread_pool> writePool_;  // none: writes run on pool_
  tcp::acceptor acceptor_{io_};
  asio::signal_set signals_{io_};
  asio::steady_timer graceTimer_{io_};
  std::set<std::shared_ptr<Connection>> connections_;
  std::map<std::string, std::size_t> perAddress_;
  std::atomic<std::size_t> count_{0};
  std::uint16_t port_ = 0;
  bool stopping_ = false;
};

// One client connection. Lives on the I/O thread; only handlers run elsewhere.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(Listener& listener, tcp::socket accepted, std::string address)
      : listener_(listener),
        stream_(std::move(accepted), listener.tlsContext()),
        deadline_(listener.io()),
        callDone_(listener.io()),
        held_(listener.io()),
        share_(listener.budget(), kUnchargedBytes),
        address_(std::move(address)),
        idleSince_(Clock::now()) {
    error_code ec;
    auto peer = socket().remote_endpoint(ec);
    peer_ = ec ? address_ : address_ + ":" + std::to_string(peer.port());
    if (const auto& gate = listener.options().gate) access_ = gate->open(address_, peer_);
  }

  void start();
  // Closes now when no call runs; otherwise after the running call's reply.
  void stop() {
    if (!busy_) close();
  }
  void close() {
    closed_ = true;
    error_code ec;
    socket().close(ec);
    deadline_.cancel();
    held_.cancel();
  }

  const std::string& address() const noexcept { return address_; }
  const std::string& peer() const noexcept { return peer_; }
  // Waiting for a request, with nothing of one received, not even unread by us: may
  // be closed to make room.
  bool idle() {
    if (closed_ || busy_ || lingering_ || reader_.midFrame()) return false;
    error_code ec;
    return socket().available(ec) == 0 && !ec;
  }
  Clock::time_point idleSince() const noexcept { return idleSince_; }
  // Since when a frame has been arriving without being whole yet, when one is; such a
  // connection may be closed to make room too (its client sends again on a new one).
  std::optional<Clock::time_point> unfinishedFrameSince() const {
    if (closed_ || busy_ || lingering_ || !reader_.midFrame()) return std::nullopt;
    if (!frameDeadline_) return Clock::now();
    return *frameDeadline_ - listener_.options().frameTimeout;
  }

 private:
  // What the deadline ends, for the log line of the close.
  enum class Wait { Handshake, Request, Frame, Reply, Linger };

  tcp::socket& socket() noexcept { return stream_.next_layer(); }
  awaitable<std::size_t> readSome(asio::mutable_buffer buffer, error_code& ec);
  // The TLS handshake, when the listener speaks TLS; false when it failed.
  awaitable<bool> shakeHands();
  // A request sent in the clear to a TLS listener gets, in the clear, an error reply
  // saying so, and the connection closes.
  awaitable<void> refusePlainClient();
  awaitable<void> serve();
  awaitable<void> watchdog();
  // Buffers bytes read, within the memory budget; false (after answering) when the
  // budget cannot hold them.
  awaitable<bool> take(std::string_view bytes);
  // Answers the frames already read; false when the connection must end.
  awaitable<bool> answerBufferedFrames();
  awaitable<Reply> runOnWorker(platform::RpcRequest request);
  awaitable<bool> send(std::string bytes);
  awaitable<void> lingerClose();
  // Before a read: the frame under way must be whole by its deadline, which reads do
  // not move; with none under way the connection may idle for the idle timeout.
  void armReadDeadline();
  void arm(Clock::time_point when, Wait wait) {
    waiting_ = wait;
    deadline_.expires_at(when);
  }
  void disarmDeadline() { deadline_.expires_at(Clock::time_point::max()); }
  void logDeadline() const;
  // The refusal of a call that found the memory budget full of unread replies (logged).
  std::string noRoomText() const;

  struct Job {
    platform::RpcRequest request;
    Reply reply;
    bool finished = false;  // set on the I/O thread
  };

  Listener& listener_;
  ssl::stream<tcp::socket> stream_;
  asio::steady_timer deadline_;
  asio::steady_timer callDone_;
  asio::steady_timer held_;  // holds a reply back (a refused sign-in)
  std::unique_ptr<ConnectionAccess> access_;
  platform::RpcFrameReader reader_;
  MemoryBudget::Share share_;
  std::string address_;
  std::string peer_;
  Clock::time_point idleSince_;
  std::optional<Clock::time_point> frameDeadline_;
  Wait waiting_ = Wait::Request;
  bool busy_ = false;
  bool lingering_ = false;
  bool closed_ = false;
  bool heldLargeReply_ = false;
};

void LogEscaped(const char* where, std::exception_ptr error) {
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    ServerLog().error("{}: {}", where, Printable(e.what()));
  } catch (...) {
    ServerLog().error("{}: exceção desconhecida", where);
  }
}

void Connection::start() {
  auto self = shared_from_this();
  asio::co_spawn(listener_.io(), serve(), [self](std::exception_ptr e) {
    LogEscaped("Conexão", e);
  });
  asio::co_spawn(listener_.io(), watchdog(), [self](std::exception_ptr e) {
    LogEscaped("Conexão", e);
  });
}

awaitable<std::size_t> Connection::readSome(asio::mutable_buffer buffer, error_code& ec) {
  if (listener_.tls()) co_return co_await stream_.async_read_some(buffer, Redirect(ec));
  co_return co_await socket().async_read_some(buffer, Redirect(ec));
}

awaitable<bool> Connection::shakeHands() {
  if (!listener_.tls()) co_return true;
  arm(Clock::now() + listener_.options().frameTimeout, Wait::Handshake);
  error_code ec;
  co_await socket().async_wait(tcp::socket::wait_read, Redirect(ec));
  unsigned char first = 0;
  if (!ec) socket().receive(asio::buffer(&first, 1), tcp::socket::message_peek, ec);
  if (ec) co_return false;
  if (first != kTlsHandshakeRecord) {
    co_await refusePlainClient();
    co_return false;
  }
  co_await stream_.async_handshake(ssl::stream_base::server, Redirect(ec));
  if (!ec) co_return true;
  if (!closed_) ServerLog().warn("Conexão {} recusada: falha no início do TLS ({})", peer_, ec.message());
  co_return false;
}

awaitable<void> Connection::refusePlainClient() {
  ServerLog().warn("Conexão {} recusada: chegou sem TLS a um servidor que só aceita TLS", peer_);
  std::string bytes(kPlainRequestPeek, '\0');
  error_code ec;
  const std::size_t n = co_await socket().async_read_some(asio::buffer(bytes), Redirect(ec));
  if (!ec && share_.hold(reader_.bytesHeldToAppend(n))) {
    reader_.append(std::string_view(bytes.data(), n));
    std::optional<std::uint32_t> msgid = reader_.pendingMsgid();
    try {
      if (auto frame = reader_.next(kPlainRequestPeek)) msgid = frame->msgid;
    } catch (const platform::EFrameError& e) {
      msgid = e.msgid();
    }
    if (msgid) {
      const std::string reply = EncodeErrorReply(
          *msgid, "Este servidor de aplicação só aceita conexões com TLS: dê ao cliente a autoridade do seu "
                  "certificado (host --tls-ca).");
      co_await asio::async_write(socket(), asio::buffer(reply), Redirect(ec));
    }
  }
  co_await lingerClose();
}

awaitable<void> Connection::serve() {
  auto self = shared_from_this();
  std::string chunk(kReadChunk, '\0');
  try {
    bool ready = co_await shakeHands();
    while (ready && co_await answerBufferedFrames() && !listener_.stopping()) {
      armReadDeadline();
      error_code ec;
      std::size_t n = co_await readSome(asio::buffer(chunk), ec);
      if (ec) break;  // closed by the peer, a deadline, a new client or stop()
      if (!co_await take(std::string_view(chunk.data(), n))) break;
    }
  } catch (const std::exception& e) {
    ServerLog().error("Conexão {}: {}", peer_, Printable(e.what()));
  }
  close();
  listener_.remove(self);
  if (heldLargeReply_) asio::post(listener_.pool(), ReturnFreedMemory);
}

void Connection::armReadDeadline() {
  const auto now = Clock::now();
  if (reader_.midFrame()) {
    if (!frameDeadline_) frameDeadline_ = now + listener_.options().frameTimeout;
    arm(*frameDeadline_, Wait::Frame);
    return;
  }
  frameDeadline_.reset();
  idleSince_ = now;
  arm(now + listener_.options().idleTimeout, Wait::Request);
}

awaitable<void> Connection::watchdog() {
  auto self = shared_from_this();
  while (socket().is_open()) {
    error_code ec;
    co_await deadline_.async_wait(Redirect(ec));
    if (deadline_.expiry() <= Clock::now()) {
      logDeadline();
      close();
    }
  }
}

void Connection::logDeadline() const {
  const ServerOptions& options = listener_.options();
  switch (waiting_) {
    case Wait::Handshake:
      ServerLog().warn("Conexão {} fechada: o TLS não começou em {:g} s", peer_, Seconds(options.frameTimeout));
      return;
    case Wait::Request:
      ServerLog().info("Conexão {} fechada por inatividade ({:g} s)", peer_, Seconds(options.idleTimeout));
      return;
    case Wait::Frame:
      ServerLog().warn("Conexão {} fechada: quadro de chamada remota incompleto após {:g} s", peer_,
                       Seconds(options.frameTimeout));
      return;
    case Wait::Reply:
      ServerLog().warn("Conexão {} fechada: o cliente não leu a resposta em {:g} s", peer_, Seconds(options.idleTimeout));
      return;
    case Wait::Linger: return;
  }
}

std::string Connection::noRoomText() const {
  const std::string text = "Servidor de aplicação sem memória livre para atender esta chamada (respostas ainda não "
                           "lidas ocupam o limite de " +
                           std::to_string(listener_.options().memoryBudget >> 20) +
                           " MiB); nada foi executado, tente novamente em instantes";
  ServerLog().warn("Conexão {}: {}", peer_, text);
  return text;
}

awaitable<bool> Connection::take(std::string_view bytes) {
  if (share_.hold(reader_.bytesHeldToAppend(bytes.size()))) {
    reader_.append(bytes);
    share_.hold(reader_.heldBytes());  // never more than the moment of the append
    co_return true;
  }
  const std::string text = "Servidor de aplicação sem memória livre para receber esta chamada (limite de " +
                           std::to_string(listener_.options().memoryBudget >> 20) +
                           " MiB para todas as conexões); tente novamente em instantes";
  ServerLog().warn("Conexão {}: {}", peer_, text);
  if (auto msgid = reader_.pendingMsgid()) co_await send(EncodeErrorReply(*msgid, text));
  co_await lingerClose();
  co_return false;
}

awaitable<bool> Connection::answerBufferedFrames() {
  for (;;) {
    // Errors are taken out of the catch blocks: a coroutine cannot wait inside one.
    std::optional<platform::RpcFrame> frame;
    std::optional<platform::EFrameError> unreadable;
    try {
      frame = reader_.next(share_.room() / kDecodedCopies);
    } catch (const platform::EFrameError& e) {
      unreadable = e;
    }
    if (frame || unreadable) frameDeadline_.reset();
    if (unreadable) {
      ServerLog().warn("Conexão {}: {}", peer_, Printable(unreadable->what()));
      auto msgid = unreadable->msgid();
      if (msgid && !co_await send(EncodeErrorReply(*msgid, unreadable->what()))) co_return false;
      if (!unreadable->streamLost() && msgid) continue;
      co_await lingerClose();
      co_return false;
    }
    if (!frame) {
      share_.hold(reader_.heldBytes());
      co_return true;
    }
    // Within the room the decoder was given.
    if (!share_.hold(reader_.heldBytes() + kDecodedCopies * frame->decodedBytes))
      throw platform::Exception("Orçamento de memória excedido por um quadro já decodificado");

    platform::RpcRequest request;
    std::string malformed;
    try {
      request = platform::ReadRpcRequest(frame->value);
    } catch (const platform::EPacketError& e) {
      malformed = e.what();
    }
    frame->value = platform::Variant();
    if (!malformed.empty()) {
      ServerLog().warn("Conexão {}: {}", peer_, Printable(malformed));
      if (!frame->msgid) {
        co_await lingerClose();
        co_return false;
      }
      if (!co_await send(EncodeErrorReply(*frame->msgid, malformed))) co_return false;
      continue;
    }
    // Busy from the request to the end of its reply: stop() waits for both.
    busy_ = true;
    Reply reply = co_await runOnWorker(std::move(request));
    if (reply.delay.count() > 0 && !closed_) {
      held_.expires_after(reply.delay);
      error_code ec;
      co_await held_.async_wait(Redirect(ec));
    }
    // The reply stays in memory until its client has read it: it counts in the budget.
    share_.holdBeyond(reader_.heldBytes() + reply.bytes.size());
    heldLargeReply_ = heldLargeReply_ || reply.bytes.size() > kUnchargedBytes;
    const bool sent = !closed_ && co_await send(std::move(reply.bytes));
    share_.hold(reader_.heldBytes());
    busy_ = false;
    if (!sent || listener_.stopping()) co_return false;
  }
}

awaitable<Reply> Connection::runOnWorker(platform::RpcRequest request) {
  disarmDeadline();
  // The worker signals the end of the call by cancelling callDone_, on the I/O thread.
  // (Not through a custom async_initiate: with Boost 1.74 and g++ 12 the initiation
  // object is copied bitwise into the coroutine, which breaks anything it owns.)
  auto job = std::make_shared<Job>();
  job->request = std::move(request);
  auto self = shared_from_this();
  asio::post(listener_.poolFor(job->request.address), [self, job] {
    const Dispatcher& dispatcher = self->listener_.dispatcher();
    // Replies not yet read by their clients fill the budget: the call waits for them to
    // drain, and is refused without running when they do not in time.
    if (!self->listener_.budget().waitUntilNotFull(self->listener_.options().frameTimeout))
      job->reply = Reply{EncodeErrorReply(job->request.msgid, self->noRoomText())};
    else if (self->access_)
      job->reply = dispatcher.answer(std::move(job->request), *self->access_);
    else
      job->reply = Reply{dispatcher.answer(std::move(job->request))};
    asio::post(self->listener_.io(), [self, job] {
      job->finished = true;
      self->callDone_.cancel();
    });
  });
  callDone_.expires_at(Clock::time_point::max());
  while (!job->finished) {
    error_code ec;
    co_await callDone_.async_wait(Redirect(ec));
  }
  co_return std::move(job->reply);
}

awaitable<bool> Connection::send(std::string bytes) {
  arm(Clock::now() + listener_.options().idleTimeout, Wait::Reply);
  error_code ec;
  if (listener_.tls())
    co_await asio::async_write(stream_, asio::buffer(bytes), Redirect(ec));
  else
    co_await asio::async_write(socket(), asio::buffer(bytes), Redirect(ec));
  co_return !ec;
}

awaitable<void> Connection::lingerClose() {
  lingering_ = true;
  error_code ec;
  socket().shutdown(tcp::socket::shutdown_send, ec);
  arm(Clock::now() + kLingerTime, Wait::Linger);
  std::array<char, 4096> sink;
  while (!ec) co_await socket().async_read_some(asio::buffer(sink), Redirect(ec));
}

Listener::Listener(const MethodRegistry& registry, ServerOptions options)
    : options_(std::move(options)),
      dispatcher_(registry, options_.onCall),
      budget_(options_.memoryBudget),
      pool_(std::max(1u, options_.workers)) {
  if (options_.writeWorkers > 0) writePool_ = std::make_unique<asio::thread_pool>(options_.writeWorkers);
  loadCertificate();
  const std::string where = options_.host + ":" + std::to_string(options_.port);
  try {
    tcp::resolver resolver(io_);
    tcp::endpoint endpoint = *resolver
                                  .resolve(options_.host, std::to_string(options_.port),
                                           tcp::resolver::passive | tcp::resolver::numeric_service)
                                  .begin();
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(tcp::acceptor::reuse_address(true));
    acceptor_.bind(endpoint);
    acceptor_.listen(asio::socket_base::max_listen_connections);
    port_ = acceptor_.local_endpoint().port();
  } catch (const boost::system::system_error& e) {
    throw platform::Exception("Não foi possível escutar em " + where + ": " + e.code().message());
  }
}

void Listener::loadCertificate() {
  if (options_.tlsCertificateFile.empty() && options_.tlsKeyFile.empty()) return;
  if (options_.tlsCertificateFile.empty() || options_.tlsKeyFile.empty())
    throw platform::Exception("TLS precisa do certificado e da sua chave privada: informe os dois.");
  error_code ec;
  tlsContext_.set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 | ssl::context::no_sslv3 |
                              ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1,
                          ec);
  tlsContext_.use_certificate_chain_file(options_.tlsCertificateFile, ec);
  if (ec)
    throw platform::Exception("Não foi possível usar o certificado TLS " + options_.tlsCertificateFile + ": " +
                              ec.message());
  tlsContext_.use_private_key_file(options_.tlsKeyFile, ssl::context::pem, ec);
  if (ec)
    throw platform::Exception("Não foi possível usar a chave privada TLS " + options_.tlsKeyFile + ": " + ec.message());
  if (SSL_CTX_check_private_key(tlsContext_.native_handle()) != 1)
    throw platform::Exception("A chave privada " + options_.tlsKeyFile + " não corresponde ao certificado " +
                              options_.tlsCertificateFile + ".");
  // No session tickets: nothing arrives on a connection that the client did not ask for.
  SSL_CTX_set_num_tickets(tlsContext_.native_handle(), 0);
}

void Listener::run() {
  asio::co_spawn(io_, acceptLoop(), [](std::exception_ptr e) { LogEscaped("Escuta", e); });
  if (options_.stopOnSignals) {
    signals_.add(SIGINT);
    signals_.add(SIGTERM);
    signals_.async_wait([this](const error_code& ec, int signal) {
      if (ec) return;
      ServerLog().info("Sinal {} recebido: encerrando", signal);
      beginStop();
    });
  }
  ServerLog().info("Servidor de aplicação escutando em {}:{}", options_.host, port_);
  io_.run();
  pool_.join();
  if (writePool_) writePool_->join();
  ServerLog().info("Servidor de aplicação encerrado");
}

awaitable<void> Listener::acceptLoop() {
  for (;;) {
    error_code ec;
    tcp::socket socket = co_await acceptor_.async_accept(Redirect(ec));
    if (stopping_ || ec == asio::error::operation_aborted) co_return;
    if (ec) {
      // Out of descriptors and the like: wait a little instead of spinning.
      ServerLog().warn("Falha ao aceitar conexão: {}", ec.message());
      asio::steady_timer pause(io_, std::chrono::milliseconds(100));
      co_await pause.async_wait(Redirect(ec));
      continue;
    }
    admit(std::move(socket));
  }
}

void Listener::admit(tcp::socket socket) {
  error_code ec;
  auto peer = socket.remote_endpoint(ec);
  if (ec) return;  // gone before it was admitted
  std::string address = peer.address().to_string();
  if (!makeRoom(address)) {
    socket.close(ec);
    return;
  }
  socket.set_option(tcp::no_delay(true), ec);
  auto connection = std::make_shared<Connection>(*this, std::move(socket), address);
  connections_.insert(connection);
  ++perAddress_[address];
  count_ = connections_.size();
  connection->start();
}

bool Listener::makeRoom(const std::string& address) {
  auto held = perAddress_.find(address);
  if (held != perAddress_.end() && held->second >= options_.maxConnectionsPerAddress && !closeForRoom(&address)) {
    ServerLog().warn("Conexão de {} recusada: limite de {} conexões por endereço atingido", address,
                     options_.maxConnectionsPerAddress);
    return false;
  }
  if (connections_.size() >= options_.maxConnections && !closeForRoom(nullptr)) {
    ServerLog().warn("Conexão de {} recusada: limite de {} conexões atingido, nenhuma ociosa", address,
                     options_.maxConnections);
    return false;
  }
  return true;
}

// A connection of `address`, or else of the address holding the most connections that
// has one to give, makes room for a new client: its oldest unfinished frame first (a
// sender that never finishes a frame holds its place no longer than an idle client
// would), else its connection idle the longest. Either client sends again on a new
// connection. Connections running a call are never closed for room.
bool Listener::closeForRoom(const std::string* address) {
  struct Candidates {
    std::size_t count = 0;
    std::shared_ptr<Connection> unfinished, idle;
    Clock::time_point unfinishedSince, idleSince;
  };
  std::map<std::string, Candidates> byAddress;
  for (const auto& connection : connections_) {
    if (address && connection->address() != *address) continue;
    Candidates& of = byAddress[connection->address()];
    ++of.count;
    if (const auto since = connection->unfinishedFrameSince()) {
      if (!of.unfinished || *since < of.unfinishedSince) of.unfinished = connection, of.unfinishedSince = *since;
    } else if (connection->idle() && (!of.idle || connection->idleSince() < of.idleSince)) {
      of.idle = connection, of.idleSince = connection->idleSince();
    }
  }
  const Candidates* chosen = nullptr;
  for (const auto& [ignored, of] : byAddress)
    if ((of.unfinished || of.idle) && (!chosen || of.count > chosen->count)) chosen = &of;
  if (!chosen) return false;
  const std::shared_ptr<Connection> victim = chosen->unfinished ? chosen->unfinished : chosen->idle;
  if (chosen->unfinished)
    ServerLog().info("Conexão {} com quadro incompleto fechada para dar lugar a um novo cliente", victim->peer());
  else
    ServerLog().info("Conexão {} ociosa fechada para dar lugar a um novo cliente", victim->peer());
  forget(victim);
  victim->close();
  return true;
}

void Listener::forget(const std::shared_ptr<Connection>& connection) {
  if (connections_.erase(connection) == 0) return;
  auto held = perAddress_.find(connection->address());
  if (held != perAddress_.end() && --held->second == 0) perAddress_.erase(held);
  count_ = connections_.size();
}

void Listener::remove(const std::shared_ptr<Connection>& connection) {
  forget(connection);
  if (stopping_ && connections_.empty()) graceTimer_.cancel();
}

void Listener::beginStop() {
  if (stopping_) return;
  stopping_ = true;
  error_code ec;
  acceptor_.close(ec);
  signals_.cancel(ec);
  // stop() may close a connection, which leaves the set; iterate over a copy.
  auto open = connections_;
  for (const auto& connection : open) connection->stop();
  if (connections_.empty()) return;
  graceTimer_.expires_after(options_.stopGrace);
  graceTimer_.async_wait([this](const error_code& ec) {
    if (ec) return;
    auto open = connections_;
    for (const auto& connection : open) connection->close();
  });
}

}  // namespace

struct Server::Impl {
  Impl(const MethodRegistry& registry, ServerOptions options)
      : listener(registry, std::move(options)) {}
  Listener listener;
};

Server::Server(const MethodRegistry& registry, ServerOptions options)
    : impl_(std::make_unique<Impl>(registry, std::move(options))) {}
Server::~Server() = default;

std::uint16_t Server::port() const noexcept { return impl_->listener.port(); }
void Server::run() { impl_->listener.run(); }
void Server::stop() { impl_->listener.stop(); }
std::size_t Server::connectionCount() const noexcept { return impl_->listener.connectionCount(); }

ListenAddress ParseListenAddress(std::string_view text) {
  auto colon = text.rfind(':');
  auto bad = [&] {
    return platform::Exception("Endereço de escuta inválido: \"" + std::string(text) +
                               "\" (esperado host:porta, por exemplo 127.0.0.1:5151)");
  };
  if (colon == std::string_view::npos || colon == 0) throw bad();
  ListenAddress address;
  address.host = std::string(text.substr(0, colon));
  if (address.host.size() > 2 && address.host.front() == '[' && address.host.back() == ']')
    address.host = address.host.substr(1, address.host.size() - 2);
  auto digits = text.substr(colon + 1);
  unsigned value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value > 65535)
    throw bad();
  address.port = static_cast<std::uint16_t>(value);
  return address;
}

bool IsLoopbackHost(std::string_view host) {
  if (host == "localhost") return true;
  error_code ec;
  const auto address = asio::ip::make_address(std::string(host), ec);
  if (ec) return false;
  if (address.is_v6() && address.to_v6().is_v4_mapped())
    return asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6()).is_loopback();
  return address.is_loopback();
}

}  // namespace server::rpc
