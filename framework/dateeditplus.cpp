#include "contracts/framework/dateeditplus.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include <nlohmann/json.hpp>

#include "contracts/framework/consiste.h"
#include "platform/core/exceptions.h"

namespace Dateeditplus {

namespace {

// The time of day now, as the fraction of a day TDateTime keeps.
double TimeOfDayNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  return platform::EncodeTime(local.tm_hour, local.tm_min, local.tm_sec).value;
}

}  // namespace

TDateEditPlus::TDateEditPlus(platform::TComponent* owner) : platform::TCustomMaskEdit(owner) {
  SetBounds(0, 0, 89, 21);
  SetColor(platform::clWindow);
  SetEditMask(Consiste::DateMask());
}

std::string TDateEditPlus::Text() const { return IsBlank() ? std::string() : platform::TCustomMaskEdit::Text(); }

std::optional<platform::TDateTime> TDateEditPlus::TryGetDate() const {
  if (IsBlank()) return std::nullopt;
  return platform::TryStrToDateTime(Text());
}

void TDateEditPlus::CheckValidDate() const {
  if (IsBlank() || TryGetDate()) return;
  throw platform::EConvertError("\"" + platform::TCustomMaskEdit::Text() +
                                "\" não é uma data válida. Informe a data como dia/mês/ano (dd/mm/aaaa).");
}

platform::TDateTime TDateEditPlus::GetDate() const {
  CheckValidDate();
  const auto date = TryGetDate();
  if (!date) return platform::TDateTime{};
  return SaveTime ? platform::TDateTime{date->value + TimeOfDayNow()} : *date;
}

void TDateEditPlus::SetDate(platform::TDateTime date) {
  SetText(date.value == 0 ? std::string() : platform::DateToStr(date));
}

void TDateEditPlus::WriteFields(nlohmann::json& out) const {
  platform::TCustomMaskEdit::WriteFields(out);
  if (const auto date = TryGetDate()) {
    out["font"]["color"] = platform::ColorName(ValidColor);
    const int weekday = static_cast<int>(std::floor(date->value) + 6) % 7;  // 30/12/1899 was a Saturday
    out["weekday"] = WeekDays[static_cast<std::size_t>((weekday + 7) % 7)];
  }
}

}  // namespace Dateeditplus
