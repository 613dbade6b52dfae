#pragma once
// MethodRegistry: the remote methods a server answers, by address
// ("rdmTabPreClie.GetPesqCliente" -> handler). The data modules fill it at start-up;
// the listener only reads it afterwards, from any worker thread.
//
// A handler receives who is calling (access_gate.h) and the call's params, already
// checked against the method's contract
// (contracts/server/methods.h: count and kinds; an Integer sent for a Double param is
// turned into a Double before the call). It returns the method's result envelope
// (contracts/server/result_envelope.h) and may update its "var" params in place: the
// params as the handler leaves them go back to the client. An exception escaping a
// handler becomes an error reply carrying its text; the server goes on.
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/variant.h"
#include "server/rpc/access_gate.h"

namespace server::rpc {

using MethodHandler =
    std::function<platform::Variant(const CallContext& context, std::vector<platform::Variant>& params)>;
// A handler that does not ask who is calling.
using PlainHandler = std::function<platform::Variant(std::vector<platform::Variant>& params)>;

class MethodRegistry {
 public:
  // Registers `handler` at `address`, replacing any handler already there.
  void add(std::string address, MethodHandler handler);
  void add(std::string address, PlainHandler handler);
  // The handler at `address`, or nullptr; the pointer stays valid while the registry
  // lives. Fill the registry before the server starts: it is not locked.
  const MethodHandler* find(std::string_view address) const;

  std::size_t size() const noexcept { return handlers_.size(); }

 private:
  std::map<std::string, MethodHandler, std::less<>> handlers_;
};

}  // namespace server::rpc
