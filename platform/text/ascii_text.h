#pragma once
// Helpers for the ASCII part of texts: the blanks around typed values and the letter
// case of names (SQL columns, table names). Bytes outside ASCII are kept as they are,
// so UTF-8 texts pass through unchanged.
//
//   IsBlank(c)        space, tab, line feed, carriage return, vertical tab, form feed
//   TrimBlanks(text)  text without the blanks at either end (a view into text)
//   UpperAscii(text)  text with a..z made A..Z
#include <string>
#include <string_view>

namespace platform {

bool IsBlank(char c) noexcept;
std::string_view TrimBlanks(std::string_view text) noexcept;
std::string UpperAscii(std::string_view text);

}  // namespace platform
