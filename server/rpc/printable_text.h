#pragma once
// Texts that came from a client, made safe to print inside one line of a log or of a
// refusal: nothing in them can start a line of its own, and none runs for megabytes.
//
// Control characters (C0, DEL, C1), the Unicode line and paragraph separators and the
// backslash are written as escapes ("\n", "\r", "\t", "\x1b", "\u2028", "\\"), so a
// printed value reads back unambiguously. A text of more than `maxChars` characters is
// cut on a character boundary and ends in "…(+N bytes)", N the bytes left out.
#include <cstddef>
#include <string>
#include <string_view>

namespace server::rpc {

// A value in a log line.
inline constexpr std::size_t kLoggedValueChars = 200;
// A value quoted by a refusal the screens show.
inline constexpr std::size_t kQuotedValueChars = 40;

std::string PrintableExcerpt(std::string_view text, std::size_t maxChars);

// A registration number (CPF or CNPJ) for a log: every digit but the last four
// replaced by '*' ("11222333000181" -> "**********0181"), then made printable.
std::string MaskedRegistration(std::string_view number);

}  // namespace server::rpc
