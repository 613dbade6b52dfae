#pragma once
// CodedRefusal: a method refuses the call with an error reply of a code the client
// acts on (contracts/server: kPriceChanged), instead of a failure envelope. The
// dispatcher answers it as an error of that code and text, logged as a refusal.
#include <string>

#include "platform/core/exceptions.h"

namespace server::rpc {

class CodedRefusal : public platform::Exception {
 public:
  CodedRefusal(std::string code, const std::string& message) : Exception(message), code_(std::move(code)) {}
  const std::string& code() const noexcept { return code_; }

 private:
  std::string code_;
};

}  // namespace server::rpc
