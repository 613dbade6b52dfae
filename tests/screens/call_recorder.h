#pragma once
// CallRecorder: a relay on a free loopback port between the host and the appserver. It
// passes every byte through unchanged, both ways, and keeps each request the host sends
// (the method and its arguments exactly as they went on the wire), so a test sees what
// a screen sent, in order and of which kind.
//
//   CallRecorder recorder(server.port());
//   ... host --server 127.0.0.1:<recorder.port()> ...
//   auto calls = recorder.calls("SetCopiaPreco");   // arguments of each call, in order
//
// Each connection the host opens gets its own connection to the appserver; when either
// side closes, the other is closed too. The destructor closes everything and joins.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/variant/variant.h"

namespace screenstest {

class CallRecorder {
 public:
  explicit CallRecorder(std::uint16_t upstreamPort);
  ~CallRecorder();
  CallRecorder(const CallRecorder&) = delete;
  CallRecorder& operator=(const CallRecorder&) = delete;

  std::uint16_t port() const noexcept { return port_; }
  // The arguments of every call of rdmTabPreClie.<method> so far, oldest first.
  std::vector<std::vector<platform::Variant>> calls(const std::string& method) const;

 private:
  struct Relay;
  void acceptLoop();
  void forwardRequests(Relay& relay);
  void record(const std::string& address, std::vector<platform::Variant> params);

  std::uint16_t upstreamPort_;
  std::uint16_t port_ = 0;
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<Relay>> relays_;
  std::vector<std::pair<std::string, std::vector<platform::Variant>>> requests_;
};

}  // namespace screenstest
