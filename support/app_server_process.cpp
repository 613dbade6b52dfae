#include "support/app_server_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vqrtest {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Starts `args` with standard input read from `in` and standard output and error sent
// to the given files.
pid_t Spawn(const std::vector<std::string>& args, const std::string& out, const std::string& err,
            const std::string& in = "/dev/null") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + args[0] + ": " + std::to_string(rc));
  return pid;
}

int ExitCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Waits up to `limit` for `pid`; -2 when it is still running.
int WaitPid(pid_t pid, std::chrono::milliseconds limit) {
  auto until = std::chrono::steady_clock::now() + limit;
  while (true) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return ExitCode(status);
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() >= until) return -2;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

std::string AppServerPath() { return std::string(VQR_BINARY_DIR) + "/bin/appserver"; }

CommandResult RunAppServer(const std::vector<std::string>& args, std::chrono::seconds timeout,
                           const std::string& input, const std::string& executable) {
  TempDir dir;
  std::vector<std::string> all{executable};
  all.insert(all.end(), args.begin(), args.end());
  std::ofstream(dir.file("in"), std::ios::binary) << input;
  pid_t pid = Spawn(all, dir.file("out"), dir.file("err"), dir.file("in"));
  CommandResult result;
  result.exitCode = WaitPid(pid, timeout);
  if (result.exitCode == -2) {
    kill(pid, SIGKILL);
    result.exitCode = WaitPid(pid, std::chrono::seconds(10));
  }
  result.out = ReadFile(dir.file("out"));
  result.err = ReadFile(dir.file("err"));
  return result;
}

void AddUser(const std::string& database, const std::string& login, const std::string& role,
             const std::string& password) {
  CommandResult added = RunAppServer(
      {"user", "add", "--db", database, login, "--name", "Pessoa " + login, "--role", role, "--test-hash"},
      std::chrono::seconds(60), password + "\n");
  if (added.exitCode != 0) throw std::runtime_error("appserver user add failed: " + added.err);
}

AppServerProcess::AppServerProcess(Options options) {
  std::vector<std::string> args{options.executable, "serve", "--db", options.database, "--listen",
                                "127.0.0.1:" + std::to_string(options.port), "--threads",
                                std::to_string(options.threads)};
  args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());
  pid_ = Spawn(args, dir_.file("out"), dir_.file("err"));
  const std::string marker = "appserver atendendo em ";
  auto until = std::chrono::steady_clock::now() + options.startTimeout;
  while (true) {
    std::string out = ReadFile(dir_.file("out"));
    auto at = out.find(marker);
    auto end = at == std::string::npos ? at : out.find('\n', at);
    if (end != std::string::npos) {
      std::string address = out.substr(at + marker.size(), end - at - marker.size());
      port_ = static_cast<std::uint16_t>(std::stoi(address.substr(address.rfind(':') + 1)));
      return;
    }
    if (!running()) throw std::runtime_error("appserver ended before listening:\n" + log());
    if (std::chrono::steady_clock::now() > until) {
      kill9();
      throw std::runtime_error("appserver did not listen in time:\n" + log());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

AppServerProcess::~AppServerProcess() {
  if (pid_ > 0 && exitCode_ == -1) stop(std::chrono::seconds(10));
}

bool AppServerProcess::running() {
  if (exitCode_ != -1) return false;
  int code = WaitPid(pid_, std::chrono::milliseconds(0));
  if (code == -2) return true;
  exitCode_ = code;
  return false;
}

int AppServerProcess::waitFor(std::chrono::milliseconds limit) {
  if (exitCode_ != -1) return exitCode_;
  int code = WaitPid(pid_, limit);
  if (code != -2) exitCode_ = code;
  return code;
}

void AppServerProcess::kill9() {
  if (!running()) return;
  kill(pid_, SIGKILL);
  waitFor(std::chrono::seconds(10));
}

int AppServerProcess::stop(std::chrono::milliseconds grace) {
  if (!running()) return exitCode_;
  kill(pid_, SIGTERM);
  if (waitFor(grace) == -2) kill9();
  return exitCode_;
}

std::string AppServerProcess::log() const { return ReadFile(dir_.file("err")); }

}  // namespace vqrtest
