#include "host/stdio_front_end.h"

#include <cstdio>
#include <iostream>
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

void StdioFrontEnd::start() {
  session_->start();
  reader_ = std::thread([session = session_] {
    std::string line;
    while (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find_first_not_of(" \t") == std::string::npos) continue;
      session->receive(line);
    }
    platform::Application().PostInput([] { platform::Application().Terminate(); });
  });
}

}  // namespace host
