#include "tests/testmodule/mask_form.h"

#include "platform/core/exceptions.h"

namespace testmodule {

void ShowMaskForm() { throw platform::Exception("Máscaras ainda indisponíveis."); }

}  // namespace testmodule
