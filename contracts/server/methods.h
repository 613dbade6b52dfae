#pragma once
// The application server's remote methods: where each lives, its arguments in order,
// their kinds and which are "var" (sent back updated and written into the caller's
// variable). Client and server both check calls against this table, so they cannot
// drift apart.
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/variant.h"

namespace contracts::server {

// Remote data modules and the server names the connections carry.
inline constexpr std::string_view kTabPreClie = "rdmTabPreClie";
inline constexpr std::string_view kCustProd = "rdmCustProd";

enum class ArgKind { String, Integer, Double, Variant };
const char* ArgKindName(ArgKind kind) noexcept;

struct ParamSpec {
  std::string_view name;
  ArgKind kind;
  bool byRef = false;  // "var": comes back updated
};

struct MethodSpec {
  std::string_view module;  // kTabPreClie or kCustProd
  std::string_view name;    // e.g. "GetPesqCliente"
  std::vector<ParamSpec> params;

  // "rdmTabPreClie.GetPesqCliente": how a call addresses the method.
  std::string address() const;
};

// Every method of both modules.
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
