#include "tests/testmodule/grid_form.h"

#include "platform/core/exceptions.h"

namespace testmodule {

void ShowGridForm(int) { throw platform::Exception("Grade ainda indisponível."); }

}  // namespace testmodule
