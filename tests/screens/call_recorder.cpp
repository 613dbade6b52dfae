#include "tests/screens/call_recorder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/net/frame_reader.h"

namespace screenstest {

namespace {

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

bool SendAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

}  // namespace

struct CallRecorder::Relay {
  int client = -1;
  int server = -1;
  std::thread requests;
  std::thread answers;

  // Ends both directions: each thread's blocking read returns.
  void cut() const {
    ::shutdown(client, SHUT_RDWR);
    ::shutdown(server, SHUT_RDWR);
  }
};

CallRecorder::CallRecorder(std::uint16_t upstreamPort) : upstreamPort_(upstreamPort) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 8) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("o gravador de chamadas não conseguiu escutar");
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { acceptLoop(); });
}

CallRecorder::~CallRecorder() {
  stopping_ = true;
  acceptor_.join();
  ::close(listener_);
  for (auto& relay : relays_) {
    relay->cut();
    relay->requests.join();
    relay->answers.join();
    ::close(relay->client);
    ::close(relay->server);
  }
}

void CallRecorder::acceptLoop() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 50) <= 0) continue;
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in upstream = Loopback(upstreamPort_);
    if (::connect(server, reinterpret_cast<const sockaddr*>(&upstream), sizeof upstream) != 0) {
      ::close(server);
      ::close(client);  // the host sees the server gone, as without the relay
      continue;
    }
    auto relay = std::make_unique<Relay>();
    relay->client = client;
    relay->server = server;
    Relay& r = *relay;
    r.requests = std::thread([this, &r] { forwardRequests(r); });
    r.answers = std::thread([&r] {
      char buffer[65536];
      ssize_t received;
      while ((received = ::recv(r.server, buffer, sizeof buffer, 0)) > 0)
        if (!SendAll(r.client, buffer, static_cast<std::size_t>(received))) break;
      r.cut();
    });
    std::lock_guard lock(mutex_);
    relays_.push_back(std::move(relay));
  }
}

void CallRecorder::forwardRequests(Relay& relay) {
  platform::RpcFrameReader reader;
  bool readable = true;
  char buffer[65536];
  ssize_t received;
  while ((received = ::recv(relay.client, buffer, sizeof buffer, 0)) > 0) {
    if (!SendAll(relay.server, buffer, static_cast<std::size_t>(received))) break;
    if (!readable) continue;
    try {
      reader.append(std::string_view(buffer, static_cast<std::size_t>(received)));
      while (auto frame = reader.next()) {
        platform::RpcRequest request = platform::ReadRpcRequest(frame->value);
        record(request.address, std::move(request.params));
      }
    } catch (const std::exception&) {
      readable = false;  // not a request stream: still relayed, no longer recorded
    }
  }
  relay.cut();
}

void CallRecorder::record(const std::string& address, std::vector<platform::Variant> params) {
  std::lock_guard lock(mutex_);
  requests_.emplace_back(address, std::move(params));
}

std::vector<std::vector<platform::Variant>> CallRecorder::calls(const std::string& method) const {
  const std::string address = "rdmTabPreClie." + method;
  std::lock_guard lock(mutex_);
  std::vector<std::vector<platform::Variant>> found;
  for (const auto& [name, params] : requests_)
    if (name == address) found.push_back(params);
  return found;
}

}  // namespace screenstest
