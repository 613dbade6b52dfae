#include "contracts/server/customer_list.h"

#include <unordered_set>

#include "platform/text/utf8.h"

namespace contracts::server {
namespace {

// An item as a refusal quotes it: its first characters, a control character as "?",
// so a megabyte of anything still makes a one-line message.
std::string Quoted(std::string_view item) {
  constexpr std::size_t kQuotedChars = 40;
  std::string quoted;
  std::size_t chars = 0, pos = 0;
  for (; pos < item.size() && chars < kQuotedChars; ++chars) {
    std::size_t length = 0;
    const char32_t cp = platform::utf8::Decode(item, pos, length);
    if (cp < 0x20 || (cp >= 0x7f && cp < 0xa0))
      quoted += '?';
    else
      platform::utf8::Append(quoted, cp);
    pos += length;
  }
  if (pos < item.size()) quoted += "…";
  return quoted;
}

}  // namespace

std::string EncodeCustomerList(const std::vector<std::string>& codes) {
  std::string list;
  for (const std::string& code : codes) {
    if (code.empty() || code.find(kCustomerListSeparator) != std::string::npos)
      throw ECustomerList("Código de cliente impróprio para uma lista: '" + Quoted(code) + "'.");
    if (!list.empty()) list += kCustomerListSeparator;
    list += code;
  }
  return list;
}

std::vector<std::string> DecodeCustomerList(std::string_view list) {
  std::vector<std::string> codes;
  if (list.empty()) return codes;
  std::unordered_set<std::string_view> seen;
  std::size_t position = 0;
  for (std::size_t start = 0;; ++position) {
    const std::size_t end = list.find(kCustomerListSeparator, start);
    const std::string_view item = list.substr(start, end == std::string_view::npos ? end : end - start);
    if (item.empty())
      throw ECustomerList("Lista de clientes inválida: item vazio na posição " + std::to_string(position + 1) + ".");
    if (seen.insert(item).second) codes.emplace_back(item);
    if (end == std::string_view::npos) return codes;
    start = end + 1;
  }
}

}  // namespace contracts::server
