#include "platform/net/socket_connection.h"

#include <sys/socket.h>

#include <cerrno>
#include <iostream>
#include <optional>
#include <utility>  // before Asio: Boost 1.74's awaitable.hpp uses std::exchange unincluded

#include <boost/asio.hpp>

#include "platform/net/frame_reader.h"
#include "platform/net/rpc_frame.h"
#include "platform/variant/codec.h"

namespace platform {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
// A read that fills the chunk doubles it up to this, so a big reply (a price list of
// tens of thousands of rows) arrives in few reads and wake-ups.
constexpr std::size_t kLargestReadChunk = 1024 * 1024;

TConnectionObserver& Observer() {
  static TConnectionObserver observer;
  return observer;
}

std::string Seconds(std::chrono::milliseconds timeout) {
  auto ms = timeout.count();
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

}  // namespace

// Blocking I/O with deadlines: each operation is started asynchronously and the
// io_context runs until it completes or its deadline passes, which closes the socket.
struct TSocketConnection::Impl {
  asio::io_context io{1};
  tcp::socket socket{io};
  RpcFrameReader reader;
  std::string chunk = std::string(kReadChunk, '\0');

  void drop() {
    error_code ec;
    socket.close(ec);
    reader = RpcFrameReader();
  }

  // Runs the started operation until `done`; false when the deadline passed first
  // (the operation is cancelled through `cancel` and its handler has run).
  template <class Cancel>
  bool runUntil(Clock::time_point deadline, const bool& done, Cancel cancel) {
    io.restart();
    while (!done) {
      const auto now = Clock::now();
      if (now >= deadline) break;
      io.run_one_for(deadline - now);
    }
    if (done) return true;
    cancel();
    io.restart();
    io.run();
    return false;
  }

