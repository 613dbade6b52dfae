#pragma once
// Refusal: a business rule refused the call (unknown customer, invalid value, a row
// changed by someone else, "@PrecoZerNeg"). The data modules turn it into a failure
// envelope carrying its text, after every open transaction has been rolled back.
#include <string>
#include <string_view>

#include "platform/core/exceptions.h"
#include "server/rpc/printable_text.h"

namespace server::modules {

class Refusal : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

// A value the client sent, as a refusal quotes it: a short, printable prefix (a
// refusal is shown in a message box and logged; the value may be a megabyte of
// anything).
inline std::string ShownValue(std::string_view value) {
  return rpc::PrintableExcerpt(value, rpc::kQuotedValueChars);
}

// The refusal of a recalculation or copy that would leave a price zero or negative;
// the screens show their catalog text for this key.
inline constexpr const char* kPrecoZerNeg = "@PrecoZerNeg";

// A price over the ceiling (contracts/server/price_limits.h), naming it:
// "Preço deve ser no máximo 999.999.999,999."
std::string PriceOverCeiling();
// The refusal of a recalculation or copy that would leave any price over the ceiling
// or outside the finite numbers; like kPrecoZerNeg it refuses the whole call.
std::string PricesOverCeiling();

}  // namespace server::modules
