#pragma once
// Plain blocking loopback sockets for tests that must speak bytes no well-behaved peer
// would send: RawClient talks to a server, ScriptedPeer plays a server that follows a
// script. Every wait is bounded so a faulty peer fails a test instead of hanging it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

namespace vqrtest {

// An open socket, closed on destruction.
class RawSocket {
 public:
  RawSocket() = default;
  explicit RawSocket(int fd) : fd_(fd) {}
  RawSocket(RawSocket&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  RawSocket& operator=(RawSocket&& other) noexcept {
    if (this != &other) {
      close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~RawSocket() { close(); }

  int fd() const noexcept { return fd_; }
  bool isOpen() const noexcept { return fd_ >= 0; }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  // Sends all of `bytes`; false when the peer closed or reset the connection.
  bool send(std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  // Receives what arrives within `limit`, up to `maxBytes`; stops early when
  // `enough(bytes)` says so. Sets `closed` when the peer ended the connection.
  std::string receive(std::chrono::milliseconds limit, bool* closed = nullptr,
                      const std::function<bool(const std::string&)>& enough = {},
                      std::size_t maxBytes = 1 << 20) {
    std::string bytes;
    if (closed) *closed = false;
    const auto until = std::chrono::steady_clock::now() + limit;
    char buffer[65536];
    while (bytes.size() < maxBytes && !(enough && enough(bytes))) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          until - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) {
        if (closed) *closed = true;
        break;
      }
      bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
  }

  // True when the peer closes the connection within `limit` (anything it sends first
  // is discarded).
  bool waitForClose(std::chrono::milliseconds limit) {
    bool closed = false;
    receive(limit, &closed, {}, std::size_t(-1));
    return closed;
  }

 private:
  int fd_ = -1;
};

inline RawSocket ConnectLoopback(std::uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    throw std::runtime_error("connect to loopback port " + std::to_string(port) + " failed");
  }
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return RawSocket(fd);
}

// A connection to a loopback port from another loopback address ("127.0.0.2"), so a
// test can play clients of many addresses.
inline RawSocket ConnectLoopbackFrom(std::uint16_t port, const std::string& from) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    throw std::runtime_error("connect from " + from + " to loopback port " + std::to_string(port) + " failed");
  }
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return RawSocket(fd);
}

// A loopback port nothing listens on (bound once, then released).
inline std::uint16_t ClosedLoopbackPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// A server that accepts connections on a loopback port and runs `script` on each, one
// after the other, on its own thread. The script gets the accepted socket; closing it
// (or returning) ends that connection.
class ScriptedPeer {
 public:
  explicit ScriptedPeer(std::function<void(RawSocket&)> script) : script_(std::move(script)) {
    listener_ = RawSocket(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener_.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_.fd(), 16) != 0)
      throw std::runtime_error("scripted peer cannot listen");
    socklen_t length = sizeof address;
    ::getsockname(listener_.fd(), reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  // Ends the connection being served (the script sees it close) and stops.
  ~ScriptedPeer() {
    stopping_ = true;
    if (int fd = current_.load(); fd >= 0) ::shutdown(fd, SHUT_RDWR);
    thread_.join();
  }

  std::uint16_t port() const noexcept { return port_; }
  int accepted() const noexcept { return accepted_.load(); }

 private:
  void serve() {
    while (!stopping_) {
      pollfd p{listener_.fd(), POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      RawSocket connection(::accept(listener_.fd(), nullptr, nullptr));
      if (!connection.isOpen()) continue;
      ++accepted_;
      current_ = connection.fd();
      if (!stopping_) script_(connection);
      current_ = -1;
    }
  }

  std::function<void(RawSocket&)> script_;
  RawSocket listener_;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> accepted_{0};
  std::atomic<int> current_{-1};
  std::thread thread_;
};

}  // namespace vqrtest
