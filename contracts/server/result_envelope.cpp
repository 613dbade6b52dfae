#include "contracts/server/result_envelope.h"

#include "platform/core/exceptions.h"

namespace contracts::server {

using platform::Variant;

Variant MakeSuccess(Variant data, Variant aside) {
  if (aside.isEmpty()) return platform::VarArrayOf({true, "", std::move(data)});
  return platform::VarArrayOf({true, "", std::move(data), std::move(aside)});
}

Variant MakeFailure(const std::string& message) {
  return platform::VarArrayOf({false, message, Variant()});
}

Envelope ReadEnvelope(const Variant& result) {
  if (result.kind() != Variant::Kind::Array || result.asArray().size() < 3 || result.asArray().size() > 4)
    throw platform::EVariantError("Resposta do servidor de aplicação em formato inválido");
  const auto& parts = result.asArray();
  if (parts[0].kind() != Variant::Kind::Bool || parts[1].kind() != Variant::Kind::String)
    throw platform::EVariantError("Resposta do servidor de aplicação em formato inválido");
  // An aside is only a success's, and never Empty (MakeSuccess leaves out an Empty one).
  if (parts.size() == 4 && (!parts[0].asBool() || parts[3].isEmpty()))
    throw platform::EVariantError("Resposta do servidor de aplicação em formato inválido");
  return Envelope{parts[0].asBool(), parts[1].asString(), parts[2], parts.size() == 4 ? parts[3] : Variant()};
}

}  // namespace contracts::server
