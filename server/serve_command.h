#pragma once
// `appserver serve`: answers both remote data modules on a TCP address until stopped
// (SIGINT or SIGTERM), with one log line per call on standard error. Once listening
// it prints one line on standard output: "appserver atendendo em <host>:<port>".
#include <string>

namespace server {

struct ServeOptions {
  std::string database;
  std::string listen = "127.0.0.1:5151";
  unsigned threads = 4;
};

// Returns when the server is stopped; raises platform::Exception (or
// store::StoreError) when it cannot start: no database, no schema, address in use.
void RunServe(const ServeOptions& options);

}  // namespace server
