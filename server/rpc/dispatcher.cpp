#include "server/rpc/dispatcher.h"

#include <spdlog/spdlog.h>

#include "contracts/server/methods.h"
#include "contracts/server/result_envelope.h"
#include "platform/core/exceptions.h"
#include "platform/net/rpc_frame.h"
#include "platform/net/sign_in_protocol.h"
#include "platform/variant/codec.h"
#include "server/rpc/coded_refusal.h"
#include "server/rpc/printable_text.h"

namespace server::rpc {

using platform::RpcRequest;
using platform::RpcResponse;
using platform::Variant;

namespace {

constexpr std::size_t kMaxErrorBytes = 4096;

// An error text short enough for any frame, cut on a UTF-8 character boundary.
std::string Clip(std::string text) {
  if (text.size() <= kMaxErrorBytes) return text;
  std::size_t end = kMaxErrorBytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text + "...";
}

RpcResponse ErrorResponse(std::uint32_t msgid, std::string message) {
  RpcResponse response;
  response.msgid = msgid;
  response.error =
      message.empty() ? "Erro sem descrição no servidor de aplicação" : Clip(std::move(message));
  return response;
}

// A contract's Double params also take Integers; the handler sees Doubles only.
void WidenIntegers(const contracts::server::MethodSpec& method, std::vector<Variant>& params) {
  for (std::size_t i = 0; i < method.params.size(); ++i)
    if (method.params[i].kind == contracts::server::ArgKind::Double &&
        params[i].kind() == Variant::Kind::Integer)
      params[i] = Variant(static_cast<double>(params[i].asInteger()));
}

CallOutcome OutcomeOf(const Variant& returnValue, std::string& message) {
  try {
    auto envelope = contracts::server::ReadEnvelope(returnValue);
    if (envelope.ok) return CallOutcome::Ok;
    message = envelope.message;
    return CallOutcome::Refused;
  } catch (const platform::Exception&) {
    return CallOutcome::Ok;  // not an envelope: the transport does not judge it
  }
}

}  // namespace

Dispatcher::Dispatcher(const MethodRegistry& registry, CallObserver observer)
    : registry_(registry), observer_(std::move(observer)) {}

Reply Dispatcher::answer(RpcRequest request, ConnectionAccess& access) const {
  if (platform::IsSignInAddress(request.address)) return answerSignIn(request, access);
  return Reply{answerCall(std::move(request), &access)};
}

std::string Dispatcher::answer(RpcRequest request) const { return answerCall(std::move(request), nullptr); }

Reply Dispatcher::answerSignIn(const RpcRequest& request, ConnectionAccess& access) const {
  SignInReply reply;
  try {
    reply = access.signIn(request);
  } catch (const std::exception& e) {
    reply.response = ErrorResponse(request.msgid, e.what());
  }
  reply.response.msgid = request.msgid;
  return Reply{platform::EncodeVariant(platform::RpcResponseFrame(reply.response)), reply.delay};
}

std::string Dispatcher::answerCall(RpcRequest request, ConnectionAccess* access) const {
  const auto start = std::chrono::steady_clock::now();
  CallRecord record;
  record.address = request.address;
  CallSubject subject = SubjectOf(request.address, request.params);
  record.customer = std::move(subject.customer);
  record.registration = std::move(subject.registration);
  RpcResponse response = call(request, access, record);

  std::string bytes;
  try {
    // Checked against the frame limits while encoding, so the client is never sent a
    // reply its reader would refuse.
    platform::EncodeVariant(platform::RpcResponseFrame(response), bytes, platform::RpcDecodeLimits());
  } catch (const std::exception& e) {
    record.outcome = CallOutcome::Error;
    record.message = "Resposta de " + request.address + " recusada: " + e.what();
    bytes = EncodeErrorReply(request.msgid, record.message);
  }
  record.duration = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  if (observer_) {
    try {
      observer_(record);
    } catch (const std::exception& e) {
      ServerLog().error("Falha ao registrar a chamada de {}: {}", record.address, e.what());
    }
  }
  return bytes;
}

RpcResponse Dispatcher::call(RpcRequest& request, ConnectionAccess* access, CallRecord& record) const {
  auto fail = [&](std::string message) {
    record.outcome = CallOutcome::Error;
    record.message = Clip(message);
    return ErrorResponse(request.msgid, std::move(message));
  };
  try {
    CallContext context;
    if (access) {
      if (auto refusal = access->sessionRefusal()) {
        RpcResponse response = fail(std::move(*refusal));
        response.errorCode = std::string(platform::kSignInRequired);
        return response;
      }
      context = access->context();
      record.user = context.user;
    }
    context.condition = std::move(request.condition);
    context.callId = std::move(request.callId);
    const MethodHandler* handler = registry_.find(request.address);
    if (!handler)
      return fail("Método desconhecido no servidor de aplicação: " + PrintableExcerpt(request.address, kQuotedValueChars));
    if (const auto* method = contracts::server::FindMethod(request.address)) {
      std::string problem = contracts::server::CheckArguments(*method, request.params);
      if (!problem.empty()) return fail(std::move(problem));
      WidenIntegers(*method, request.params);
    }
    RpcResponse response;
    response.msgid = request.msgid;
    if (auto refusal = access ? access->permissionRefusal(request.address) : std::nullopt) {
      response.returnValue = contracts::server::MakeFailure(*refusal);
      response.params = std::move(request.params);
      record.outcome = CallOutcome::Refused;
      record.message = std::move(*refusal);
      return response;
    }
    response.returnValue = (*handler)(context, request.params);
    response.params = std::move(request.params);
    record.outcome = OutcomeOf(response.returnValue, record.message);
    return response;
  } catch (const CodedRefusal& e) {
    RpcResponse response = ErrorResponse(request.msgid, e.what());
    response.errorCode = e.code();
    record.outcome = CallOutcome::Refused;
    record.message = response.error;
    return response;
  } catch (const std::exception& e) {
    return fail(e.what());
  } catch (...) {
    return fail("Erro desconhecido no servidor de aplicação ao executar " + request.address);
  }
}

std::string EncodeErrorReply(std::uint32_t msgid, const std::string& message) {
  return platform::EncodeVariant(platform::RpcResponseFrame(ErrorResponse(msgid, message)));
}

}  // namespace server::rpc
