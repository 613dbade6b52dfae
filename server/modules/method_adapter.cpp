#include "server/modules/method_adapter.h"

#include "contracts/server/result_envelope.h"
#include "platform/net/rpc_frame.h"
#include "platform/variant/codec.h"
#include "server/access/method_permissions.h"
#include "server/modules/refusal.h"
#include "server/rpc/coded_refusal.h"
#include "server/store/applied_call.h"
#include "server/store/store_error.h"

namespace server::modules {
namespace {

using platform::Variant;

std::string StoreFailureText(const store::StoreError& e) {
  switch (e.kind()) {
    case store::StoreError::Kind::Constraint:
      return "O banco de dados recusou a gravação; outro usuário pode ter gravado os mesmos dados ao mesmo tempo. "
             "Recarregue os dados e tente novamente. (" +
             std::string(e.what()) + ")";
    case store::StoreError::Kind::Transient:
      return "O banco de dados está ocupado com outra gravação. Tente novamente.";
    case store::StoreError::Kind::Connection:
      return std::string("Sem conexão com o banco de dados: ") + e.what();
    case store::StoreError::Kind::Other: break;
  }
  return e.what();
}

// What a sending of the call answered, as finish() stores it and a repetition replays
// it: the envelope and the "var" params (the others go back as the client sends them).
std::string EncodedAnswer(const contracts::server::MethodSpec& method, const Variant& envelope,
                          const std::vector<Variant>& params) {
  Variant::Array kept(params.size(), Variant::Null());
  for (std::size_t i = 0; i < params.size() && i < method.params.size(); ++i)
    if (method.params[i].byRef) kept[i] = params[i];
  return platform::EncodeVariant(platform::VarArrayOf({envelope, Variant(std::move(kept))}));
}

Variant Replay(const contracts::server::MethodSpec& method, const std::string& stored, std::vector<Variant>& params) {
  const Variant answer = platform::DecodeVariant(stored, platform::RpcDecodeLimits());
  const auto& kept = answer.asArray()[1].asArray();
  for (std::size_t i = 0; i < params.size() && i < kept.size() && i < method.params.size(); ++i)
    if (method.params[i].byRef) params[i] = kept[i];
  return answer.asArray()[0];
}

// The call's work on the connection, its failures as failure envelopes.
Variant Run(const MethodBody& body, store::Connection& connection, std::vector<Variant>& params) {
  try {
    BodyAnswer answer = body(connection, params);
    return contracts::server::MakeSuccess(std::move(answer.data), std::move(answer.aside));
  } catch (const rpc::CodedRefusal&) {
    throw;  // answered by the dispatcher as an error of its code
  } catch (const store::ECallAlreadyApplied&) {
    throw;  // answered by the sending that was applied
  } catch (const Refusal& e) {
    return contracts::server::MakeFailure(e.what());
  } catch (const store::StoreError& e) {
    return contracts::server::MakeFailure(StoreFailureText(e));
  } catch (const platform::Exception& e) {
    return contracts::server::MakeFailure(e.what());
  }
}

// The work of a write that carries an id, applied once (store/applied_call.h).
Variant RunOnce(const contracts::server::MethodSpec& method, const MethodBody& body, store::Connection& connection,
                const std::string& id, std::vector<Variant>& params) {
  store::AppliedCall call(connection, id);
  if (auto stored = call.storedReply()) return Replay(method, *stored, params);
  Variant envelope;
  try {
    envelope = Run(body, connection, params);
  } catch (const store::ECallAlreadyApplied&) {
    if (auto stored = call.storedReply()) return Replay(method, *stored, params);
    throw;
  }
  call.finish(EncodedAnswer(method, envelope, params));
  return envelope;
}

}  // namespace

MethodEntry GuardedEntry(std::shared_ptr<const contracts::server::MethodSpec> method, store::Store& store,
                         MethodBody body) {
  std::string address = method->address();
  MethodHandler handler = [method = std::move(method), &store, body = std::move(body),
                           writes = access::WritesData(address)](const rpc::CallContext& context,
                                                                 std::vector<Variant>& params) -> Variant {
    std::string wrong = contracts::server::CheckArguments(*method, params);
    if (!wrong.empty()) throw platform::Exception(wrong);
    try {
      store::Store::Lease connection = store.lease();
      connection->setCaller(context.user);
      connection->setCallCondition(context.condition);
      if (writes && !context.callId.empty()) return RunOnce(*method, body, *connection, context.callId, params);
      return Run(body, *connection, params);
    } catch (const rpc::CodedRefusal&) {
      throw;
    } catch (const store::StoreError& e) {
      return contracts::server::MakeFailure(StoreFailureText(e));
    } catch (const platform::Exception& e) {
      return contracts::server::MakeFailure(e.what());
    }
  };
  return {std::move(address), std::move(handler)};
}

}  // namespace server::modules
