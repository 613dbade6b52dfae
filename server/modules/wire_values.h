#pragma once
// Reading the values the screens send: dates as "dd/mm/yyyy" texts, registration
// numbers, product codes and ranges, flags. Anything unreadable raises Refusal with a
// Portuguese text naming the value.
#include <optional>
#include <string>
#include <string_view>

namespace server::modules {

// A validity date: "" is no date; "dd/mm/yyyy" optionally followed by a midnight time
// ("00:00[:00]"). Returns the date as ISO-8601 text (yyyy-mm-dd). A validity runs by
// whole days, so another time of day is refused. `label` names the field
// ("Data inicial").
std::optional<std::string> ReadValidityDate(std::string_view text, std::string_view label);

// Checks a validity period: an end needs a start, and the start comes first.
void CheckValidityPeriod(const std::optional<std::string>& start, const std::optional<std::string>& end);

// The digits of a registration number ("11.222.333/0001-81" -> "11222333000181").
std::string DigitsOnly(std::string_view text);

// A product code as the screens send it: blanks around and the mask's dots removed.
std::string ProductCode(std::string_view text);

// A product code range; an empty end is open. `last` also covers the codes below it
// in the tree ("101" .. "102" includes "102005").
struct ProductRange {
  std::string first;
  std::string last;
};
ProductRange ReadProductRange(std::string_view first, std::string_view last);

// The level of the priced products (the client's TtNiveis), at least 1.
int ReadLevels(std::int64_t levels);

// "S" or "N".
bool ReadYesNo(std::string_view flag, std::string_view label);

}  // namespace server::modules
