#pragma once
// TServerList: the application servers a program may call, in the order it prefers
// them, and the one in use. One list is shared by every connection of the program
// (TSocketConnection::SetServerList), so when the server in use stops answering, all
// of them go on with the next one, instead of each finding out on its own.
//
//   auto servers = std::make_shared<TServerList>(ParseServerList("10.0.0.7:5151,10.0.0.8:5151"));
//   net.SetServerList(servers);
//
// After the last server of the list the first is tried again.
//
// Not thread-safe, like the connections: it belongs to the program's UI thread.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct TServerAddress {
  std::string host;
  int port = 0;
  std::string text() const { return host + ":" + std::to_string(port); }
  bool operator==(const TServerAddress&) const = default;
};

// "host:port" addresses separated by commas (spaces around them ignored); raises
// EConvertError naming the address that is not one.
std::vector<TServerAddress> ParseServerList(std::string_view text);

class TServerList {
 public:
  // Raises EConvertError when `servers` is empty.
  explicit TServerList(std::vector<TServerAddress> servers);

  const std::vector<TServerAddress>& Servers() const noexcept { return servers_; }
  std::size_t Size() const noexcept { return servers_.size(); }
  const TServerAddress& Current() const noexcept { return servers_[current_]; }
  // `server` stopped answering: when it is still the one in use, the next one is.
  void Failed(const TServerAddress& server);

 private:
  std::vector<TServerAddress> servers_;
  std::size_t current_ = 0;
};

}  // namespace platform
