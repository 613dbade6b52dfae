#include "server/modules/data_modules.h"

#include <spdlog/spdlog.h>

#include <chrono>

#include "contracts/server/methods.h"
#include "contracts/server/result_envelope.h"
#include "server/modules/cust_prod.h"
#include "server/modules/refusal.h"
#include "server/modules/tab_pre_clie.h"
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
      return "O banco de dados recusou a gravação: outro usuário gravou dados conflitantes ao mesmo tempo. "
             "Recarregue os dados e tente novamente.";
    case store::StoreError::Kind::Transient:
      return "O banco de dados está ocupado com outra gravação. Tente novamente.";
    case store::StoreError::Kind::Connection:
      return std::string("Sem conexão com o banco de dados: ") + e.what();
    case store::StoreError::Kind::Other: break;
  }
  return e.what();
}

// The customer a call is about, for the log line.
std::string CustomerOf(const contracts::server::MethodSpec& spec, const Params& params) {
  for (std::size_t i = 0; i < spec.params.size() && i < params.size(); ++i)
    if (spec.params[i].name == "CdCliente" && params[i].kind() == Variant::Kind::String)
      return params[i].asString().empty() ? "-" : params[i].asString();
  return "-";
}

MethodHandler Handler(const contracts::server::MethodSpec& spec, store::Store& store,
                      std::shared_ptr<spdlog::logger> log, Body body) {
  return [&spec, &store, log = std::move(log), body = std::move(body)](Params& params) -> Variant {
    auto started = std::chrono::steady_clock::now();
    std::string customer = CustomerOf(spec, params);
    auto done = [&](const char* outcome, const std::string& detail) {
      double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
      log->info("{} cliente={} {:.1f} ms {}{}{}", spec.address(), customer, ms, outcome, detail.empty() ? "" : ": ",
                detail);
    };
    std::string wrong = contracts::server::CheckArguments(spec, params);
    if (!wrong.empty()) {
      done("erro", wrong);
      throw platform::Exception(wrong);
    }
    try {
      Variant data = [&] {
        store::Store::Lease connection = store.lease();
        return body(*connection, params);
      }();
      done("ok", "");
      return contracts::server::MakeSuccess(std::move(data));
    } catch (const Refusal& e) {
      done("recusado", e.what());
      return contracts::server::MakeFailure(e.what());
    } catch (const store::StoreError& e) {
      done("falha", e.what());
      return contracts::server::MakeFailure(StoreFailureText(e));
    } catch (const platform::Exception& e) {
      done("falha", e.what());
      return contracts::server::MakeFailure(e.what());
    } catch (const std::exception& e) {
      done("erro", e.what());
      throw;
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

std::vector<MethodEntry> DataModuleMethods(store::Store& store, std::shared_ptr<spdlog::logger> log) {
  std::vector<MethodEntry> entries;
  for (auto& [address, body] : Bodies()) {
    const contracts::server::MethodSpec* spec = contracts::server::FindMethod(address);
    if (!spec) throw platform::Exception("Método fora do contrato: " + address);
    entries.push_back({address, Handler(*spec, store, log, std::move(body))});
  }
  if (entries.size() != contracts::server::AllMethods().size())
    throw platform::Exception("Há métodos do contrato sem implementação no servidor");
  return entries;
}

}  // namespace server::modules
