#pragma once
// EDatabaseError: a dataset operation that cannot be done in the dataset's state or
// with the data given (not editing, empty dataset, unknown field, read-only field,
// a packet that does not match the declared fields). The message names the dataset
// or the field and is meant for the user.
#include "platform/core/exceptions.h"

namespace platform {

class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace platform
