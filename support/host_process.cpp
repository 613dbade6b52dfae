#include "support/host_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace testsupport {

using nlohmann::json;

HostProcess::HostProcess() : HostProcess(Options{}) {}

HostProcess::HostProcess(Options options) { start(std::move(options)); }

HostProcess::~HostProcess() {
  try {
    finish();
  } catch (...) {
  }
}

void HostProcess::start(Options options) {
  options_ = std::move(options);
  if (options_.hostPath.empty()) options_.hostPath = std::string(VQR_BINARY_DIR) + "/bin/host";
  if (options_.module.empty()) options_.module = std::string(VQR_BINARY_DIR) + "/lib/TestModule.so";
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
    throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::vector<std::string> args = {options_.hostPath, "--stdio", "--module", options_.module};
  if (!options_.user.empty()) {
    args.insert(args.end(), {"--user", options_.user});
    options_.env["VQR_PASSWORD"] = options_.password;
  }
  if (std::find(options_.extraArgs.begin(), options_.extraArgs.end(), "--server") == options_.extraArgs.end())
    args.insert(args.end(), {"--server", "127.0.0.1:1"});
  args.insert(args.end(), options_.extraArgs.begin(), options_.extraArgs.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('='));
    if (!options_.env.count(name)) envStrings.push_back(entry);
  }
  for (auto& [k, v] : options_.env) envStrings.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  int rc = posix_spawn(&pid_, options_.hostPath.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  toHost_ = in[1];
  fromHost_ = out[0];
  if (rc != 0) {
    ::close(toHost_);
    ::close(fromHost_);
    pid_ = -1;
    throw std::runtime_error("não foi possível iniciar " + options_.hostPath + ": " + std::strerror(rc));
  }
  json hello = readMessage();
  if (hello.value("type", "") != "hello") throw std::runtime_error("o host não começou com hello");
  waitFor([](const json& s) { return s.value("idle", false); });
}

