#include "server/rpc/call_log.h"

#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>

#include "contracts/server/methods.h"
#include "server/rpc/printable_text.h"

namespace server::rpc {

const char* CallOutcomeName(CallOutcome outcome) noexcept {
  switch (outcome) {
    case CallOutcome::Ok: return "ok";
    case CallOutcome::Refused: return "recusado";
    case CallOutcome::Error: return "erro";
  }
  return "?";
}

CallSubject SubjectOf(std::string_view address, const std::vector<platform::Variant>& params) {
  CallSubject subject;
  const auto* method = contracts::server::FindMethod(address);
  if (!method) return subject;
  bool customerSeen = false, registrationSeen = false;
  for (std::size_t i = 0; i < method->params.size() && i < params.size(); ++i) {
    const auto& name = method->params[i].name;
    const bool text = params[i].kind() == platform::Variant::Kind::String;
    if (name == "CdCliente" && !customerSeen) {
      customerSeen = true;
      if (text) subject.customer = params[i].asString();
    } else if (name == "NrInsJurClie" && !registrationSeen) {
      registrationSeen = true;
      if (text) subject.registration = MaskedRegistration(params[i].asString());
    }
  }
  return subject;
}

spdlog::logger& ServerLog() {
  static const auto logger =
      std::make_shared<spdlog::logger>("appserver", std::make_shared<spdlog::sinks::stderr_sink_mt>());
  return *logger;
}

void LogCall(const CallRecord& r) {
  const double ms = static_cast<double>(r.duration.count()) / 1000.0;
  std::string subject;
  if (!r.user.empty()) subject += " usuario=" + PrintableExcerpt(r.user, kLoggedValueChars);
  if (!r.customer.empty()) subject += " cliente=" + PrintableExcerpt(r.customer, kLoggedValueChars);
  if (!r.registration.empty()) subject += " inscricao=" + PrintableExcerpt(r.registration, kLoggedValueChars);
  std::string message = r.message.empty() ? "" : ": " + PrintableExcerpt(r.message, kLoggedValueChars);
  auto level = r.outcome == CallOutcome::Error ? spdlog::level::warn : spdlog::level::info;
  ServerLog().log(level, "{}{} {:.1f} ms {}{}", PrintableExcerpt(r.address, kLoggedValueChars), subject, ms,
                  CallOutcomeName(r.outcome), message);
}

}  // namespace server::rpc
