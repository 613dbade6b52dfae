#pragma once
// Creates a control of kind T owned by `owner`, named, placed on `parent` at the
// bounds given: the one step every window built in code repeats for each control.
#include <string>

#include "platform/ui/control.h"

namespace platform {

template <class T>
T* PlaceControl(TComponent* owner, TControl* parent, const std::string& name, int left, int top, int width,
                int height) {
  auto* control = new T(owner);
  control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

}  // namespace platform
