#include "host/protocol_session.h"

#include <nlohmann/json.hpp>
#include <spdlog/spdlog.h>

#include "host/input_dispatcher.h"
#include "platform/ui/application.h"
#include "platform/ui/snapshot.h"

namespace host {

using platform::Application;

std::shared_ptr<ProtocolSession> ProtocolSession::create(Send send) {
  return std::shared_ptr<ProtocolSession>(new ProtocolSession(std::move(send)));
}

void ProtocolSession::start() {
  auto self = shared_from_this();
  Application().PostTask([self] {
    if (self->stopped_) return;
    std::weak_ptr<ProtocolSession> weak = self;
    self->presenterId_ = Application().AddPresenter([weak](bool idle) {
      if (auto session = weak.lock()) session->present(idle);
    });
    self->send_(nlohmann::json{{"type", "hello"}, {"protocol", kProtocolVersion}}.dump());
    self->present(true);
  });
}

void ProtocolSession::stop() {
  auto self = shared_from_this();
  Application().PostTask([self] {
    self->stopped_ = true;
    if (self->presenterId_) Application().RemovePresenter(self->presenterId_);
    self->presenterId_ = 0;
  });
}

void ProtocolSession::receive(std::string message) {
  auto self = shared_from_this();
  if (message.size() > kMaxMessageBytes) {
    std::size_t size = message.size();
    Application().PostInput([self, size] {
      ++self->handled_;
      self->error_ = "Mensagem grande demais (" + std::to_string(size) + " bytes).";
      spdlog::warn("Entrada recusada: {}", *self->error_);
    });
    return;
  }
  Application().PostInput([self, message = std::move(message)] { self->handle(message); });
}

void ProtocolSession::receiveFile(std::string target, std::shared_ptr<const UploadedFile> file) {
  auto self = shared_from_this();
  Application().PostInput([self, target = std::move(target), file = std::move(file)]() mutable {
    self->apply([&] { DispatchUploadedFile(target, std::move(file)); });
  });
}

void ProtocolSession::handle(const std::string& message) {
  apply([&] {
    nlohmann::json input;
    try {
      input = nlohmann::json::parse(message);
    } catch (const nlohmann::json::exception& e) {
      throw InputRefused(std::string("Mensagem malformada: ") + e.what());
    }
    DispatchInput(input);
  });
}

void ProtocolSession::apply(const std::function<void()>& input) {
  error_.reset();
  ++handled_;
  try {
    input();
  } catch (const InputRefused& refused) {
    error_ = refused.what();
    spdlog::warn("Entrada recusada: {}", *error_);
  }
}

nlohmann::json ProtocolSession::stateMessage(bool idle) {
  nlohmann::json state = platform::SnapshotState();
  state["type"] = "state";
  state["seq"] = ++seq_;
  state["idle"] = idle;
  state["inputs"] = handled_;
  state["error"] = error_ ? nlohmann::json(*error_) : nlohmann::json(nullptr);
  return state;
}

void ProtocolSession::present(bool idle) {
  if (stopped_) return;
  send_(stateMessage(idle).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace host
