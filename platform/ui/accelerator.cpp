#include "platform/ui/accelerator.h"

#include "platform/text/utf8.h"
#include "platform/ui/ui_types.h"

namespace platform {

char32_t AcceleratorOf(std::string_view caption) {
  const std::u32string text = Utf8Decode(std::string(caption));
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != U'&') continue;
    if (text[i + 1] == U'&') {
      ++i;
      continue;
    }
    return utf8::ToUpper(text[i + 1]);
  }
  return 0;
}

bool IsAcceleratorKey(std::string_view caption, std::uint16_t key) {
  const bool letterOrDigit = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
  return letterOrDigit && AcceleratorOf(caption) == static_cast<char32_t>(key);
}

}  // namespace platform