  // True when the server closed the connection (or sent something unasked) while it
  // lay unused: a new call must not go out on it.
  bool peerGone() {
    if (reader.midFrame()) return true;  // bytes that came after the last reply
    char byte;
    // One non-blocking peek: "would block" is the only answer of a healthy idle peer.
    ssize_t n = ::recv(socket.native_handle(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return !(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
  }

  // Error text of a failed connect, or empty when connected.
  std::string connect(const std::string& host, int port, Clock::time_point deadline) {
    tcp::resolver resolver(io);
    tcp::resolver::results_type endpoints;
    error_code ec;
    bool done = false;
    resolver.async_resolve(host, std::to_string(port), tcp::resolver::numeric_service,
                           [&](const error_code& e, tcp::resolver::results_type results) {
                             ec = e;
                             endpoints = std::move(results);
                             done = true;
                           });
    if (!runUntil(deadline, done, [&] { resolver.cancel(); })) return "tempo esgotado";
    if (ec) return ec.message();
    done = false;
    asio::async_connect(socket, endpoints, [&](const error_code& e, const tcp::endpoint&) {
      ec = e;
      done = true;
    });
    if (!runUntil(deadline, done, [&] { drop(); })) {
      drop();
      return "tempo esgotado";
    }
    if (ec) {
      drop();
      return ec.message();
    }
    socket.set_option(tcp::no_delay(true), ec);
    return {};
  }

  // Empty when the bytes went out; else what went wrong (the socket is dropped).
  std::string write(const std::string& bytes, Clock::time_point deadline, bool& timedOut) {
    error_code ec;
    bool done = false;
    asio::async_write(socket, asio::buffer(bytes), [&](const error_code& e, std::size_t) {
      ec = e;
      done = true;
    });
    timedOut = !runUntil(deadline, done, [&] { drop(); });
    if (timedOut || ec) {
      drop();
      return timedOut ? "tempo esgotado" : ec.message();
    }
    return {};
  }

  // The next frame from the server; nullopt with `failure` set when the connection
  // ended or the deadline passed (the socket is dropped).
  std::optional<RpcFrame> readFrame(Clock::time_point deadline, std::string& failure,
                                    bool& timedOut) {
    for (;;) {
      if (auto frame = reader.next()) return frame;
      error_code ec;
      std::size_t n = 0;
      bool done = false;
      socket.async_read_some(asio::buffer(chunk), [&](const error_code& e, std::size_t k) {
        ec = e;
        n = k;
        done = true;
      });
      timedOut = !runUntil(deadline, done, [&] { drop(); });
      if (timedOut || ec) {
        failure = timedOut                    ? "tempo esgotado"
                  : ec == asio::error::eof ? "conexão encerrada pelo servidor"
                                           : ec.message();
        drop();
        return std::nullopt;
      }
      reader.append(std::string_view(chunk.data(), n));
      if (n == chunk.size() && chunk.size() < kLargestReadChunk) chunk.resize(2 * chunk.size());
    }
  }
};

TSocketConnection::TSocketConnection(TComponent* owner)
    : TComponent(owner), impl_(std::make_unique<Impl>()) {}

TSocketConnection::~TSocketConnection() {
  if (Connected()) report(TConnectionEvent::TKind::Closed);
}

void TSocketConnection::SetObserver(TConnectionObserver observer) { Observer() = std::move(observer); }

void TSocketConnection::report(TConnectionEvent::TKind kind, std::string address, std::string error,
                               const Variant* result) const {
  const TConnectionObserver& observer = Observer();
  if (!observer) return;
  try {
    observer({kind, this, where(), std::move(address), Connected(), std::move(error), result});
  } catch (const std::exception& e) {
    std::cerr << "Observador da conexão " << where() << ": " << e.what() << "\n";
  }
}

std::string TSocketConnection::ModuleName() const {
  return std::string(RemoteModuleName(serverName_));
}

bool TSocketConnection::Connected() const noexcept { return impl_->socket.is_open(); }

void TSocketConnection::SetConnected(bool connected) {
  if (connected == Connected()) return;
  if (connected) {
    connect();
  } else {
    impl_->drop();
    report(TConnectionEvent::TKind::Closed);
  }
}

std::string TSocketConnection::where() const { return host_ + ":" + std::to_string(port_); }

void TSocketConnection::connect() {
  if (BeforeConnect) BeforeConnect(this);
  if (host_.empty()) throw ENetError("Servidor de aplicação não informado: endereço vazio");
  if (port_ <= 0 || port_ > 65535)
    throw ENetError("Porta inválida para o servidor de aplicação: " + std::to_string(port_));
  std::string failure = impl_->connect(host_, port_, Clock::now() + connectTimeout_);
  if (!failure.empty())
    throw ENetError("Não foi possível conectar ao servidor de aplicação " + where() + ": " +
                    failure);
  report(TConnectionEvent::TKind::Connected);
}

Variant TSocketConnection::Call(std::string_view method, std::vector<CallArg> args) {
  std::string address = ModuleName() + "." + std::string(method);
  Variant result;
  try {
    result = call(method, std::move(args));
  } catch (const std::exception& e) {
    report(TConnectionEvent::TKind::CallEnded, std::move(address), e.what());
    throw;
  }
  report(TConnectionEvent::TKind::CallEnded, std::move(address), {}, &result);
  return result;
}

Variant TSocketConnection::call(std::string_view method, std::vector<CallArg> args) {
  const std::string module = ModuleName();
  if (module.empty())
    throw ENetError("Conexão sem nome de servidor: defina ServerName antes de chamar " +
                    std::string(method));
  RpcRequest request;
  request.msgid = ++lastMsgid_;
  request.address = module + "." + std::string(method);
  request.params.reserve(args.size());
  for (const CallArg& arg : args) request.params.push_back(arg.value());

  const std::string bytes = EncodeVariant(RpcRequestFrame(request));
  try {
    RpcFrameReader::FrameLength(bytes);
  } catch (const EFrameError& e) {
    throw ENetError("Chamada de " + request.address + " recusada: " + e.what());
  }

  if (Connected() && impl_->peerGone()) impl_->drop();
  if (!Connected()) connect();

  const auto deadline = Clock::now() + callTimeout_;
  const std::string during = " durante a chamada de " + request.address;
  bool timedOut = false;
  std::string failure = impl_->write(bytes, deadline, timedOut);
  std::optional<RpcFrame> frame;
  if (failure.empty()) {
    try {
      frame = impl_->readFrame(deadline, failure, timedOut);
    } catch (const EFrameError& e) {
      impl_->drop();
      throw ENetError("Resposta inválida do servidor de aplicação " + where() + during + ": " +
                      e.what());
    }
  }
  if (timedOut)
    throw ENetError("Tempo esgotado (" + Seconds(callTimeout_) +
                    ") aguardando o servidor de aplicação " + where() + during);
  if (!frame)
    throw ENetError("Conexão com o servidor de aplicação " + where() + " perdida" + during + ": " +
                    failure);

  RpcResponse response;
  try {
    response = ReadRpcResponse(frame->value);
  } catch (const EPacketError& e) {
    impl_->drop();
    throw ENetError("Resposta inválida do servidor de aplicação " + where() + during + ": " +
                    e.what());
  }
  if (response.msgid != request.msgid) {
    impl_->drop();
    throw ENetError("Resposta fora de ordem do servidor de aplicação " + where() + during);
  }
  if (!response.error.empty()) throw ERemoteError(response.error);
  for (std::size_t i = 0; i < args.size() && i < response.params.size(); ++i)
    if (std::string* variable = args[i].variable();
        variable && response.params[i].kind() == Variant::Kind::String)
      *variable = response.params[i].asString();
  return response.returnValue;
}

}  // namespace platform
