#include "server/rpc/printable_text.h"

#include <fmt/format.h>

#include "platform/text/utf8.h"

namespace server::rpc {
namespace {

constexpr std::size_t kKeptDigits = 4;

bool IsLineBreaking(char32_t cp) noexcept {
  return cp < 0x20 || (cp >= 0x7f && cp <= 0x9f) || cp == 0x2028 || cp == 0x2029;
}

void AppendEscaped(std::string& out, char32_t cp) {
  switch (cp) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  out += cp < 0x100 ? fmt::format("\\x{:02x}", static_cast<unsigned>(cp))
                    : fmt::format("\\u{:04x}", static_cast<unsigned>(cp));
}

}  // namespace

std::string PrintableExcerpt(std::string_view text, std::size_t maxChars) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t chars = 0; pos < text.size() && chars < maxChars; ++chars) {
    std::size_t length = 1;
    const char32_t cp = platform::utf8::Decode(text, pos, length);
    if (cp == '\\')
      out += "\\\\";
    else if (IsLineBreaking(cp))
      AppendEscaped(out, cp);
    else
      out.append(text.substr(pos, length));
    pos += length;
  }
  if (pos < text.size()) out += fmt::format("…(+{} bytes)", text.size() - pos);
  return out;
}

std::string MaskedRegistration(std::string_view number) {
  std::string masked(number);
  std::size_t kept = 0;
  for (auto c = masked.rbegin(); c != masked.rend(); ++c) {
    if (*c < '0' || *c > '9') continue;
    if (kept < kKeptDigits)
      ++kept;
    else
      *c = '*';
  }
  return PrintableExcerpt(masked, kLoggedValueChars);
}

}  // namespace server::rpc
