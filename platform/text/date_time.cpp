#include "platform/text/date_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "platform/core/exceptions.h"
#include "platform/text/ascii_text.h"

namespace platform {
namespace {

using namespace std::chrono;

constexpr sys_days kEpoch = sys_days{year{1899} / December / 30};
constexpr double kMillisecondsPerDay = 86400000.0;

struct Parts {
  int year, month, day, hour, minute, second, millisecond;
};

Parts Split(TDateTime dt) {
  if (!IsValidDateTime(dt)) throw EConvertError("Data fora do intervalo: " + std::to_string(dt.value));
  double days = std::floor(dt.value);
  auto ms = static_cast<long long>(std::llround((dt.value - days) * kMillisecondsPerDay));
  if (ms >= static_cast<long long>(kMillisecondsPerDay)) {  // rounding reached the next day
    days += 1;
    ms = 0;
  }
  const year_month_day ymd{kEpoch + sys_days::duration{static_cast<long long>(days)}};
  return Parts{int(ymd.year()),
               int(unsigned(ymd.month())),
               int(unsigned(ymd.day())),
               int(ms / 3600000),
               int(ms / 60000 % 60),
               int(ms / 1000 % 60),
               int(ms % 1000)};
}

bool HasTime(const Parts& p) { return p.hour || p.minute || p.second || p.millisecond; }

enum class DateStyle { Local, ISO };

// The date (dd/mm/yyyy or yyyy-mm-dd), then its time of day (" hh:nn:ss" or
// "Thh:nn:ss") when it has one.
std::string DateAndTimeText(const Parts& p, DateStyle style) {
  const bool iso = style == DateStyle::ISO;
  char text[32];
  int length = iso ? std::snprintf(text, sizeof text, "%04d-%02d-%02d", p.year, p.month, p.day)
                   : std::snprintf(text, sizeof text, "%02d/%02d/%04d", p.day, p.month, p.year);
  if (HasTime(p))
    std::snprintf(text + length, sizeof text - length, iso ? "T%02d:%02d:%02d" : " %02d:%02d:%02d", p.hour,
                  p.minute, p.second);
  return text;
}

// Reads an unsigned decimal number of 1 to maxDigits digits at text[pos].
std::optional<int> ReadNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits) {
  std::size_t start = pos;
  int value = 0;
  while (pos < text.size() && pos - start < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return value;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
  if (pos < text.size() && text[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

// Reads "h:n[:s]" at pos into the time of day.
std::optional<double> ReadTime(std::string_view text, std::size_t& pos) {
  auto h = ReadNumber(text, pos, 2);
  if (!h || !Expect(text, pos, ':')) return std::nullopt;
  auto n = ReadNumber(text, pos, 2);
  if (!n) return std::nullopt;
  int s = 0;
  if (Expect(text, pos, ':')) {
    auto sec = ReadNumber(text, pos, 2);
    if (!sec) return std::nullopt;
    s = *sec;
  }
  if (*h > 23 || *n > 59 || s > 59) return std::nullopt;
  return EncodeTime(*h, *n, s).value;
}

}  // namespace

bool IsValidDate(int y, int m, int d) {
  // chrono's month and day keep only 8 bits, so 257 would pass as 1: range-check first.
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  return year_month_day{year{y}, month{unsigned(m)}, day{unsigned(d)}}.ok();
}

TDateTime EncodeDate(int y, int m, int d) {
  if (!IsValidDate(y, m, d)) {
    char text[48];
    std::snprintf(text, sizeof text, "Data inválida: %02d/%02d/%04d", d, m, y);
    throw EConvertError(text);
  }
  const sys_days date{year{y} / month{unsigned(m)} / day{unsigned(d)}};
  return TDateTime{static_cast<double>((date - kEpoch).count())};
}

bool IsValidDateTime(TDateTime dt) {
  static const double first = EncodeDate(1, 1, 1).value;
  static const double end = EncodeDate(9999, 12, 31).value + 1.0;
  return std::isfinite(dt.value) && dt.value >= first && dt.value < end;
}

TDateTime EncodeTime(int h, int n, int s, int ms) {
  if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59 || ms < 0 || ms > 999)
    throw EConvertError("Hora inválida");
  return TDateTime{((h * 60.0 + n) * 60.0 + s + ms / 1000.0) / 86400.0};
}

void DecodeDate(TDateTime dt, int& y, int& m, int& d) {
  const Parts p = Split(dt);
  y = p.year;
  m = p.month;
  d = p.day;
}

void DecodeTime(TDateTime dt, int& h, int& n, int& s, int& ms) {
  const Parts p = Split(dt);
  h = p.hour;
  n = p.minute;
  s = p.second;
  ms = p.millisecond;
}

std::string DateToStr(TDateTime dt) {
  const Parts p = Split(dt);
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", p.day, p.month, p.year);
  return text;
}

std::string DateTimeToStr(TDateTime dt) { return DateAndTimeText(Split(dt), DateStyle::Local); }

std::string FormatDateTime(std::string_view format, TDateTime dt) {
  if (format.empty()) return DateTimeToStr(dt);
  const Parts p = Split(dt);
  std::string out;
  auto number = [&out](int value, std::size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    out += digits;
  };
  bool afterHour = false;
  for (std::size_t i = 0; i < format.size();) {
    const char c = format[i];
    if (c == '"' || c == '\'') {
      const std::size_t close = format.find(c, i + 1);
      const std::size_t end = close == std::string_view::npos ? format.size() : close;
      out.append(format.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    const char lower = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    std::size_t run = 1;
    while (i + run < format.size() && (format[i + run] == c)) ++run;
    switch (lower) {
      case 'd': number(p.day, run >= 2 ? 2 : 1); break;
      case 'm':
        if (afterHour) number(p.minute, run >= 2 ? 2 : 1);
        else number(p.month, run >= 2 ? 2 : 1);
        break;
      case 'y': run >= 3 ? number(p.year, 4) : number(p.year % 100, 2); break;
      case 'h': number(p.hour, run >= 2 ? 2 : 1); break;
      case 'n': number(p.minute, run >= 2 ? 2 : 1); break;
      case 's': number(p.second, run >= 2 ? 2 : 1); break;
      case 'z': number(p.millisecond, run >= 3 ? 3 : 1); break;
      default: out.append(run, c); break;
    }
    if (lower == 'h') afterHour = true;
    else if (lower != ':' && lower != ' ' && lower != 'm') afterHour = false;
    else if (lower == 'm') afterHour = false;
    i += run;
  }
  return out;
}

std::optional<TDateTime> TryStrToDateTime(std::string_view text) {
  text = TrimBlanks(text);
  std::size_t pos = 0;
  auto d = ReadNumber(text, pos, 2);
  if (!d || !Expect(text, pos, '/')) return std::nullopt;
  auto m = ReadNumber(text, pos, 2);
  if (!m || !Expect(text, pos, '/')) return std::nullopt;
  std::size_t yearStart = pos;
  auto y = ReadNumber(text, pos, 4);
  if (!y || pos - yearStart != 4 || !IsValidDate(*y, *m, *d)) return std::nullopt;
  double value = EncodeDate(*y, *m, *d).value;
  if (pos < text.size()) {
    if (!Expect(text, pos, ' ')) return std::nullopt;
    while (Expect(text, pos, ' ')) {
    }
    auto time = ReadTime(text, pos);
    if (!time) return std::nullopt;
    value += *time;
  }
  if (pos != text.size()) return std::nullopt;
  return TDateTime{value};
}

TDateTime StrToDateTime(std::string_view text) {
  if (auto dt = TryStrToDateTime(text)) return *dt;
  throw EConvertError("'" + std::string(text) + "' não é uma data válida");
}

std::string DateTimeToISO(TDateTime dt) { return DateAndTimeText(Split(dt), DateStyle::ISO); }

std::optional<TDateTime> TryISOToDateTime(std::string_view text) {
  text = TrimBlanks(text);
  std::size_t pos = 0;
  auto y = ReadNumber(text, pos, 4);
  if (!y || pos != 4 || !Expect(text, pos, '-')) return std::nullopt;
  auto m = ReadNumber(text, pos, 2);
  if (!m || !Expect(text, pos, '-')) return std::nullopt;
  auto d = ReadNumber(text, pos, 2);
  if (!d || !IsValidDate(*y, *m, *d)) return std::nullopt;
  double value = EncodeDate(*y, *m, *d).value;
  if (pos < text.size()) {
    if (!Expect(text, pos, 'T') && !Expect(text, pos, ' ')) return std::nullopt;
    auto time = ReadTime(text, pos);
    if (!time) return std::nullopt;
    value += *time;
  }
  if (pos != text.size()) return std::nullopt;
  return TDateTime{value};
}

}  // namespace platform
