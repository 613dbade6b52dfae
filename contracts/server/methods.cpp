#include "contracts/server/methods.h"

#include "platform/net/rpc_frame.h"

namespace contracts::server {
namespace {

template <class... Methods>
std::vector<MethodSpec> Describe(MethodList<Methods...>) {
  return {SpecOf<Methods>()...};
}

bool Fits(ArgKind kind, const platform::Variant& value) {
  using K = platform::Variant::Kind;
  switch (kind) {
    case ArgKind::String: return value.kind() == K::String;
    case ArgKind::Integer: return value.kind() == K::Integer;
    case ArgKind::Double: return value.kind() == K::Double || value.kind() == K::Integer;
    case ArgKind::Variant: return true;
  }
  return false;
}

}  // namespace

const char* ArgKindName(ArgKind kind) noexcept {
  switch (kind) {
    case ArgKind::String: return "texto";
    case ArgKind::Integer: return "inteiro";
    case ArgKind::Double: return "número";
    case ArgKind::Variant: return "variante";
  }
  return "?";
}

std::string MethodSpec::address() const {
  std::string text(module);
  text += '.';
  text += name;
  return text;
}

const std::vector<MethodSpec>& AllMethods() {
  static const std::vector<MethodSpec> table = Describe(AllMethodTypes{});
  return table;
}

const MethodSpec* FindMethod(std::string_view address) {
  auto dot = address.find('.');
  if (dot == std::string_view::npos) return nullptr;
  return FindMethod(address.substr(0, dot), address.substr(dot + 1));
}

const MethodSpec* FindMethod(std::string_view module, std::string_view name) {
  for (const MethodSpec& m : AllMethods())
    if (m.module == module && m.name == name) return &m;
  return nullptr;
}

std::string_view ModuleOfServerName(std::string_view serverName) noexcept {
  return platform::RemoteModuleName(serverName);
}

std::string CheckArguments(const MethodSpec& method, const std::vector<platform::Variant>& args) {
  if (args.size() != method.params.size())
    return "Método " + method.address() + " espera " + std::to_string(method.params.size()) +
           " argumentos e recebeu " + std::to_string(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    const ParamSpec& p = method.params[i];
    if (!Fits(p.kind, args[i]))
      return "Método " + method.address() + ": o argumento " + std::to_string(i + 1) + " (" +
             std::string(p.name) + ") deve ser " + ArgKindName(p.kind) + ", recebeu " +
             platform::Variant::KindName(args[i].kind());
  }
  return {};
}

}  // namespace contracts::server
