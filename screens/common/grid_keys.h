#pragma once
// Keys a grid column that takes nothing typed still lets through: Tab and Enter,
// Shift, Ctrl and Alt, and the four arrows, so a person can always move on.
#include <cstdint>

#include "platform/ui/ui_types.h"

namespace Pkg_VQR51200 {

inline bool MovesOnInGrid(std::uint16_t key) {
  switch (key) {
    case platform::VK_TAB:
    case platform::VK_RETURN:
    case platform::VK_SHIFT:
    case platform::VK_CONTROL:
    case platform::VK_MENU:
    case platform::VK_LEFT:
    case platform::VK_UP:
    case platform::VK_RIGHT:
    case platform::VK_DOWN:
      return true;
    default:
      return false;
  }
}

}  // namespace Pkg_VQR51200
