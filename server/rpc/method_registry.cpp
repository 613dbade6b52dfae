#include "server/rpc/method_registry.h"

namespace server::rpc {

void MethodRegistry::add(std::string address, MethodHandler handler) {
  handlers_.insert_or_assign(std::move(address), std::move(handler));
}

void MethodRegistry::add(std::string address, PlainHandler handler) {
  add(std::move(address),
      MethodHandler([handler = std::move(handler)](const CallContext&, std::vector<platform::Variant>& params) {
        return handler(params);
      }));
}

const MethodHandler* MethodRegistry::find(std::string_view address) const {
  auto it = handlers_.find(address);
  return it == handlers_.end() ? nullptr : &it->second;
}

}  // namespace server::rpc
