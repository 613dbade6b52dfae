#pragma once
// LockWindowUpdate: the desktop call that freezes drawing of a window. The front end
// draws from snapshots taken between inputs, so there is nothing to freeze; the call
// is accepted with any handle (nullptr included) and always succeeds.
namespace platform {

inline bool LockWindowUpdate(void* /*handle*/) noexcept { return true; }

}  // namespace platform
