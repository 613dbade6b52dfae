#pragma once
// UTF-8 helpers for the application's texts: stepping through code points, and the
// letter classes and case mapping of the Latin-1 range, which covers Portuguese.
//
// Malformed bytes are never an error here: a byte that does not start a valid
// sequence is read as one code point of its own value, so every text can be walked
// and no byte is lost.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform::utf8 {

// The code point starting at text[pos] and its length in bytes (1 to 4).
// pos must be inside the text.
char32_t Decode(std::string_view text, std::size_t pos, std::size_t& length);

// Appends the UTF-8 encoding of a code point.
void Append(std::string& out, char32_t cp);
std::string Encode(char32_t cp);

// Number of code points.
std::size_t Length(std::string_view text);

// Letters: ASCII letters and the letters of Latin-1 (À..ÿ without × and ÷).
bool IsLetter(char32_t cp);
bool IsDigit(char32_t cp);
// Case mapping of ASCII and Latin-1 letters; other code points are returned as given.
char32_t ToUpper(char32_t cp);
char32_t ToLower(char32_t cp);

}  // namespace platform::utf8
