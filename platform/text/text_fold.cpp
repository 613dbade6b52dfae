#include "platform/text/text_fold.h"

#include "platform/text/utf8.h"

namespace platform {
namespace {

// Base letter of a lower-case Latin-1 letter (U+00E0..U+00FF), 0 when it has none.
char32_t BaseLetter(char32_t lower) {
  static constexpr char kBase[32] = {
      'a', 'a', 'a', 'a', 'a', 'a', 0,   'c',  // à á â ã ä å æ ç
      'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',  // è é ê ë ì í î ï
      0,   'n', 'o', 'o', 'o', 'o', 'o', 0,    // ð ñ ò ó ô õ ö ÷
      0,   'u', 'u', 'u', 'u', 'y', 0,   'y',  // ø ù ú û ü ý þ ÿ
  };
  if (lower < 0xE0 || lower > 0xFF) return 0;
  return static_cast<char32_t>(kBase[lower - 0xE0]);
}

char32_t Fold(char32_t cp) {
  const char32_t lower = utf8::ToLower(cp);
  const char32_t base = BaseLetter(lower);
  return base ? base : lower;
}

}  // namespace

std::string FoldForCompare(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0, len = 0; pos < text.size(); pos += len)
    utf8::Append(out, Fold(utf8::Decode(text, pos, len)));
  return out;
}

bool SameTextFolded(std::string_view a, std::string_view b) {
  return FoldForCompare(a) == FoldForCompare(b);
}

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
  return FoldForCompare(text).starts_with(FoldForCompare(prefix));
}

int CompareTextFolded(std::string_view a, std::string_view b) {
  const int c = FoldForCompare(a).compare(FoldForCompare(b));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareFoldedCollation(void*, int lengthA, const void* a, int lengthB, const void* b) {
  return CompareTextFolded(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(lengthA)),
                           std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lengthB)));
}

}  // namespace platform
