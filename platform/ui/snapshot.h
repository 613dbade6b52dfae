#pragma once
// The screen as the front ends see it: the body of the protocol's `state` message
// (cursor, wait, activeForm, focus, windows bottom to top, documents), built from the
// live controls. Grids write their visible rows only, so the size does not grow with
// a dataset's row count. The caller adds type, seq, idle and error.
#include <nlohmann/json.hpp>

namespace platform {

class TControl;

nlohmann::json SnapshotState();
// "window.control" of a control (the window's name alone for a form).
std::string ControlPath(const TControl* control);

}  // namespace platform