json HostProcess::readMessage() {
  auto deadline = std::chrono::steady_clock::now() + options_.timeout;
  for (;;) {
    auto newline = buffer_.find('\n');
    if (newline != std::string::npos) {
      std::string line = buffer_.substr(0, newline);
      buffer_.erase(0, newline + 1);
      lines_.push_back(line);
      try {
        return json::parse(line);
      } catch (const json::exception& e) {
        throw std::runtime_error("linha do host não é JSON: " + line.substr(0, 200));
      }
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) throw std::runtime_error("o host não respondeu a tempo");
    pollfd p{fromHost_, POLLIN, 0};
    int n = ::poll(&p, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("o host não respondeu a tempo");
    char chunk[65536];
    ssize_t got = ::read(fromHost_, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) throw std::runtime_error("o host terminou antes de responder");
    buffer_.append(chunk, static_cast<std::size_t>(got));
  }
}

json HostProcess::waitFor(const std::function<bool(const json&)>& predicate) {
  if (!state_.is_null() && predicate(state_)) return state_;
  for (;;) {
    json message = readMessage();
    if (message.value("type", "") != "state") continue;
    state_ = std::move(message);
    if (predicate(state_)) return state_;
  }
}

json HostProcess::awaitInput(std::uint64_t count) {
  for (;;) {
    json message = readMessage();
    if (message.value("type", "") != "state") continue;
    state_ = std::move(message);
    if (state_.value("idle", false) && state_.value("inputs", std::uint64_t{0}) >= count) return state_;
  }
}

void HostProcess::writeLine(const std::string& line) {
  std::string data = line + "\n";
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(toHost_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("não foi possível escrever para o host");
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

json HostProcess::sendRaw(const std::string& line) {
  writeLine(line);
  return awaitInput(++sent_);
}

json HostProcess::send(const json& message) { return sendRaw(message.dump()); }

json HostProcess::click(const std::string& path) { return send({{"type", "click"}, {"target", path}}); }
json HostProcess::focus(const std::string& path) { return send({{"type", "focus"}, {"target", path}}); }

json HostProcess::key(int vk, KeyFlags flags, std::optional<std::string> ch) {
  json m = {{"type", "key"}, {"vk", vk}, {"shift", flags.shift}, {"ctrl", flags.ctrl}, {"alt", flags.alt}};
  if (ch) m["char"] = *ch;
  else if (vk == 9) m["char"] = "\t";
  else if (vk == 13) m["char"] = "\r";
  else if (vk == 27) m["char"] = "\x1b";
  else if (vk == 8) m["char"] = "\b";
  else m["char"] = nullptr;
  return send(m);
}

json HostProcess::type(const std::string& text) { return send({{"type", "type"}, {"text", text}}); }
json HostProcess::cell(const std::string& grid, int row, int col) {
  return send({{"type", "cell"}, {"target", grid}, {"row", row}, {"col", col}});
}
json HostProcess::scroll(const std::string& grid, int topRow) {
  return send({{"type", "scroll"}, {"target", grid}, {"topRow", topRow}});
}
json HostProcess::pick(const std::string& grid, const std::string& item) {
  return send({{"type", "pick"}, {"target", grid}, {"item", item}});
}
json HostProcess::editButton(const std::string& grid) { return send({{"type", "editbutton"}, {"target", grid}}); }
json HostProcess::select(const std::string& combo, int index) {
  return send({{"type", "select"}, {"target", combo}, {"index", index}});
}
json HostProcess::mark(const std::string& grid, int row) {
  return send({{"type", "mark"}, {"target", grid}, {"row", row}});
}
json HostProcess::close(const std::string& window) { return send({{"type", "close"}, {"target", window}}); }
json HostProcess::resize(int width, int height) {
  return send({{"type", "resize"}, {"width", width}, {"height", height}});
}

json FindControl(const json& window, const std::string& name) {
  auto it = window.find("controls");
  if (it == window.end()) return nullptr;
  for (const json& c : *it) {
    if (c.value("name", "") == name) return c;
    json inner = FindControl(c, name);
    if (!inner.is_null()) return inner;
  }
  return nullptr;
}

json HostProcess::window(const std::string& name) const {
  if (!state_.contains("windows")) return nullptr;
  const json& windows = state_["windows"];
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if (it->value("name", "") == name) return *it;
  return nullptr;
}

json HostProcess::control(const std::string& path) const {
  auto dot = path.find('.');
  json w = window(path.substr(0, dot));
  if (w.is_null() || dot == std::string::npos) return w;
  return FindControl(w, path.substr(dot + 1));
}

std::string HostProcess::focusPath() const {
  return state_.contains("focus") && state_["focus"].is_string() ? state_["focus"].get<std::string>() : "";
}

std::string HostProcess::activeForm() const {
  return state_.contains("activeForm") && state_["activeForm"].is_string() ? state_["activeForm"].get<std::string>()
                                                                            : "";
}

std::optional<std::string> HostProcess::error() const {
  if (state_.contains("error") && state_["error"].is_string()) return state_["error"].get<std::string>();
  return std::nullopt;
}

std::optional<json> HostProcess::messageBox() const {
  if (!state_.contains("windows") || state_["windows"].empty()) return std::nullopt;
  const json& top = state_["windows"].back();
  if (top.value("kind", "") == "message") return top;
  return std::nullopt;
}

json HostProcess::answer(const std::string& button) {
  auto box = messageBox();
  if (!box) throw std::runtime_error("nenhuma caixa de mensagem aberta para responder " + button);
  return click(box->value("name", "dlgMessage") + "." + button);
}

int HostProcess::finish() {
  if (exitStatus_) return *exitStatus_;
  if (toHost_ >= 0) {
    ::close(toHost_);
    toHost_ = -1;
  }
  return awaitExit();
}

int HostProcess::signal(int number) {
  if (exitStatus_) return *exitStatus_;
  if (pid_ > 0) ::kill(pid_, number);
  return awaitExit();
}

int HostProcess::awaitExit() {
  if (pid_ <= 0) return -1;
  auto deadline = std::chrono::steady_clock::now() + options_.timeout;
  int status = 0;
  for (;;) {
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    // Drain output so the host never blocks writing its last states.
    pollfd p{fromHost_, POLLIN, 0};
    if (::poll(&p, 1, 20) > 0) {
      char chunk[65536];
      ssize_t got = ::read(fromHost_, chunk, sizeof chunk);
      if (got > 0) buffer_.append(chunk, static_cast<std::size_t>(got));
    }
  }
  if (fromHost_ >= 0) {
    ::close(fromHost_);
    fromHost_ = -1;
  }
  pid_ = -1;
  exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return *exitStatus_;
}

}  // namespace testsupport
