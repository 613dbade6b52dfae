#include "server/modules/wire_values.h"

#include <cstdint>

#include "platform/text/ascii_text.h"
#include "platform/text/date_time.h"
#include "server/modules/refusal.h"

namespace server::modules {

std::optional<std::string> ReadValidityDate(std::string_view text, std::string_view label) {
  std::string_view trimmed = platform::TrimBlanks(text);
  if (trimmed.empty()) return std::nullopt;
  auto value = platform::TryStrToDateTime(trimmed);
  if (!value)
    throw Refusal(std::string(label) + " inválida: '" + ShownValue(text) + "'.");
  if (value->value != static_cast<double>(static_cast<std::int64_t>(value->value)))
    throw Refusal(std::string(label) + " inválida: '" + ShownValue(text) +
                  "'. A validade é por dia, sem hora.");
  return platform::DateTimeToISO(*value);
}

void CheckValidityPeriod(const std::optional<std::string>& start, const std::optional<std::string>& end) {
  if (end && !start) throw Refusal("Data inicial deve ser informada.");
  // ISO-8601 texts order like the dates they hold.
  if (start && end && *start > *end) throw Refusal("Data inicial deve ser menor ou igual à data final.");
}

std::string DigitsOnly(std::string_view text) {
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9') digits += c;
  return digits;
}

std::string ProductCode(std::string_view text) {
  std::string code;
  for (char c : platform::TrimBlanks(text))
    if (c != '.') code += c;
  return code;
}

ProductRange ReadProductRange(std::string_view first, std::string_view last) {
  ProductRange range{ProductCode(first), ProductCode(last)};
  if (!range.first.empty() && !range.last.empty() && range.first > range.last)
    throw Refusal("Produto inicial deve ser menor ou igual ao produto final.");
  return range;
}

int ReadLevels(std::int64_t levels) {
  if (levels < 1 || levels > 9)
    throw Refusal("Número de níveis do código de produto inválido: " + std::to_string(levels) + ".");
  return static_cast<int>(levels);
}

bool ReadYesNo(std::string_view flag, std::string_view label) {
  if (flag == "S") return true;
  if (flag == "N") return false;
  throw Refusal(std::string(label) + " deve ser \"S\" ou \"N\", recebido '" + ShownValue(flag) + "'.");
}

}  // namespace server::modules
