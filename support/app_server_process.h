#pragma once
// AppServerProcess: a real `appserver serve` process on a free loopback port, for
// end-to-end tests and benchmarks. Its standard output and error go to files, so a
// chatty server never blocks on a full pipe; log() reads what it wrote so far.
//
//   vqrtest::AppServerProcess server({.database = path});
//   platform::TSocketConnection net;
//   vqrtest::PointAt(net, server.port());       // tests/support/rpc_test_server.h
//   ...
//   server.kill9();                              // or let the destructor stop it
//
// RunAppServer runs another command of the executable (`init ...`) to its end.
//
// A server asks every connection to sign in: fixtures add kTestUser (AddUser, or
// AddTestUser in process) and sign in as it.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vqrtest {

// The build's appserver executable.
std::string AppServerPath();

struct CommandResult {
  int exitCode = -1;  // 128 + signal when killed by one
  std::string out;
  std::string err;
};
// Runs the appserver (the build's, or the `executable` given) with `args` and `input`
// on its standard input, and waits for it (killing it after `timeout`).
CommandResult RunAppServer(const std::vector<std::string>& args,
                           std::chrono::seconds timeout = std::chrono::seconds(300), const std::string& input = {},
                           const std::string& executable = AppServerPath());

// The user every fixture signs in as (role admin: every method) and its password.
inline constexpr const char* kTestUser = "teste";
inline constexpr const char* kTestPassword = "senha-de-teste";
// Adds a user to the database with `appserver user add --test-hash` (a hash of the
// cost of tests); raises std::runtime_error when the command fails.
void AddUser(const std::string& database, const std::string& login = kTestUser, const std::string& role = "admin",
             const std::string& password = kTestPassword);

class AppServerProcess {
 public:
  struct Options {
    std::string database;
    unsigned threads = 4;
    std::chrono::milliseconds startTimeout{20000};
    std::uint16_t port = 0;  // 0: a free port; a given one lets a restarted server take its place
    std::vector<std::string> extraArgs{};  // more options of `serve`
    std::string executable = AppServerPath();  // another build's, to compare with
  };

  // Starts the server and waits until it listens; raises std::runtime_error (with its
  // log) when it exits or stays silent instead.
  explicit AppServerProcess(Options options);
  // Stops the server (SIGTERM, then SIGKILL after a grace period) unless it ended.
  ~AppServerProcess();
  AppServerProcess(const AppServerProcess&) = delete;
  AppServerProcess& operator=(const AppServerProcess&) = delete;

  std::uint16_t port() const noexcept { return port_; }
  pid_t pid() const noexcept { return pid_; }
  bool running();

  // SIGKILL: no chance to finish anything; returns once the process is gone.
  void kill9();
  // SIGTERM and wait; returns the exit code (128 + signal when killed).
  int stop(std::chrono::milliseconds grace = std::chrono::seconds(15));

  std::string log() const;

 private:
  int waitFor(std::chrono::milliseconds limit);

  TempDir dir_;
  pid_t pid_ = -1;
  int exitCode_ = -1;
  std::uint16_t port_ = 0;
};

}  // namespace vqrtest
