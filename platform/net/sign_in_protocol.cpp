#include "platform/net/sign_in_protocol.h"

#include "platform/core/exceptions.h"

namespace platform {

bool IsSignInAddress(std::string_view address) noexcept { return address.starts_with("sessao."); }

Variant SignInAnswerValue(const TSignInAnswer& answer) {
  return VarArrayOf({answer.Session, answer.Login, answer.Name, answer.Role});
}

TSignInAnswer ReadSignInAnswer(const Variant& value) {
  if (value.kind() != Variant::Kind::Array || value.asArray().size() != 4)
    throw EPacketError("Resposta de entrada no sistema malformada");
  const auto& parts = value.asArray();
  for (const Variant& part : parts)
    if (part.kind() != Variant::Kind::String) throw EPacketError("Resposta de entrada no sistema malformada");
  return TSignInAnswer{parts[0].asString(), parts[1].asString(), parts[2].asString(), parts[3].asString()};
}

}  // namespace platform
