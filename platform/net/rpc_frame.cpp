#include "platform/net/rpc_frame.h"

#include <algorithm>
#include <limits>

#include "platform/core/exceptions.h"

namespace platform {

using K = Variant::Kind;

namespace {

[[noreturn]] void Malformed(const std::string& what) {
  throw EPacketError("Quadro de chamada remota malformado: " + what);
}

const Variant::Array& FrameParts(const Variant& frame, std::int64_t type, std::size_t maxParts = 4) {
  if (frame.kind() != K::Array || frame.asArray().size() < 4 || frame.asArray().size() > maxParts)
    Malformed("esperado [tipo, id, ...]");
  const auto& parts = frame.asArray();
  if (parts[0].kind() != K::Integer || parts[0].asInteger() != type) Malformed("tipo de quadro");
  if (parts[1].kind() != K::Integer || parts[1].asInteger() < 0 ||
      parts[1].asInteger() > std::numeric_limits<std::uint32_t>::max())
    Malformed("id da mensagem");
  return parts;
}

// A call id: kRpcCallIdChars hexadecimal digits.
std::string CallIdOf(const Variant& value) {
  auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); };
  if (value.kind() != K::String || value.asString().size() != kRpcCallIdChars ||
      !std::all_of(value.asString().begin(), value.asString().end(), hex))
    Malformed("id da chamada");
  return value.asString();
}

}  // namespace

DecodeLimits RpcDecodeLimits() noexcept {
  DecodeLimits limits;
  limits.maxTotalBytes = kRpcMaxFrameBytes;
  limits.maxDepth = kRpcMaxNesting;
  limits.maxStringLength = kRpcMaxStringBytes;
  limits.maxElements = kRpcMaxElements;
  return limits;
}

std::string_view RemoteModuleName(std::string_view serverName) noexcept {
  auto dot = serverName.rfind('.');
  return dot == std::string_view::npos ? serverName : serverName.substr(dot + 1);
}

Variant RpcRequestFrame(const RpcRequest& r) {
  Variant params(Variant::Array(r.params.begin(), r.params.end()));
  if (!r.callId.empty())
    return VarArrayOf({kRpcRequestType, std::int64_t{r.msgid}, r.address, std::move(params),
                       r.condition.isEmpty() ? Variant::Null() : r.condition, r.callId});
  if (r.condition.isEmpty()) return VarArrayOf({kRpcRequestType, std::int64_t{r.msgid}, r.address, std::move(params)});
  return VarArrayOf({kRpcRequestType, std::int64_t{r.msgid}, r.address, std::move(params), r.condition});
}

Variant RpcResponseFrame(const RpcResponse& r) {
  if (!r.error.empty())
    return VarArrayOf({kRpcResponseType, std::int64_t{r.msgid}, r.error,
                       r.errorCode.empty() ? Variant::Null() : Variant(r.errorCode)});
  Variant params(Variant::Array(r.params.begin(), r.params.end()));
  return VarArrayOf({kRpcResponseType, std::int64_t{r.msgid}, Variant::Null(),
                     VarArrayOf({r.returnValue, std::move(params)})});
}

RpcRequest ReadRpcRequest(const Variant& frame) {
  const auto& parts = FrameParts(frame, kRpcRequestType, 6);
  if (parts[2].kind() != K::String) Malformed("nome do método");
  if (parts[3].kind() != K::Array) Malformed("argumentos");
  const auto& params = parts[3].asArray();
  RpcRequest request{static_cast<std::uint32_t>(parts[1].asInteger()), parts[2].asString(),
                     std::vector<Variant>(params.begin(), params.end()), Variant()};
  if (parts.size() >= 5 && !parts[4].isBlank()) request.condition = parts[4];
  if (parts.size() == 6) request.callId = CallIdOf(parts[5]);
  return request;
}

RpcResponse ReadRpcResponse(const Variant& frame) {
  const auto& parts = FrameParts(frame, kRpcResponseType);
  RpcResponse r;
  r.msgid = static_cast<std::uint32_t>(parts[1].asInteger());
  if (parts[2].kind() == K::String) {
    r.error = parts[2].asString();
    if (r.error.empty()) r.error = "Erro sem descrição no servidor de aplicação";
    if (parts[3].kind() == K::String) r.errorCode = parts[3].asString();
    return r;
  }
  if (!parts[2].isNull()) Malformed("erro");
  if (parts[3].kind() != K::Array || parts[3].asArray().size() != 2 ||
      parts[3].asArray()[1].kind() != K::Array)
    Malformed("resultado");
  r.returnValue = parts[3].asArray()[0];
  const auto& params = parts[3].asArray()[1].asArray();
  r.params.assign(params.begin(), params.end());
  return r;
}

}  // namespace platform
