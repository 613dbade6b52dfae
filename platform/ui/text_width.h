#pragma once
// The width in pixels that the front ends' interface font (11 px DejaVu Sans Condensed,
// web/css/app.css) gives a line of text, rounded up. Kerning is left out, which only
// ever overestimates, as does the bold estimate; a code point past Latin-1 counts as
// wider than any letter.
#include <string_view>

namespace platform {

int TextWidth(std::string_view utf8Text, bool bold = false);

}  // namespace platform
