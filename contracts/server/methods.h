#pragma once
// The application server's remote methods at run time: where each lives, its
// arguments in order, their kinds, which are "var" (sent back updated and written into
// the caller's variable) and which the server does not read, and its data part. The
// table is made from the declarations (tab_pre_clie_methods.h, cust_prod_methods.h,
// usuario_methods.h); the dispatcher checks every call against it.
#include <string>
#include <string_view>
#include <vector>

#include "contracts/server/cust_prod_methods.h"
#include "contracts/server/method_declaration.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "contracts/server/usuario_methods.h"
#include "platform/variant/variant.h"

namespace contracts::server {

// Remote data modules and the server names the connections carry.
inline constexpr std::string_view kTabPreClie = TabPreClie::name;
inline constexpr std::string_view kCustProd = CustProd::name;
inline constexpr std::string_view kUsuario = Usuario::name;

const char* ArgKindName(ArgKind kind) noexcept;

struct ParamSpec {
  std::string_view name;
  ArgKind kind;
  bool byRef = false;             // "var": comes back updated
  std::string_view unusedReason;  // empty when the server reads the argument

  bool read() const noexcept { return unusedReason.empty(); }
};

struct MethodSpec {
  std::string_view module;  // kTabPreClie, kCustProd or kUsuario
  std::string_view name;    // e.g. "GetPesqCliente"
  std::vector<ParamSpec> params;
  DataKind data = DataKind::None;
  ColumnsOf columns = nullptr;  // of the data part's packet; nullptr with no data

  // "rdmTabPreClie.GetPesqCliente": how a call addresses the method.
  std::string address() const;
};

// The runtime description of the declared method M.
template <class... Params>
std::vector<ParamSpec> ParamSpecs(ParamList<Params...>) {
  return {ParamSpec{Params::name, Params::kind, Params::byRef, Params::unusedReason}...};
}
template <class M>
MethodSpec SpecOf() {
  return {M::module, M::name, ParamSpecs(typename M::Arguments{}), M::DataPart::kind, M::DataPart::columns};
}

// Every declared method of the modules, as a type, and at run time.
template <class... A, class... B, class... C>
MethodList<A..., B..., C...> JoinMethods(MethodList<A...>, MethodList<B...>, MethodList<C...>);
using AllMethodTypes = decltype(JoinMethods(TabPreClieMethods{}, CustProdMethods{}, UsuarioMethods{}));

const std::vector<MethodSpec>& AllMethods();
// The method with that address, or nullptr.
const MethodSpec* FindMethod(std::string_view address);
// The method of `module` named `name`, or nullptr.
const MethodSpec* FindMethod(std::string_view module, std::string_view name);

// The data module a connection's server name designates: the text after the last
// "." ("VQR51200.rdmTabPreClie" -> "rdmTabPreClie", "cus.rdmCustProd" -> "rdmCustProd").
std::string_view ModuleOfServerName(std::string_view serverName) noexcept;

// Checks a call's arguments against the method: count and kinds (an Integer is
// accepted for a Double; Variant accepts anything). Returns an empty text when the
// call fits, else a clear Portuguese text saying what is wrong.
std::string CheckArguments(const MethodSpec& method, const std::vector<platform::Variant>& args);

}  // namespace contracts::server
