#include "server/rpc/call_log.h"

#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>

#include "contracts/server/methods.h"

namespace server::rpc {

const char* CallOutcomeName(CallOutcome outcome) noexcept {
  switch (outcome) {
    case CallOutcome::Ok: return "ok";
    case CallOutcome::Refused: return "recusado";
    case CallOutcome::Error: return "erro";
  }
  return "?";
}

std::string CustomerOf(std::string_view address, const std::vector<platform::Variant>& params) {
  const auto* method = contracts::server::FindMethod(address);
  if (!method) return {};
  for (std::size_t i = 0; i < method->params.size() && i < params.size(); ++i) {
    const auto& name = method->params[i].name;
    if (name != "CdCliente" && name != "NrInsJurClie") continue;
    return params[i].kind() == platform::Variant::Kind::String ? params[i].asString() : "";
  }
  return {};
}

spdlog::logger& ServerLog() {
  static const auto logger =
      std::make_shared<spdlog::logger>("appserver", std::make_shared<spdlog::sinks::stderr_sink_mt>());
  return *logger;
}

void LogCall(const CallRecord& r) {
  const double ms = static_cast<double>(r.duration.count()) / 1000.0;
  std::string customer = r.customer.empty() ? "" : " cliente=" + r.customer;
  std::string message = r.message.empty() ? "" : ": " + r.message;
  auto level = r.outcome == CallOutcome::Error ? spdlog::level::warn : spdlog::level::info;
  ServerLog().log(level, "{}{} {:.1f} ms {}{}", r.address, customer, ms,
                  CallOutcomeName(r.outcome), message);
}

}  // namespace server::rpc
