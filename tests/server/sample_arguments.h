#pragma once
// A value of each argument kind of the contract, for calls whose arguments only need
// the right kinds.
#include "contracts/server/method_declaration.h"
#include "platform/variant/variant.h"

namespace servertest {

inline platform::Variant SampleOf(contracts::server::ArgKind kind) {
  switch (kind) {
    case contracts::server::ArgKind::String: return "x";
    case contracts::server::ArgKind::Integer: return 3;
    case contracts::server::ArgKind::Double: return 1.5;
    case contracts::server::ArgKind::Variant: return platform::Variant::Null();
  }
  return {};
}

}  // namespace servertest
