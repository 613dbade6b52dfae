#pragma once
// Refusal: a business rule refused the call (unknown customer, invalid value, a row
// changed by someone else, "@PrecoZerNeg"). The data modules turn it into a failure
// envelope carrying its text, after every open transaction has been rolled back.
#include "platform/core/exceptions.h"

namespace server::modules {

class Refusal : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

// The refusal of a recalculation or copy that would leave a price zero or negative;
// the screens show their catalog text for this key.
inline constexpr const char* kPrecoZerNeg = "@PrecoZerNeg";

}  // namespace server::modules
