#include "server/modules/data_modules.h"

#include "contracts/server/methods.h"
#include "contracts/server/result_envelope.h"
#include "server/modules/cust_prod.h"
#include "server/modules/refusal.h"
#include "server/modules/tab_pre_clie.h"
#include "server/rpc/method_registry.h"
#include "server/store/store_error.h"

namespace server::modules {
namespace {

using platform::Variant;
using Params = std::vector<Variant>;
// A method body: the call's params and a connection; returns the envelope's data part.
using Body = std::function<Variant(store::Connection&, Params&)>;

const std::string& S(const Params& p, std::size_t i) { return p[i].asString(); }
std::int64_t I(const Params& p, std::size_t i) { return p[i].asInteger(); }

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

MethodHandler Handler(const contracts::server::MethodSpec& method, store::Store& store, Body body) {
  return [&method, &store, body = std::move(body)](Params& params) -> Variant {
    std::string wrong = contracts::server::CheckArguments(method, params);
    if (!wrong.empty()) throw platform::Exception(wrong);
    try {
      store::Store::Lease connection = store.lease();
      return contracts::server::MakeSuccess(body(*connection, params));
    } catch (const Refusal& e) {
      return contracts::server::MakeFailure(e.what());
    } catch (const store::StoreError& e) {
      return contracts::server::MakeFailure(StoreFailureText(e));
    } catch (const platform::Exception& e) {
      return contracts::server::MakeFailure(e.what());
    }
  };
}

std::vector<std::pair<std::string, Body>> Bodies() {
  namespace t = tab_pre_clie;
  return {
      {"rdmTabPreClie.GetPesqCliente",
       [](store::Connection& c, Params& p) { return t::GetPesqCliente(c, S(p, 0), S(p, 1)); }},
      {"rdmTabPreClie.GetCDCliente",
       [](store::Connection& c, Params& p) { return t::GetCDCliente(c, S(p, 0), S(p, 1)); }},
      {"rdmTabPreClie.GetPrecoProd",
       [](store::Connection& c, Params& p) { return t::GetPrecoProd(c, S(p, 0), I(p, 1)); }},
      {"rdmTabPreClie.SetTabPreClie",
       [](store::Connection& c, Params& p) {
         t::SetTabPreClie(c, S(p, 0), S(p, 1), p[2].asDouble(), S(p, 3), S(p, 4), S(p, 5));
         return Variant();
       }},
      {"rdmTabPreClie.GetFatPreClie",
       [](store::Connection& c, Params& p) { return t::GetFatPreClie(c, S(p, 0), S(p, 1)); }},
      {"rdmTabPreClie.SetCompPreco",
       [](store::Connection& c, Params& p) { return t::SetCompPreco(c, p[0], S(p, 1), S(p, 2)); }},
      {"rdmTabPreClie.SetCalcCusProd",
       [](store::Connection& c, Params& p) {
         t::SetCalcCusProd(c, {S(p, 0), S(p, 1), I(p, 3), I(p, 4), S(p, 5), S(p, 6), S(p, 7)});
         return Variant();
       }},
      {"rdmTabPreClie.GetPesqClieLista",
       [](store::Connection& c, Params& p) { return t::GetPesqClieLista(c, S(p, 0)); }},
      {"rdmTabPreClie.SetCopiaDados",
       [](store::Connection& c, Params& p) {
         t::SetCopiaDados(c, {S(p, 0), S(p, 1), I(p, 3), S(p, 4), S(p, 5), I(p, 6), S(p, 7), S(p, 8)});
         return Variant();
       }},
      {"rdmTabPreClie.SetCopiaPreco",
       [](store::Connection& c, Params& p) {
         t::SetCopiaPreco(c, {S(p, 1), I(p, 2), S(p, 3), S(p, 4), S(p, 5), S(p, 6), S(p, 7), S(p, 8), S(p, 9)});
         return Variant();
       }},
      {"rdmCustProd.GetTipoCusto", [](store::Connection& c, Params&) { return cust_prod::GetTipoCusto(c); }},
  };
}

}  // namespace

std::vector<MethodEntry> DataModuleMethods(store::Store& store) {
  std::vector<MethodEntry> entries;
  for (auto& [address, body] : Bodies()) {
    const contracts::server::MethodSpec* method = contracts::server::FindMethod(address);
    if (!method) throw platform::Exception("Método fora do contrato: " + address);
    entries.push_back({address, Handler(*method, store, std::move(body))});
  }
  if (entries.size() != contracts::server::AllMethods().size())
    throw platform::Exception("Há métodos do contrato sem implementação no servidor");
  return entries;
}

}  // namespace server::modules

namespace server::modules {

void RegisterDataModules(rpc::MethodRegistry& registry, store::Store& store) {
  for (MethodEntry& entry : DataModuleMethods(store)) registry.add(std::move(entry.address), std::move(entry.handler));
}

}  // namespace server::modules
