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
enum class TWindowState;

// A click anywhere closes the menus held open from the keyboard, as on a desktop; each
// operation below does so first.
void CloseOpenMenus();
// A click: the window comes forward, a focusable control takes the focus first (when
// an exit handler keeps the focus elsewhere, nothing is clicked), then the click.
void ClickControl(TControl* control);
void ClickMenuItem(TMenuItem* item);
// A click into a focusable control: its window comes forward and it takes the focus.
void FocusControlByUser(TControl* control);
// The window's close box.
void CloseWindow(TCustomForm* form);
// The window dragged by its title bar or its border to these bounds (outer size; a
// size under the window's minimum grows to it).
void SetWindowBoundsByUser(TCustomForm* form, int left, int top, int width, int height);
// The window's maximise / restore button, or a double click on its title bar.
void SetWindowStateByUser(TCustomForm* form, TWindowState state);
// A choice in a combo box's list (focus first).
void ChooseComboItem(TComboBox* combo, int index);

// Why a control or window cannot receive input now (Portuguese text), or nullopt.
std::optional<std::string> InputRefusal(const TControl* control);
std::optional<std::string> InputRefusal(const TMenuItem* item, const TCustomForm* form);
// Why the window cannot take these bounds or that state now: a size change or a
// maximise of a window without a sizeable border, or any change of a maximised one.
std::optional<std::string> WindowBoundsRefusal(const TCustomForm* form, int width, int height);
std::optional<std::string> WindowStateRefusal(const TCustomForm* form, TWindowState state);

}  // namespace platform
