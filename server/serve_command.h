#pragma once
// `appserver serve`: answers both remote data modules on a TCP address until stopped
// (SIGINT or SIGTERM), with one log line per call on standard error. Once listening
// it prints one line on standard output: "appserver atendendo em <host>:<port>".
#include <cstddef>
#include <string>

#include "server/rpc/server.h"

namespace server {

// The limits that keep connections fair and memory bounded (rpc/server.h) default to
// the listener's own.
struct ServeOptions {
  std::string database;
  std::string listen = "127.0.0.1:5151";
  unsigned threads = 4;
  unsigned idleTimeoutSeconds = rpc::kDefaultIdleTimeoutSeconds;
  unsigned frameTimeoutSeconds = rpc::kDefaultFrameTimeoutSeconds;
  std::size_t maxConnections = rpc::kDefaultMaxConnections;
  std::size_t maxConnectionsPerAddress = rpc::kDefaultMaxConnectionsPerAddress;
  std::size_t memoryBudgetMiB = rpc::kDefaultMemoryBudgetMiB;
};

// Returns when the server is stopped; raises platform::Exception (or
// store::StoreError) when it cannot start: no database, no schema, address in use,
// a limit out of its range.
void RunServe(const ServeOptions& options);

}  // namespace server
