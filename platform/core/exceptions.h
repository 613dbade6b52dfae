#pragma once
// The exception kinds every layer of the system raises. Every error is an exception
// with a clear text; nothing is swallowed.
#include <stdexcept>
#include <string>

namespace platform {

// Base of every error the system raises on purpose. Its message is shown to the user
// as it stands by the application's error display.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// The silent abort: ends the running operation without showing anything.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

// A text or value that cannot be converted to the kind asked for.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A variant read as a kind it does not hold.
class EVariantError : public Exception {
 public:
  using Exception::Exception;
};

// A data packet or encoded value that is malformed or over a decoding limit.
class EPacketError : public Exception {
 public:
  using Exception::Exception;
};

// Raises the silent abort.
[[noreturn]] inline void Abort() { throw EAbort(); }

}  // namespace platform
