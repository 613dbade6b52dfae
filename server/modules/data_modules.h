#pragma once
// The remote methods of rdmTabPreClie and rdmCustProd as handlers the RPC listener
// calls by address ("rdmTabPreClie.GetPesqCliente").
//
// A handler takes a pooled connection for the duration of the call and returns the
// result envelope: success with the method's data part, or failure with a Portuguese
// text (a business refusal, a database that refused or could not be reached). Every
// call writes one log line: method, customer, duration and outcome. Arguments are
// checked against the contract again, so a handler is safe to call directly.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/variant/variant.h"
#include "server/store/store.h"

namespace spdlog {
class logger;
}

namespace server::modules {

using MethodHandler = std::function<platform::Variant(std::vector<platform::Variant>& params)>;

struct MethodEntry {
  std::string address;
  MethodHandler handler;
};

// One entry per method of the contract. `store` and `log` must outlive the handlers.
std::vector<MethodEntry> DataModuleMethods(store::Store& store, std::shared_ptr<spdlog::logger> log);

}  // namespace server::modules
