#pragma once
// StoreError: a database failure, with the kind of failure so callers can react to it
// (a constraint refused the data, the database was busy or chose this transaction as a
// deadlock victim and a retry may succeed, the connection is gone, anything else).
// The message names the statement's purpose and carries the database's own text.
#include <string>

#include "platform/core/exceptions.h"

namespace server::store {

class StoreError : public platform::Exception {
 public:
  enum class Kind { Constraint, Transient, Connection, Other };

  StoreError(Kind kind, const std::string& message) : platform::Exception(message), kind_(kind) {}

  Kind kind() const noexcept { return kind_; }

 private:
  Kind kind_;
};

}  // namespace server::store
