#pragma once
// ProtocolSession: one front end's conversation with the host, independent of the
// transport (stdio lines, WebSocket frames).
//
// The front end calls receive() with each text message, from any thread; the message
// is queued as one input of the application and handled on the UI thread. Outgoing
// messages go through the send callback, always on the UI thread: first
// {"type":"hello","protocol":1} and a state (after start()), then a state with
// idle:true after every input is handled (or when a modal loop starts waiting), and
// states with idle:false whenever a handler shows the screen at once (Repaint, wait
// animation). A refused input changes nothing and the next state carries its text in
// `error`; the states of the following input carry null again.
//
// Lifetime: create with ProtocolSession::create, call start() once; call stop() when
// the transport closes (any thread): the session detaches on the UI thread and sends
// nothing afterwards.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "host/uploaded_file.h"

namespace host {

class ProtocolSession : public std::enable_shared_from_this<ProtocolSession> {
 public:
  using Send = std::function<void(const std::string& message)>;
  static constexpr int kProtocolVersion = 1;
  // A longer message is refused without being parsed.
  static constexpr std::size_t kMaxMessageBytes = 1 << 20;

  static std::shared_ptr<ProtocolSession> create(Send send);

  void start();
  void receive(std::string message);
  // A file the front end uploaded for the edit at `target`, as a `file` input naming
  // it; the edit keeps the file while it names it (a refused input drops it at once).
  void receiveFile(std::string target, std::shared_ptr<const UploadedFile> file);
  void stop();

  // The state message as it would be sent now (UI thread).
  nlohmann::json stateMessage(bool idle);

 private:
  explicit ProtocolSession(Send send) : send_(std::move(send)) {}
  void handle(const std::string& message);
  // Runs one input, recording its refusal for the next state.
  void apply(const std::function<void()>& input);
  void present(bool idle);

  Send send_;
  int presenterId_ = 0;
  bool stopped_ = false;
  std::uint64_t seq_ = 0;
  std::uint64_t handled_ = 0;
  std::optional<std::string> error_;
};

}  // namespace host
