#include "platform/ui/ui_types.h"

#include "platform/text/utf8.h"

namespace platform {

const char* ColorName(TColor color) noexcept {
  static constexpr const char* kNames[] = {
      "clDefault", "clWindow", "clWindowText", "clBtnFace", "clBtnText", "clInfoBk",
      "clInfoText", "clHighlight", "clHighlightText", "clGrayText", "clBlack", "clWhite",
      "clBlue", "clNavy", "clRed", "clMaroon", "clGreen", "clLime", "clYellow", "clOlive",
      "clGray", "clSilver", "clTeal", "clAqua", "clPurple", "clFuchsia"};
  auto i = static_cast<std::size_t>(color);
  return i < std::size(kNames) ? kNames[i] : "clDefault";
}

std::string Utf8Encode(char32_t ch) { return utf8::Encode(ch); }

std::u32string Utf8Decode(const std::string& text) {
  std::u32string out;
  for (std::size_t pos = 0, length = 0; pos < text.size(); pos += length)
    out += utf8::Decode(text, pos, length);
  return out;
}

}  // namespace platform
