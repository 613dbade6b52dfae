// The advance widths of the interface font's regular face, from U+0020 to U+00FF (0 for
// the control characters U+007F..U+009F), in hundredths of a pixel, as Chromium lays the
// font out; the bold face is estimated from them.
#include "platform/ui/text_width.h"

#include <array>
#include <cstdint>

#include "platform/text/utf8.h"

namespace platform {

namespace {

constexpr std::array<std::uint16_t, 0xFF - 0x20 + 1> kRegular = {
    315, 397, 455, 830, 630, 941, 772, 272, 387, 387, 495, 830, 315, 358, 315, 334,
    630, 630, 630, 630, 630, 630, 630, 630, 630, 630, 334, 334, 830, 830, 830, 526,
    990, 706, 679, 692, 763, 626, 570, 768, 745, 292, 292, 649, 552, 855, 741, 779,
    597, 779, 688, 629, 586, 725, 677, 979, 678, 605, 678, 387, 334, 387, 830, 495,
    495, 607, 629, 545, 629, 610, 341, 629, 628, 275, 275, 574, 275, 965, 628, 606,
    629, 629, 389, 516, 388, 628, 586, 810, 586, 586, 520, 630, 334, 630, 830, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    315, 397, 630, 630, 630, 630, 334, 495, 495, 990, 467, 606, 830, 0, 990, 495,
    495, 830, 397, 397, 495, 630, 630, 315, 495, 397, 467, 606, 960, 960, 960, 526,
    706, 706, 706, 706, 706, 677, 965, 692, 626, 626, 626, 626, 292, 292, 292, 292,
    768, 741, 779, 779, 779, 779, 779, 830, 779, 725, 725, 725, 725, 605, 599, 624,
    607, 607, 607, 607, 607, 607, 972, 545, 610, 610, 610, 610, 275, 275, 275, 275,
    606, 628, 606, 606, 606, 606, 606, 830, 606, 628, 628, 628, 628, 586, 629, 586,
};


constexpr char32_t kFirst = 0x20;
constexpr char32_t kLast = 0xFF;
// Wider than any character of the table, for the code points it leaves out.
constexpr int kUnknownWidth = 1000;
// The bold face is at most this much wider than the regular one, character by
// character (in percent).
constexpr int kBoldPercent = 126;

int CharWidth(char32_t cp) {
  if (cp < kFirst || cp > kLast) return kUnknownWidth;
  const int width = kRegular[cp - kFirst];
  return width == 0 ? kUnknownWidth : width;
}

}  // namespace

int TextWidth(std::string_view text, bool bold) {
  int hundredths = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t length = 1;
    hundredths += CharWidth(utf8::Decode(text, pos, length));
    pos += length;
  }
  if (bold) hundredths = hundredths * kBoldPercent / 100;
  return (hundredths + 99) / 100;
}

}  // namespace platform
