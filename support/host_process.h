#pragma once
// HostProcess: a real `host --stdio` process driven through the UI protocol, for tests
// and benchmarks that go through the host as a person would.
//
//   testsupport::HostProcess host;                 // test module, fresh process
//   host.click("frmHost.mnuTabPreClie");           // -> the state answering the click
//   host.focus("frmTeste.edtA1");
//   host.type("abc");                               // one state after the whole text
//   host.key(VK_TAB);                               // flags: key(vk, {.shift = true})
//   EXPECT_EQ(host.control("frmTeste.edtA1")["text"], "abc");
//   if (host.messageBox()) host.answer("btnYes");   // message boxes, as a person
//   host.waitFor([](const json& s) { return ...; }); // states the host pushes itself
//
// Every call that sends an input returns the idle state that answers that input
// (matched by the state's "inputs" counter), after reading any states pushed before
// it. A host that stays silent past the timeout, exits, or writes a non-JSON line
// raises std::runtime_error. The destructor closes the host's standard input and waits
// for it to end (killing it after the timeout).
//
// The host signs in as `user` (--user, the password in VQR_PASSWORD), the fixtures'
// kTestUser by default; with an empty user it opens its sign-in window instead. Without
// a --server among the extra arguments it is pointed at a loopback port where nothing
// listens, so its sign-in never reaches whatever may serve the default port.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/app_server_process.h"

namespace testsupport {

struct KeyFlags {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

class HostProcess {
 public:
  struct Options {
    std::string hostPath;  // default: the build's bin/host
    std::string module;    // default: the build's lib/TestModule.so
    std::vector<std::string> extraArgs;
    std::map<std::string, std::string> env;  // added to the environment
    std::chrono::milliseconds timeout{15000};
    std::string user = vqrtest::kTestUser;
    std::string password = vqrtest::kTestPassword;
  };

  HostProcess();
  explicit HostProcess(Options options);
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  // --- inputs (each returns the idle state answering it) ---
  nlohmann::json send(const nlohmann::json& message);
  nlohmann::json sendRaw(const std::string& line);
  nlohmann::json click(const std::string& path);
  nlohmann::json focus(const std::string& path);
  nlohmann::json key(int vk, KeyFlags flags = {}, std::optional<std::string> ch = std::nullopt);
  nlohmann::json type(const std::string& text);
  nlohmann::json cell(const std::string& grid, int row, int col);
  nlohmann::json scroll(const std::string& grid, int topRow);
  nlohmann::json pick(const std::string& grid, const std::string& item);
  nlohmann::json editButton(const std::string& grid);
  nlohmann::json select(const std::string& combo, int index);
  nlohmann::json mark(const std::string& grid, int row);
  nlohmann::json close(const std::string& window);
  nlohmann::json resize(int width, int height);

  // Reads states until one satisfies the predicate (the current one counts).
  nlohmann::json waitFor(const std::function<bool(const nlohmann::json&)>& predicate);

  // --- the latest state ---
  const nlohmann::json& state() const noexcept { return state_; }
  // A shown window / a control by "window.control" path; null json when absent.
  nlohmann::json window(const std::string& name) const;
  nlohmann::json control(const std::string& path) const;
  bool hasControl(const std::string& path) const { return !control(path).is_null(); }
  std::string focusPath() const;
  std::string activeForm() const;
  std::optional<std::string> error() const;

  // --- message boxes ---
  // The topmost message box, if one is shown.
  std::optional<nlohmann::json> messageBox() const;
  // Clicks a button of the topmost message box ("btnYes", "btnNo", "btnOK", ...).
  nlohmann::json answer(const std::string& button);

  // Closes standard input and waits for the host; returns its exit status.
  int finish();
  // Sends the signal with standard input still open and waits as finish() does.
  int signal(int number);
  // The raw lines received so far (for diagnostics).
  const std::vector<std::string>& transcript() const noexcept { return lines_; }

 private:
  void start(Options options);
  nlohmann::json readMessage();
  nlohmann::json awaitInput(std::uint64_t count);
  int awaitExit();
  void writeLine(const std::string& line);

  Options options_;
  pid_t pid_ = -1;
  int toHost_ = -1;
  int fromHost_ = -1;
  std::string buffer_;
  std::uint64_t sent_ = 0;
  nlohmann::json state_;
  std::vector<std::string> lines_;
  std::optional<int> exitStatus_;
};

// Finds a control by name inside a window object of a state (depth first).
nlohmann::json FindControl(const nlohmann::json& window, const std::string& name);

}  // namespace testsupport
