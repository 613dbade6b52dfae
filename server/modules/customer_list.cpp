#include "server/modules/customer_list.h"

#include <unordered_set>

#include "server/modules/refusal.h"

namespace server::modules {

std::vector<std::string> ParseCustomerList(std::string_view list) {
  std::vector<std::string> codes;
  if (list.empty()) return codes;
  std::unordered_set<std::string> seen;
  std::size_t start = 0;
  while (true) {
    std::size_t end = list.find(kListSeparator, start);
    std::string_view item = list.substr(start, end == std::string_view::npos ? end : end - start);
    if (item.empty())
      throw Refusal("Lista de clientes inválida: item vazio na posição " +
                    std::to_string(codes.size() + 1) + ".");
    if (item.size() > kMaxCustomerCodeLength)
      throw Refusal("Cliente " + ShownValue(item) + " não cadastrado.");
    if (seen.emplace(item).second) codes.emplace_back(item);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return codes;
}

std::string JoinCustomerList(const std::vector<std::string>& codes) {
  std::string list;
  for (const std::string& code : codes) {
    if (!list.empty()) list += kListSeparator;
    list += code;
  }
  return list;
}

}  // namespace server::modules
