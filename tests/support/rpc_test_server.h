#pragma once
// An application server listener running in-process on a free loopback port, with a
// registry of test handlers and no database. Stops and joins on destruction.
//
//   vqrtest::TestServer server(registry);
//   platform::TSocketConnection net;
//   vqrtest::PointAt(net, server.port());
//
// The calls it answered are kept (instead of logged) and can be read with calls().
// Link appserver_core to use it.
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/net/socket_connection.h"
#include "server/rpc/server.h"

namespace vqrtest {

// Options for a test server: a free loopback port, a short stop grace.
inline server::rpc::ServerOptions TestOptions() {
  server::rpc::ServerOptions options;
  options.host = "127.0.0.1";
  options.port = 0;
  options.stopGrace = std::chrono::seconds(2);
  return options;
}

class TestServer {
 public:
  explicit TestServer(server::rpc::MethodRegistry registry,
                      server::rpc::ServerOptions options = TestOptions())
      : registry_(std::move(registry)) {
    options.onCall = [this](const server::rpc::CallRecord& record) {
      std::lock_guard lock(mutex_);
      calls_.push_back(record);
    };
    server_ = std::make_unique<server::rpc::Server>(registry_, options);
    thread_ = std::thread([this] {
      server_->run();
      finished_ = true;
    });
  }
  ~TestServer() { stop(); }
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  std::uint16_t port() const { return server_->port(); }
  server::rpc::Server& server() { return *server_; }
  // Stops the server and waits until run() has returned.
  void stop() {
    if (!thread_.joinable()) return;
    server_->stop();
    thread_.join();
  }
  // Waits (up to `limit`) until run() has returned by itself.
  bool waitUntilFinished(std::chrono::milliseconds limit = std::chrono::seconds(5)) const {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!finished_) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  std::vector<server::rpc::CallRecord> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  // Waits (up to `limit`) until the server holds `count` open connections.
  bool waitForConnections(std::size_t count,
                          std::chrono::milliseconds limit = std::chrono::seconds(5)) const {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (server_->connectionCount() != count) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

 private:
  server::rpc::MethodRegistry registry_;
  std::unique_ptr<server::rpc::Server> server_;
  std::thread thread_;
  std::atomic<bool> finished_{false};
  mutable std::mutex mutex_;
  std::vector<server::rpc::CallRecord> calls_;
};

// Points a connection at a loopback port through its BeforeConnect event, as the
// screens' owners do, and counts the connections it made.
inline void PointAt(platform::TSocketConnection& net, std::uint16_t port, int* connects = nullptr,
                    std::string serverName = "VQR51200.rdmTabPreClie") {
  net.SetServerName(std::move(serverName));
  net.BeforeConnect = [&net, port, connects](platform::TObject*) {
    net.SetHost("127.0.0.1");
    net.SetPort(port);
    if (connects) ++*connects;
  };
}

}  // namespace vqrtest
