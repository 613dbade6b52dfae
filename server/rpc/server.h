#pragma once
// Server: the application server's listener. It accepts TCP connections, cuts each
// stream into request frames, runs each call's handler on a pool of worker threads
// and writes the responses back, one call at a time per connection, in order.
//
// Reads never wait behind writes: with a pool of writers (writeWorkers above 0) the
// calls `writes` names run there and every other call (reads, sign-in) on the pool of
// `workers`, so a read finds a free worker however many writes wait for locks held in
// the database.
//
// A bad client never harms the others: a malformed or oversized frame gets an error
// reply when its msgid could be read, and its connection is closed when the stream
// cannot be followed any further; an unknown method or wrong arguments get an error
// reply and the connection stays usable.
//
// Fair connections: a connection idle beyond the idle timeout (or that stops reading
// its replies) is closed; a frame must arrive whole within the frame timeout from its
// first byte, however its bytes trickle in. One address holds at most
// maxConnectionsPerAddress connections and the server at most maxConnections, a
// connection in the middle of a frame counting like any other; when a new client finds
// either limit reached, a connection of that address (for its own limit) or of the
// address holding the most connections (for the server's) is closed to make room: its
// oldest unfinished frame, else its connection idle the longest. Only when no such
// connection exists (all run calls) is the new client refused. A client whose idle
// connection was closed reconnects at its next call without an error.
//
// Bounded memory: the bytes every connection buffers and decodes together, and the
// replies waiting for their clients to read them, stay within memoryBudget
// (memory_budget.h); a frame that would pass it is refused with a clear error reply and
// its connection closed; while unread replies fill it, no new call starts (a call that
// waits past the frame timeout is refused without running). A connection that does not
// read its reply is closed after the idle timeout, and the memory a large reply held is
// handed back to the system when its connection closes. A frame may also decode to at
// most a fixed multiple of its size (platform/net/frame_reader.h).
//
// Who may call: with a gate (access_gate.h) every connection must sign in before any
// other call and each call is checked against the user's role; without one every call
// is admitted as made by no one (for in-process uses that have no users). The appserver
// always has one.
//
// TLS: with a certificate and its key, every connection shakes hands over TLS first
// (one that does not within the frame timeout is closed); without, plain TCP.
//
// Construction binds and listens (raising platform::Exception when it cannot), so the
// port is known before run(). run() serves on the calling thread until stop(); stop()
// may be called from any thread: it stops accepting, lets running calls finish and
// send their replies, closes the connections and makes run() return.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "server/rpc/access_gate.h"
#include "server/rpc/call_log.h"
#include "server/rpc/method_registry.h"

namespace server::rpc {

// The defaults of the limits, in the units the appserver's options take them.
inline constexpr std::size_t kDefaultMaxConnections = 256;
inline constexpr std::size_t kDefaultMaxConnectionsPerAddress = 64;
inline constexpr unsigned kDefaultIdleTimeoutSeconds = 120;
inline constexpr unsigned kDefaultFrameTimeoutSeconds = 30;
inline constexpr std::size_t kDefaultMemoryBudgetMiB = 128;

struct ServerOptions {
  std::string host = "127.0.0.1";
  std::uint16_t port = 5151;  // 0: any free port (see Server::port())
  // The calls that run at once: the reads, and with no pool of writers every call.
  unsigned workers = 4;
  // The writes that run at once on a pool of their own; 0: none, writes share `workers`.
  unsigned writeWorkers = 0;
  // Whether the method at an address ("rdmTabPreClie.SetTabPreClie") writes.
  std::function<bool(std::string_view address)> writes;
  std::size_t maxConnections = kDefaultMaxConnections;
  std::size_t maxConnectionsPerAddress = kDefaultMaxConnectionsPerAddress;
  std::chrono::milliseconds idleTimeout = std::chrono::seconds(kDefaultIdleTimeoutSeconds);
  // From the first byte of a frame to its last.
  std::chrono::milliseconds frameTimeout = std::chrono::seconds(kDefaultFrameTimeoutSeconds);
  std::size_t memoryBudget = kDefaultMemoryBudgetMiB << 20;  // bytes
  // How long stop() waits for running calls before closing their connections.
  std::chrono::milliseconds stopGrace = std::chrono::seconds(10);
  // Stop on SIGINT and SIGTERM (for the appserver command).
  bool stopOnSignals = false;
  CallObserver onCall = LogCall;
  std::shared_ptr<AccessGate> gate;
  // PEM files of the server's certificate (with any intermediate ones after it) and of
  // its private key; both empty: no TLS.
  std::string tlsCertificateFile;
  std::string tlsKeyFile;
};

class Server {
 public:
  Server(const MethodRegistry& registry, ServerOptions options = {});
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  std::uint16_t port() const noexcept;
  void run();
  void stop();
  // Open connections, for monitoring and tests.
  std::size_t connectionCount() const noexcept;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

struct ListenAddress {
  std::string host;
  std::uint16_t port = 0;
};
// Reads "host:port" ("127.0.0.1:5151"); raises platform::Exception on a bad text.
ListenAddress ParseListenAddress(std::string_view text);
// Whether a listening host is this machine's alone: "localhost", 127.0.0.0/8, ::1.
bool IsLoopbackHost(std::string_view host);

}  // namespace server::rpc
