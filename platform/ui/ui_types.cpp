#include "platform/ui/ui_types.h"

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

std::string Utf8Encode(char32_t ch) {
  std::string out;
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (ch >> 18));
    out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
  return out;
}

std::u32string Utf8Decode(const std::string& text) {
  std::u32string out;
  std::size_t i = 0;
  while (i < text.size()) {
    auto b = static_cast<unsigned char>(text[i]);
    int extra = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (b >= 0x80 && b < 0xC0) extra = -1;
    bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size() + 0;
    char32_t cp = extra > 0 ? (b & (0x3F >> extra)) : b;
    for (int k = 1; valid && k <= extra; ++k) {
      if (i + static_cast<std::size_t>(k) >= text.size()) { valid = false; break; }
      auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((c & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!valid || extra < 0) {
      out += static_cast<char32_t>(b);
      ++i;
    } else {
      out += cp;
      i += static_cast<std::size_t>(extra) + 1;
    }
  }
  return out;
}

}  // namespace platform
