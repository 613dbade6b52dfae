#include "platform/net/server_list.h"

#include <charconv>

#include "platform/core/exceptions.h"

namespace platform {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

TServerAddress ParseServer(std::string_view text) {
  auto wrong = [&] {
    return EConvertError("Endereço do servidor inválido: '" + std::string(text) + "' (esperado HOST:PORTA)");
  };
  const auto colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 == text.size()) throw wrong();
  int port = 0;
  const std::string_view digits = text.substr(colon + 1);
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (error != std::errc() || end != digits.data() + digits.size() || port <= 0 || port > 65535) throw wrong();
  return {std::string(text.substr(0, colon)), port};
}

}  // namespace

std::vector<TServerAddress> ParseServerList(std::string_view text) {
  std::vector<TServerAddress> servers;
  for (std::size_t start = 0;;) {
    const auto comma = text.find(',', start);
    servers.push_back(ParseServer(Trimmed(text.substr(start, comma - start))));
    if (comma == std::string_view::npos) return servers;
    start = comma + 1;
  }
}

TServerList::TServerList(std::vector<TServerAddress> servers) : servers_(std::move(servers)) {
  if (servers_.empty()) throw EConvertError("Nenhum servidor de aplicação informado");
}

void TServerList::Failed(const TServerAddress& server) {
  if (server == Current()) current_ = (current_ + 1) % servers_.size();
}

}  // namespace platform
