#include "platform/net/socket_connection.h"

#include <sys/socket.h>

#include <cerrno>
#include <iostream>
#include <optional>
#include <utility>  // before Asio: Boost 1.74's awaitable.hpp uses std::exchange unincluded

#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <openssl/rand.h>

#include "platform/net/frame_reader.h"
#include "platform/net/rpc_frame.h"
#include "platform/net/server_list.h"
#include "platform/net/sign_in.h"
#include "platform/variant/codec.h"

namespace platform {

namespace asio = boost::asio;
namespace ssl = asio::ssl;
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

// What went wrong on the socket, in the words a person reads (the system's own texts
// are in English, whatever the machine's language).
std::string FailureText(const error_code& ec) {
  namespace err = asio::error;
  if (ec == err::connection_refused) return "conexão recusada";
  if (ec == err::eof || ec == ssl::error::stream_truncated) return "conexão encerrada pelo servidor";
  if (ec == err::connection_reset || ec == err::connection_aborted) return "conexão interrompida pelo servidor";
  if (ec == err::broken_pipe) return "conexão interrompida";
  if (ec == err::timed_out) return "tempo esgotado";
  if (ec == err::host_unreachable || ec == err::network_unreachable || ec == err::network_down)
    return "servidor inalcançável pela rede";
  if (ec == err::host_not_found || ec == err::host_not_found_try_again) return "endereço do servidor não encontrado";
  if (ec == err::operation_aborted) return "operação interrompida";
  return "erro de rede " + std::to_string(ec.value());
}

// A call id: kRpcCallIdChars hexadecimal digits of random bits.
std::string NewCallId() {
  unsigned char bytes[kRpcCallIdChars / 2];
  if (RAND_bytes(bytes, sizeof bytes) != 1) throw ENetError("Não foi possível sortear o identificador da chamada");
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string id;
  for (unsigned char byte : bytes) {
    id += kDigits[byte >> 4];
    id += kDigits[byte & 0x0F];
  }
  return id;
}

}  // namespace

// Blocking I/O with deadlines: each operation is started asynchronously and the
// io_context runs until it completes or its deadline passes, which closes the socket.
// Over TLS the operations go through the TLS layer of the open connection.
struct TSocketConnection::Impl {
  asio::io_context io{1};
  tcp::socket socket{io};
  std::unique_ptr<ssl::context> tlsContext;
  std::unique_ptr<ssl::stream<tcp::socket&>> tls;
  RpcFrameReader reader;
  std::string chunk = std::string(kReadChunk, '\0');

  void drop() {
    tls.reset();
    error_code ec;
    socket.close(ec);
    reader = RpcFrameReader();
  }

  template <class Handler>
  void asyncWrite(const std::string& bytes, Handler handler) {
    if (tls)
      asio::async_write(*tls, asio::buffer(bytes), std::move(handler));
    else
      asio::async_write(socket, asio::buffer(bytes), std::move(handler));
  }
  template <class Handler>
  void asyncReadSome(Handler handler) {
    if (tls)
      tls->async_read_some(asio::buffer(chunk), std::move(handler));
    else
      socket.async_read_some(asio::buffer(chunk), std::move(handler));
  }

  // The context of a connection that trusts only the authority in `caFile`; raises
  // ENetError when the file holds no usable certificate.
  void trust(const std::string& caFile) {
    auto context = std::make_unique<ssl::context>(ssl::context::tls_client);
    error_code ec;
    context->set_options(ssl::context::no_sslv2 | ssl::context::no_sslv3 | ssl::context::no_tlsv1 |
                             ssl::context::no_tlsv1_1,
                         ec);
    context->load_verify_file(caFile, ec);
    if (ec)
      throw ENetError("Não foi possível ler a autoridade certificadora " + caFile + ": " + ec.message());
    context->set_verify_mode(ssl::verify_peer);
    tlsContext = std::move(context);
  }

