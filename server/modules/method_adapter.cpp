#include "server/modules/method_adapter.h"

#include "contracts/server/result_envelope.h"
#include "server/modules/refusal.h"
#include "server/rpc/coded_refusal.h"
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

}  // namespace

MethodEntry GuardedEntry(std::shared_ptr<const contracts::server::MethodSpec> method, store::Store& store,
                         MethodBody body) {
  std::string address = method->address();
  MethodHandler handler = [method = std::move(method), &store, body = std::move(body)](
                              const rpc::CallContext& context, std::vector<Variant>& params) -> Variant {
    std::string wrong = contracts::server::CheckArguments(*method, params);
    if (!wrong.empty()) throw platform::Exception(wrong);
    try {
      store::Store::Lease connection = store.lease();
      connection->setCaller(context.user);
      connection->setCallCondition(context.condition);
      BodyAnswer answer = body(*connection, params);
      return contracts::server::MakeSuccess(std::move(answer.data), std::move(answer.aside));
    } catch (const rpc::CodedRefusal&) {
      throw;  // answered by the dispatcher as an error of its code
    } catch (const Refusal& e) {
      return contracts::server::MakeFailure(e.what());
    } catch (const store::StoreError& e) {
      return contracts::server::MakeFailure(StoreFailureText(e));
    } catch (const platform::Exception& e) {
      return contracts::server::MakeFailure(e.what());
    }
  };
  return {std::move(address), std::move(handler)};
}

}  // namespace server::modules
