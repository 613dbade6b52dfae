#pragma once
// Accelerators of captions: "&Sim" is answered by S, "Cópia de &Dados" by D; "&&" is a
// literal "&" and marks nothing. Menu items and controls share this reading, so the
// letter a front end underlines is the letter the keyboard answers.
#include <cstdint>
#include <string_view>

namespace platform {

// The upper-case letter (or digit) marked by "&" in the caption, or 0 when none is.
char32_t AcceleratorOf(std::string_view caption);

// Whether a key press (virtual-key code) is that accelerator.
bool IsAcceleratorKey(std::string_view caption, std::uint16_t key);

}  // namespace platform