  // Error text of a failed TLS handshake with `host`, or empty when done.
  std::string handshake(const std::string& host, Clock::time_point deadline) {
    tls = std::make_unique<ssl::stream<tcp::socket&>>(socket, *tlsContext);
    tls->set_verify_callback(ssl::host_name_verification(host));
    error_code parsed;
    asio::ip::make_address(host, parsed);
    if (parsed) SSL_set_tlsext_host_name(tls->native_handle(), host.c_str());  // a name, not an address
    error_code ec;
    bool done = false;
    tls->async_handshake(ssl::stream_base::client, [&](const error_code& e) {
      ec = e;
      done = true;
    });
    if (!runUntil(deadline, done, [&] { drop(); })) {
      drop();
      return "tempo esgotado no início do TLS";
    }
    if (!ec) return {};
    const long verified = SSL_get_verify_result(tls->native_handle());
    std::string text = verified != X509_V_OK ? std::string("certificado do servidor recusado (") +
                                                   X509_verify_cert_error_string(verified) + ")"
                                             : "falha no TLS (" + ec.message() + ")";
    drop();
    return text;
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
    if (ec) return FailureText(ec);
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
      return FailureText(ec);
    }
    socket.set_option(tcp::no_delay(true), ec);
    return {};
  }

  // Empty when the bytes went out; else what went wrong (the socket is dropped).
  std::string write(const std::string& bytes, Clock::time_point deadline, bool& timedOut) {
    error_code ec;
    bool done = false;
    asyncWrite(bytes, [&](const error_code& e, std::size_t) {
      ec = e;
      done = true;
    });
    timedOut = !runUntil(deadline, done, [&] { drop(); });
    if (timedOut || ec) {
      drop();
      return timedOut ? "tempo esgotado" : FailureText(ec);
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
      asyncReadSome([&](const error_code& e, std::size_t k) {
        ec = e;
        n = k;
        done = true;
      });
      timedOut = !runUntil(deadline, done, [&] { drop(); });
      if (timedOut || ec) {
        failure = timedOut ? "tempo esgotado" : FailureText(ec);
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

void TSocketConnection::SetTlsAuthority(std::string caFile) {
  if (caFile == tlsAuthority_) return;
  tlsAuthority_ = std::move(caFile);
  impl_->tlsContext.reset();
}

void TSocketConnection::openTransport() {
  if (BeforeConnect) BeforeConnect(this);
  if (servers_) {
    host_ = servers_->Current().host;
    port_ = servers_->Current().port;
  }
  if (host_.empty()) throw ENetError("Servidor de aplicação não informado: endereço vazio");
  if (port_ <= 0 || port_ > 65535)
    throw ENetError("Porta inválida para o servidor de aplicação: " + std::to_string(port_));
  if (!tlsAuthority_.empty() && !impl_->tlsContext) impl_->trust(tlsAuthority_);
  const auto deadline = Clock::now() + connectTimeout_;
  // Nothing was sent yet, so nothing of the call can have been stored.
  if (std::string failure = impl_->connect(host_, port_, deadline); !failure.empty())
    throw ENetError("O servidor de aplicação " + where() + " não está respondendo (" + failure +
                    "). Nada foi gravado.");
  if (std::string failure = impl_->tlsContext ? impl_->handshake(host_, deadline) : std::string(); !failure.empty())
    throw ENetError("Não foi possível conectar ao servidor de aplicação " + where() + ": " + failure +
                    ". Nada foi gravado.");
  report(TConnectionEvent::TKind::Connected);
}

bool TSocketConnection::mayTryAnother(std::size_t tried) const noexcept {
  return servers_ && tried < servers_->Size();
}

void TSocketConnection::connect() {
  for (std::size_t tried = 1;; ++tried) {
    try {
      openTransport();
      if (signIn_) signInConnection();
      return;
    } catch (const ENetError&) {
      if (Connected()) SetConnected(false);
      if (!mayTryAnother(tried)) throw;
      servers_->Failed({host_, port_});
    } catch (...) {
      if (Connected()) SetConnected(false);
      throw;
    }
  }
}

void TSocketConnection::signInConnection() {
  TSignIn& signIn = *signIn_;
  if (signIn.SignedIn()) {
    const std::string session = signIn.Session();
    std::string refusal = exchangeSignIn(kResumeAddress, {Variant(session)});
    if (refusal.empty()) return;
    signIn.Expire(session, std::move(refusal));
  }
  if (signIn.HasKeptPassword()) {
    std::string refusal = exchangeSignIn(kSignInAddress, {Variant(signIn.Login()), Variant(signIn.KeptPassword())});
    if (refusal.empty()) return;
    throw ESignInError(refusal);
  }
  const TSignIn::TAttempt attempt = [this](const std::string& login, const std::string& password) {
    // The person may take longer than the server waits for an idle connection.
    if (!Connected() || impl_->peerGone()) {
      impl_->drop();
      openTransport();
    }
    return exchangeSignIn(kSignInAddress, {Variant(login), Variant(password)});
  };
  if (signIn.OnAskPassword && signIn.OnAskPassword(signIn.Reason(), attempt)) return;
  throw ESignInError(signIn.Reason().empty() ? "Entrada no sistema não realizada: informe usuário e senha."
                                             : signIn.Reason());
}

std::string TSocketConnection::exchangeSignIn(std::string_view address, std::vector<Variant> params) {
  RpcRequest request;
  request.msgid = ++lastMsgid_;
  request.address = std::string(address);
  request.params = std::move(params);
  RpcResponse response = roundTrip(request);
  if (!response.error.empty()) return response.error;
  TSignInAnswer answer;
  try {
    answer = ReadSignInAnswer(response.returnValue);
  } catch (const EPacketError& e) {
    impl_->drop();
    throw ENetError("Resposta inválida do servidor de aplicação " + where() + ": " + e.what());
  }
  signIn_->Accept(answer);
  sessionUsed_ = answer.Session;
  return {};
}

std::string TSocketConnection::SignInWith(const std::string& login, const std::string& password) {
  if (!signIn_) throw ENetError("Conexão sem controle de entrada no sistema");
  if (Connected() && impl_->peerGone()) SetConnected(false);
  if (!Connected()) openTransport();
  return exchangeSignIn(kSignInAddress, {Variant(login), Variant(password)});
}

void TSocketConnection::SignOut() {
  if (!signIn_ || !signIn_->SignedIn()) return;
  RpcRequest request;
  request.msgid = ++lastMsgid_;
  request.address = std::string(kSignOutAddress);
  request.params = {Variant(signIn_->Session())};
  try {
    if (Connected() && impl_->peerGone()) SetConnected(false);
    if (!Connected()) openTransport();
    roundTrip(request);
  } catch (const ENetError&) {
    // The session then ends by itself, at the server's idle limit.
  }
  signIn_->SignedOut();
}

Variant TSocketConnection::Call(std::string_view method, std::vector<CallArg> args) {
  return Call(method, std::move(args), Variant());
}

Variant TSocketConnection::Call(std::string_view method, std::vector<CallArg> args, Variant condition) {
  std::string address = ModuleName() + "." + std::string(method);
  Variant result;
  try {
    result = call(method, std::move(args), std::move(condition));
  } catch (const std::exception& e) {
    report(TConnectionEvent::TKind::CallEnded, std::move(address), e.what());
    throw;
  }
  report(TConnectionEvent::TKind::CallEnded, std::move(address), {}, &result);
  return result;
}

Variant TSocketConnection::call(std::string_view method, std::vector<CallArg> args, Variant condition) {
  const std::string module = ModuleName();
  if (module.empty())
    throw ENetError("Conexão sem nome de servidor: defina ServerName antes de chamar " +
                    std::string(method));
  RpcRequest request;
  request.msgid = ++lastMsgid_;
  request.address = module + "." + std::string(method);
  request.params.reserve(args.size());
  for (const CallArg& arg : args) request.params.push_back(arg.value());
  request.condition = std::move(condition);
  request.callId = NewCallId();

  std::string bytes = EncodeVariant(RpcRequestFrame(request));
  try {
    RpcFrameReader::FrameLength(bytes);
  } catch (const EFrameError& e) {
    throw ENetError("Chamada de " + request.address + " recusada: " + e.what());
  }

  RpcResponse response = send(request, std::move(bytes));
  if (response.errorCode == kSignInRequired && signIn_) {
    // The session expired or was ended: the server did not run the call.
    signIn_->Expire(sessionUsed_, response.error);
    signInConnection();
    request.msgid = ++lastMsgid_;
    response = send(request);
    if (response.errorCode == kSignInRequired) throw ESignInError(response.error);
  }
  if (!response.error.empty()) throw ERemoteError(response.error, response.errorCode);
  for (std::size_t i = 0; i < args.size() && i < response.params.size(); ++i)
    if (std::string* variable = args[i].variable();
        variable && response.params[i].kind() == Variant::Kind::String)
      *variable = response.params[i].asString();
  return response.returnValue;
}

RpcResponse TSocketConnection::send(RpcRequest& request, std::string bytes) {
  for (std::size_t tried = 1;; ++tried) {
    if (Connected() && impl_->peerGone()) impl_->drop();
    if (!Connected()) connect();
    try {
      return roundTrip(request, std::move(bytes));
    } catch (const EConnectionLost& e) {
      if (!mayTryAnother(tried)) throw;
      std::cerr << e.what() << " Enviando ao próximo servidor de aplicação.\n";
      servers_->Failed({host_, port_});
      report(TConnectionEvent::TKind::Closed);
      request.msgid = ++lastMsgid_;
      bytes.clear();
    }
  }
}

RpcResponse TSocketConnection::roundTrip(const RpcRequest& request, std::string bytes) {
  if (bytes.empty()) bytes = EncodeVariant(RpcRequestFrame(request));
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
    throw EConnectionLost("Tempo esgotado (" + Seconds(callTimeout_) +
                          ") aguardando o servidor de aplicação " + where() + during);
  if (!frame)
    throw EConnectionLost("Conexão com o servidor de aplicação " + where() + " perdida" + during + ": " +
                    failure + ". O servidor não respondeu: confira se a operação foi concluída antes de repetir.");

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
  return response;
}

}  // namespace platform
