#pragma once
// One record per remote call, and the server's log. Every call ends in one record
// handed to the server's call observer; the default observer writes one line per
// call to standard error:
//
//   rdmTabPreClie.GetPrecoProd usuario=maria cliente=000123 3.2 ms ok
//   rdmTabPreClie.GetPesqCliente usuario=maria inscricao=**********0181 0.8 ms ok
//   rdmTabPreClie.SetTabPreClie usuario=ana cliente=000123 1.0 ms recusado: <text of the envelope>
//   rdmTabPreClie.Nada 0.0 ms erro: <text of the error reply>
//
// Sign-in calls leave no call record: the gate logs each sign-in, refusal and lock
// itself (user, address, outcome; never a password).
//
// Every value a client chose (address, customer code, texts) is logged through
// PrintableExcerpt (printable_text.h), so no client can break a line of the log or
// fill it; a registration number (CPF, CNPJ: personal data) never reaches the record
// in full, only masked.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/variant.h"

namespace spdlog {
class logger;
}

namespace server::rpc {

enum class CallOutcome {
  Ok,       // the method answered with a success envelope (or any other value)
  Refused,  // the method answered with a failure envelope
  Error,    // the call got an error reply: unknown method, wrong arguments, exception
};
const char* CallOutcomeName(CallOutcome outcome) noexcept;

struct CallRecord {
  std::string address;
  std::string customer;  // the customer code the call names, empty when none
  std::chrono::microseconds duration{0};
  CallOutcome outcome = CallOutcome::Ok;
  std::string message;       // the refusal or error text
  std::string registration{};  // the registration number the call names, masked; empty when none
  std::string user{};          // the signed-in user, empty when none
};

using CallObserver = std::function<void(const CallRecord&)>;

// The customer code and the masked registration number a call names: its first
// text arguments called CdCliente and NrInsJurClie in the method's contract. Empty
// for methods outside the contract.
struct CallSubject {
  std::string customer;
  std::string registration;
};
CallSubject SubjectOf(std::string_view address, const std::vector<platform::Variant>& params);

// The server's logger (standard error; standard output may carry a protocol).
spdlog::logger& ServerLog();
// The default call observer: one line per call to ServerLog().
void LogCall(const CallRecord& record);

}  // namespace server::rpc
