#pragma once
// `appserver serve`: answers the remote data modules on a TCP address until stopped
// (SIGINT or SIGTERM), with one log line per call on standard error. Once listening
// it prints one line on standard output: "appserver atendendo em <host>:<port>".
//
// Every connection must sign in with a user of the database (server/access) before any
// other call; sessions expire after `sessionIdleSeconds` without calls. With a
// certificate and key the connections speak TLS. Listening on an address other than
// loopback without TLS is refused, unless `insecure` says the risk is accepted:
// passwords and prices would cross the network in the clear.
#include <cstddef>
#include <string>

#include "server/access/sign_in_gate.h"
#include "server/rpc/server.h"

namespace server {

// The limits that keep connections fair and memory bounded (rpc/server.h) default to
// the listener's own.
struct ServeOptions {
  std::string database;
  std::string listen = "127.0.0.1:5151";
  // Reads (and sign-ins) and writes run on pools of their own, so that no read waits
  // behind writes waiting for locks; each pool has `threads` unless its own size is given.
  unsigned threads = 4;
  unsigned readThreads = 0;
  unsigned writeThreads = 0;
  unsigned idleTimeoutSeconds = rpc::kDefaultIdleTimeoutSeconds;
  unsigned frameTimeoutSeconds = rpc::kDefaultFrameTimeoutSeconds;
  std::size_t maxConnections = rpc::kDefaultMaxConnections;
  std::size_t maxConnectionsPerAddress = rpc::kDefaultMaxConnectionsPerAddress;
  std::size_t memoryBudgetMiB = rpc::kDefaultMemoryBudgetMiB;
  unsigned sessionIdleSeconds = access::kDefaultSessionIdleSeconds;
  unsigned signInAttempts = 5;
  unsigned signInLockSeconds = 300;
  std::string tlsCertificate;
  std::string tlsKey;
  bool insecure = false;
};

// Raises platform::Exception saying why when the address may not be served as asked.
void CheckListening(const rpc::ListenAddress& address, const ServeOptions& options);

// Returns when the server is stopped; raises platform::Exception (or
// store::StoreError) when it cannot start: no database, no schema, address in use,
// a limit out of its range.
void RunServe(const ServeOptions& options);

}  // namespace server
