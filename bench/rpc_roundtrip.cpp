// Remote call round trip: a trivial call through TSocketConnection and the listener
// (frame encoding, frame reading, dispatch to a worker, reply) against a bare TCP echo
// of the same request bytes over the same loopback, measured in the same run.
//
//   bench_rpc_roundtrip [seconds per side, default 2]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "contracts/server/result_envelope.h"
#include "platform/net/rpc_frame.h"
#include "platform/net/socket_connection.h"
#include "platform/variant/codec.h"
#include "server/rpc/server.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
  double callsPerSecond = 0;
  double p50Micros = 0;
  double p99Micros = 0;
};

template <class RoundTrip>
Figures Measure(double seconds, RoundTrip roundTrip) {
  for (int i = 0; i < 200; ++i) roundTrip();  // warm up
  std::vector<double> micros;
  const auto start = Clock::now();
  const auto until = start + std::chrono::duration<double>(seconds);
  while (Clock::now() < until) {
    const auto before = Clock::now();
    roundTrip();
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - before).count());
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  std::sort(micros.begin(), micros.end());
  return {micros.size() / elapsed, micros[micros.size() / 2], micros[micros.size() * 99 / 100]};
}

int Listen(std::uint16_t& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(fd, 1);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

bool ReadExactly(int fd, char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::recv(fd, data, size, 0);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void NoDelay(int fd) {
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// Echoes blocks of `size` bytes back until the peer closes.
Figures MeasureEcho(double seconds, const std::string& bytes) {
  std::uint16_t port = 0;
  int listener = Listen(port);
  std::thread echo([&] {
    int fd = ::accept(listener, nullptr, nullptr);
    NoDelay(fd);
    std::string block(bytes.size(), '\0');
    while (ReadExactly(fd, block.data(), block.size()) && WriteAll(fd, block.data(), block.size())) {
    }
    ::close(fd);
  });
  int client = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
  NoDelay(client);
  std::string back(bytes.size(), '\0');
  Figures figures = Measure(seconds, [&] {
    if (!WriteAll(client, bytes.data(), bytes.size()) ||
        !ReadExactly(client, back.data(), back.size()))
      std::abort();
  });
  ::close(client);
  echo.join();
  ::close(listener);
  return figures;
}

Figures MeasureCall(double seconds) {
  server::rpc::MethodRegistry registry;
  registry.add("rdmTabPreClie.Eco", [](std::vector<platform::Variant>& params) {
    return contracts::server::MakeSuccess(params[0]);
  });
  server::rpc::ServerOptions options;
  options.port = 0;
  options.onCall = {};  // no log line per call: the bench measures the transport
  server::rpc::Server server(registry, options);
  std::thread serving([&] { server.run(); });
  platform::TSocketConnection net;
  net.SetServerName("VQR51200.rdmTabPreClie");
  net.SetPort(server.port());
  std::string code = "000123";
  Figures figures = Measure(seconds, [&] { net.Call("Eco", {platform::Var(code)}); });
  net.Close();
  server.stop();
  serving.join();
  return figures;
}

void Print(const char* name, const Figures& f) {
  std::printf("%-22s %10.0f calls/s   p50 %7.1f us   p99 %7.1f us\n", name, f.callsPerSecond,
              f.p50Micros, f.p99Micros);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  const std::string request = platform::EncodeVariant(
      platform::RpcRequestFrame({1, "rdmTabPreClie.Eco", {platform::Variant("000123")}}));
  Figures echo = MeasureEcho(seconds, request);
  Figures call = MeasureCall(seconds);
  Print("bare TCP echo", echo);
  Print("remote call", call);
  std::printf("remote call / echo:    %.2fx the time per round trip (p50 %.2fx)\n",
              echo.callsPerSecond / call.callsPerSecond, call.p50Micros / echo.p50Micros);
  return 0;
}
