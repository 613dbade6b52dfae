#pragma once
// The remote methods of rdmTabPreClie, rdmCustProd and rdmUsuario as handlers the RPC
// listener calls by address ("rdmTabPreClie.GetPesqCliente").
//
// A handler takes a pooled connection for the duration of the call, working for the
// call's signed-in user (store::Connection::caller, whom the writes name in the
// history), and returns the result envelope: success with the method's data part, or failure with a Portuguese
// text (a business refusal, a database that refused or could not be reached). The
// listener writes the log line of each call. Arguments are checked against the
// contract again, so a handler is also safe to call directly, in process.
#include <functional>
#include <string>
#include <vector>

#include "platform/variant/variant.h"
#include "server/rpc/access_gate.h"
#include "server/store/store.h"

namespace server::rpc {
class MethodRegistry;
}

namespace server::modules {

using MethodHandler =
    std::function<platform::Variant(const rpc::CallContext& context, std::vector<platform::Variant>& params)>;

struct MethodEntry {
  std::string address;
  MethodHandler handler;
};

// One entry per method of the contract. `store` must outlive the handlers.
std::vector<MethodEntry> DataModuleMethods(store::Store& store);

// Adds every method of the modules to the listener's registry.
void RegisterDataModules(rpc::MethodRegistry& registry, store::Store& store);

}  // namespace server::modules
