#pragma once
// Creates a control of kind T owned by `owner`, named, placed on `parent` at the
// bounds given: the one step every framework window repeats for each control.
#include <string>

#include "platform/ui/control.h"

namespace framework {

template <class T>
T* PlaceControl(platform::TComponent* owner, platform::TControl* parent, const std::string& name, int left, int top,
                int width, int height) {
  auto* control = new T(owner);
  control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

}  // namespace framework
