#pragma once
// Numbers written as text in a spreadsheet, by the rule of contracts/framework/planilha.h:
// which separator is the decimal one, when a cell shows it, and the value under a
// chosen decimal separator.
#include <optional>
#include <string_view>

namespace framework::sheet {

struct NumberText {
  bool wellFormed = false;  // a sign, "R$", digits and separators only, with digits
  char shownDecimal = 0;    // the decimal separator the text shows, 0 when it shows none
  bool needsConvention = false;  // one separator before exactly three digits: "1.234", "12,500"
};

NumberText ExamineNumber(std::string_view text);

// The value with `decimal` as the decimal separator (the other one separating groups
// of three digits); nullopt when the text does not read so or is not finite.
std::optional<double> ReadNumber(std::string_view text, char decimal);

}  // namespace framework::sheet
