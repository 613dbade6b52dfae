#pragma once
// Dates as the application keeps them: a TDateTime is the number of days since
// 30/12/1899, with the time of day as the fraction. The scale is linear before 1899
// too: -1.25 is 28/12/1899 18:00 (the whole days are floor(value)). Texts follow the application's
// short date format dd/mm/yyyy; the database stores ISO-8601 (yyyy-mm-dd).
#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct TDateTime {
  double value = 0.0;
  friend auto operator<=>(const TDateTime&, const TDateTime&) = default;
};

// Raises EConvertError when the date does not exist (31/02, month 13, year 0).
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
bool IsValidDate(int year, int month, int day);
// True when `dt` is a finite value from 01/01/0001 to 31/12/9999 23:59:59.999. The
// readers and formatters below raise EConvertError on any other value.
bool IsValidDateTime(TDateTime dt);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& millisecond);

// "dd/mm/yyyy", followed by " hh:nn:ss" when the time of day is not midnight.
std::string DateTimeToStr(TDateTime dt);
// "dd/mm/yyyy" only.
std::string DateToStr(TDateTime dt);
// Parses "d/m/yyyy" with an optional " h:n[:s]"; two-digit years are refused.
std::optional<TDateTime> TryStrToDateTime(std::string_view text);
// As TryStrToDateTime, raising EConvertError "'<text>' não é uma data válida".
TDateTime StrToDateTime(std::string_view text);

// Formats with the specifiers d dd (day), m mm (month; minutes right after an hour),
// yy yyyy (year), h hh (hour), n nn (minutes), s ss (seconds), zzz (milliseconds);
// text in single or double quotes and every other character are literal.
// An empty format gives DateTimeToStr.
std::string FormatDateTime(std::string_view format, TDateTime dt);

// "yyyy-mm-dd", followed by "Thh:nn:ss" when the time of day is not midnight.
std::string DateTimeToISO(TDateTime dt);
// Parses "yyyy-mm-dd" with an optional "Thh:nn:ss" or " hh:nn:ss".
std::optional<TDateTime> TryISOToDateTime(std::string_view text);

}  // namespace platform
