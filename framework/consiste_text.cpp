// Consiste's text helpers: emptiness, padding, registration numbers, masks, dates.
#include <algorithm>

#include "contracts/framework/consiste.h"
#include "platform/data/field.h"
#include "platform/text/ascii_text.h"
#include "platform/text/date_time.h"
#include "platform/text/utf8.h"

namespace Consiste {

namespace {

using platform::IsBlank;

std::string Trimmed(const std::string& text) { return std::string(platform::TrimBlanks(text)); }

}  // namespace

bool EmptyString(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == '/' || IsBlank(c); });
}

std::string Ajusta(const std::string& text, int width) {
  std::string value = Trimmed(text);
  const auto length = static_cast<int>(platform::utf8::Length(value));
  if (length >= width) return value;
  return std::string(static_cast<std::size_t>(width - length), '0') + value;
}

std::string Ajusta_Inscricao(std::string& registration) {
  std::string digits;
  for (char c : registration)
    if (c >= '0' && c <= '9') digits += c;
  registration = digits;
  if (digits.size() == 11) return "F";
  if (digits.size() == 14) return "J";
  return "";
}

std::string PictPess(const std::string& personKind) {
  const std::string kind = Trimmed(personKind);
  if (kind == "J" || kind == "j") return "00.000.000/0000-00;0;_";
  if (kind == "F" || kind == "f") return "000.000.000-00;0;_";
  return "";
}

std::string DateMask() { return "!99/99/9999;1;_"; }

void DateSetText(platform::TField& field, const std::string& text) {
  if (EmptyString(text)) {
    field.Clear();
    return;
  }
  const auto date = platform::TryStrToDateTime(text);
  if (!date || !platform::IsValidDateTime(*date))
    throw platform::EConvertError("\"" + Trimmed(text) + "\" não é uma data válida. Informe a data como dia/mês/ano (dd/mm/aaaa).");
  field.SetAsDateTime(*date);
}

}  // namespace Consiste
