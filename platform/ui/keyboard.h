#pragma once
// Keyboard dispatch: one key press delivered to the active form.
//
// Order: the menu's accelerators and short cuts first (an open menu takes every key);
// then KeyDown (the form's OnKeyDown first when it previews keys, then the focused
// control's OnKeyDown, then the control's default handling; a handler that sets the key
// to 0 stops the default handling and the form's navigation); then the form's
// keys the control leaves, which swallow the character:
//   - Tab / Shift+Tab move by tab order; Ctrl+Tab / Ctrl+Shift+Tab do so even from a
//     control that keeps Tab for itself (a grid moving across its cells);
//   - the search key (Alt+Down) in a control that a search button serves clicks that
//     button (TControl::ServedControl);
//   - Alt+letter, or a plain letter while a button or check control has the focus,
//     runs the control whose caption has that accelerator ("&Sim"): a button or check
//     control takes the focus and is clicked, a label focuses its FocusControl;
//   - Enter clicks the default button, Escape the cancel button (or, without one, the
//     form's CancelControl);
// then, when
// the key makes a character, KeyPress (form first when previewing, then the focused
// control; a character set to 0 is dropped) and the control's default character
// handling. A handler that moves the focus ends the key there: the control that had
// it gets nothing more of that key. Exceptions from handlers go out to the caller.
//
// The numeric keypad's decimal key (VK_DECIMAL) types the locale's decimal separator
// ",", whichever character the keyboard layout gives it, as a Brazilian desktop does;
// the main keyboard's "." stays a ".".
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui/ui_types.h"

namespace platform {

// The key that opens the search of the focused control (with Alt held).
inline constexpr std::uint16_t kSearchKey = VK_DOWN;

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
