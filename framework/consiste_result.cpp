// Consiste.CheckResultServ: the data part of a remote method's result envelope.
#include "contracts/framework/consiste.h"
#include "contracts/server/result_envelope.h"

namespace Consiste {

platform::Variant CheckResultServ(const platform::Variant& result, bool raiseOnFailure, int /*helpContext*/) {
  contracts::server::Envelope envelope;
  try {
    envelope = contracts::server::ReadEnvelope(result);
  } catch (const platform::EVariantError& error) {
    throw EServerRefusal(error.what());
  }
  if (envelope.ok) return envelope.data;
  if (!raiseOnFailure) return platform::Variant();
  if (envelope.message.empty()) throw EServerRefusal("O servidor de aplicação recusou a operação sem informar o motivo.");
  throw EServerRefusal(envelope.message);
}

}  // namespace Consiste
