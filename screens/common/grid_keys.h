#pragma once
// Keys a grid column that takes nothing typed still lets through: Tab and Enter,
// Shift, Ctrl and Alt, and the four arrows, so a person can always move on. And the
// characters a decimal value column takes: digits and one decimal comma.
#include <cstdint>
#include <string>

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

// Drops (sets to 0) a character typed in a decimal value column whose cell now holds
// `cellText`: only Backspace, Enter, the digits and a first "," pass. "." and "-" never
// do, so the value always reads as a number of the application's locale.
inline void KeepDecimalChar(char32_t& key, const std::string& cellText) {
  if (key == U',' && cellText.find(',') != std::string::npos) key = 0;
  if (key != U'\b' && key != U'\r' && key != U',' && (key < U'0' || key > U'9')) key = 0;
}

}  // namespace Pkg_VQR51200
