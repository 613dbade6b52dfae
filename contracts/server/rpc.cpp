#include "contracts/server/rpc.h"

#include <limits>

#include "platform/core/exceptions.h"

namespace contracts::server {

using platform::Variant;
using K = Variant::Kind;

namespace {

[[noreturn]] void Malformed(const std::string& what) {
  throw platform::EPacketError("Quadro de chamada remota malformado: " + what);
}

const Variant::Array& FrameParts(const Variant& frame, std::int64_t type) {
  if (frame.kind() != K::Array || frame.asArray().size() != 4) Malformed("esperado [tipo, id, ...]");
  const auto& parts = frame.asArray();
  if (parts[0].kind() != K::Integer || parts[0].asInteger() != type) Malformed("tipo de quadro");
  if (parts[1].kind() != K::Integer || parts[1].asInteger() < 0 ||
      parts[1].asInteger() > std::numeric_limits<std::uint32_t>::max())
    Malformed("id da mensagem");
  return parts;
}

Variant::Array CopyParams(const std::vector<Variant>& params) {
  return Variant::Array(params.begin(), params.end());
}

}  // namespace

Variant RequestFrame(const Request& r) {
  return platform::VarArrayOf({kRequestType, std::int64_t{r.msgid}, r.address,
                               Variant(CopyParams(r.params))});
}

Variant ResponseFrame(const Response& r) {
  Variant error = r.error.empty() ? Variant::Null() : Variant(r.error);
  Variant result = r.error.empty()
                       ? platform::VarArrayOf({r.returnValue, Variant(CopyParams(r.params))})
                       : Variant::Null();
  return platform::VarArrayOf({kResponseType, std::int64_t{r.msgid}, error, result});
}

Request ReadRequest(const Variant& frame) {
  const auto& parts = FrameParts(frame, kRequestType);
  if (parts[2].kind() != K::String) Malformed("nome do método");
  if (parts[3].kind() != K::Array) Malformed("argumentos");
  const auto& params = parts[3].asArray();
  return Request{static_cast<std::uint32_t>(parts[1].asInteger()), parts[2].asString(),
                 std::vector<Variant>(params.begin(), params.end())};
}

Response ReadResponse(const Variant& frame) {
  const auto& parts = FrameParts(frame, kResponseType);
  Response r;
  r.msgid = static_cast<std::uint32_t>(parts[1].asInteger());
  if (parts[2].kind() == K::String) {
    r.error = parts[2].asString();
    if (r.error.empty()) r.error = "Erro sem descrição no servidor de aplicação";
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

}  // namespace contracts::server
