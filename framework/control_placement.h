#pragma once
// The framework's windows place their controls with platform::PlaceControl.
#include "platform/ui/place_control.h"

namespace framework {

using platform::PlaceControl;

}  // namespace framework
