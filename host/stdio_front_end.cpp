#include "host/stdio_front_end.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <string>

#include "host/protocol_session.h"
#include "platform/ui/application.h"

namespace host {

StdioFrontEnd::StdioFrontEnd() {
  session_ = ProtocolSession::create([](const std::string& message) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fwrite(message.data(), 1, message.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  });
}

StdioFrontEnd::~StdioFrontEnd() {
  session_->stop();
  if (reader_.joinable()) reader_.detach();  // it may still wait on a line that never comes
}

// Reads lines from standard input without ever holding more than one message's worth:
// a line longer than the session accepts is cut, and the session refuses it.
static void readLines(const std::shared_ptr<ProtocolSession>& session) {
  constexpr std::size_t kKeep = ProtocolSession::kMaxMessageBytes + 1;
  std::string line;
  bool cut = false;
  char chunk[65536];
  for (;;) {
    ssize_t got = ::read(0, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    for (ssize_t i = 0; i < got; ++i) {
      char c = chunk[i];
      if (c != '\n') {
        if (line.size() < kKeep) line += c;
        else cut = true;
        continue;
      }
      if (!line.empty() && line.back() == '\r' && !cut) line.pop_back();
      if (line.find_first_not_of(" \t") != std::string::npos) session->receive(std::move(line));
      line.clear();
      cut = false;
    }
  }
  if (line.find_first_not_of(" \t\r") != std::string::npos) session->receive(std::move(line));
}

void StdioFrontEnd::start() {
  session_->start();
  reader_ = std::thread([session = session_] {
    readLines(session);
    platform::Application().PostInput([] { platform::Application().Terminate(); });
  });
}

}  // namespace host
