#pragma once
// The automation front end: one JSON message per line on standard input, one per line
// on standard output (logs go to standard error). End of input ends the host: the
// inputs already read are handled first, then the application terminates.
#include <memory>
#include <thread>

namespace host {

class ProtocolSession;

class StdioFrontEnd {
 public:
  StdioFrontEnd();
  ~StdioFrontEnd();
  // Starts the session and the reader thread.
  void start();

 private:
  std::shared_ptr<ProtocolSession> session_;
  std::thread reader_;
};

}  // namespace host
