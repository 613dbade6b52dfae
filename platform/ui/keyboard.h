#pragma once
// Keyboard dispatch: one key press delivered to the active form.
//
// Order: the menu's accelerators and short cuts first (an open menu takes every key);
// then KeyDown (the form's OnKeyDown first when it previews keys, then the focused
// control's OnKeyDown, then the control's default handling; a handler that sets the key
// to 0 stops the default handling and the form's navigation); then the form's
// navigation keys the control leaves (Tab / Shift+Tab by tab order, Enter clicks the
// default button, Escape the cancel button), which swallow the character; then, when
// the key makes a character, KeyPress (form first when previewing, then the focused
// control; a character set to 0 is dropped) and the control's default character
// handling. A handler that moves the focus ends the key there: the control that had
// it gets nothing more of that key. Exceptions from handlers go out to the caller.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui/ui_types.h"

namespace platform {

void DispatchKey(std::uint16_t vk, TShiftState shift, std::optional<char32_t> ch);

// The virtual-key code and shift state that type a character ("a" 65, "A" 65+Shift,
// digits 48-57, "," 188, "-" 189, "." 190, "/" 191, space 32); 0 for characters with
// no key of their own (they arrive as KeyPress only).
struct TKeyStroke {
  std::uint16_t vk = 0;
  TShiftState shift;
};
TKeyStroke KeyForChar(char32_t ch);

// Types each character of a UTF-8 text as a key press.
void TypeText(const std::string& text);

}  // namespace platform
