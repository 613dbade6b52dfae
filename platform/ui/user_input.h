#pragma once
// What a person does with the mouse, as the front ends report it. Each operation runs
// the handlers in the event model's order; exceptions from handlers go out to the
// caller (the input loop hands them to Application().HandleException). Checking that
// the target may receive input at all (enabled, shown, not behind a modal window) is
// the caller's job: see InputRefusal.
#include <optional>
#include <string>

namespace platform {

class TControl;
class TCustomForm;
class TMenuItem;
class TComboBox;

// A click: the window comes forward, a focusable control takes the focus first (when
// an exit handler keeps the focus elsewhere, nothing is clicked), then the click.
void ClickControl(TControl* control);
void ClickMenuItem(TMenuItem* item);
// A click into a focusable control: its window comes forward and it takes the focus.
void FocusControlByUser(TControl* control);
// The window's close box.
void CloseWindow(TCustomForm* form);
// A choice in a combo box's list (focus first).
void ChooseComboItem(TComboBox* combo, int index);

// Why a control or window cannot receive input now (Portuguese text), or nullopt.
std::optional<std::string> InputRefusal(const TControl* control);
std::optional<std::string> InputRefusal(const TMenuItem* item, const TCustomForm* form);

}  // namespace platform
