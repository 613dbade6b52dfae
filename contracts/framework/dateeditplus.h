#pragma once
// Dateeditplus: TDateEditPlus, the date edit of the screens (snapshot kind "dateedit").
//
// A masked edit with the date mask (Consiste::DateMask, dd/mm/yyyy). Its Text is the
// date as typed ("31/12/2026"), or "" while no digit is typed, so an empty date reads
// empty everywhere (Consiste::EmptyString, the server's texts).
//   CheckValidDate()  raises EConvertError with a Portuguese message when the text is
//                     not empty and not a valid date ("31/02/2026", "12/0 /2026");
//                     an empty date passes.
//   GetDate()         the date typed (0 when empty; raises like CheckValidDate when
//                     invalid). With SaveTime, the time of day of the call is added.
//   SetDate(d)        shows the date (0 clears).
//   ValidColor        the font colour while the text is a valid date (the default
//                     font colour otherwise), so a person sees the date was taken.
//   WeekDays          the names of the days, Sunday first; the snapshot's "weekday"
//                     shows the day of a valid date ("Quarta").
#include <array>
#include <optional>
#include <string>

#include "platform/text/date_time.h"
#include "platform/ui/mask_edit.h"

namespace Dateeditplus {

class TDateEditPlus : public platform::TCustomMaskEdit {
 public:
  explicit TDateEditPlus(platform::TComponent* owner);
  const char* Kind() const override { return "dateedit"; }

  bool SaveTime = false;
  platform::TColor ValidColor = platform::clWindowText;
  std::array<std::string, 7> WeekDays{"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"};

  std::string Text() const override;
  bool IsEmpty() const { return IsBlank(); }
  void CheckValidDate() const;
  platform::TDateTime GetDate() const;
  void SetDate(platform::TDateTime date);
  // The date typed, or nothing when empty or invalid.
  std::optional<platform::TDateTime> TryGetDate() const;

 protected:
  void WriteFields(nlohmann::json& out) const override;
};

}  // namespace Dateeditplus
