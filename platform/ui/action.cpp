#include "platform/ui/action.h"

#include <algorithm>

namespace platform {

void TActionClient::SetAction(TAction* action) {
  if (action_ == action) return;
  if (action_) std::erase(action_->clients_, this);
  action_ = action;
  if (!action_) return;
  action_->clients_.push_back(this);
  ActionChanged(*action_);
}

TActionClient::~TActionClient() {
  if (action_) std::erase(action_->clients_, this);
}

TAction::~TAction() {
  for (TActionClient* client : clients_) client->action_ = nullptr;
}

void TAction::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  changed();
}

void TAction::SetHint(std::string hint) {
  hint_ = std::move(hint);
  changed();
}

void TAction::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  changed();
}

void TAction::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  changed();
}

bool TAction::Execute(TObject* sender) {
  if (!enabled_ || !visible_ || !OnExecute) return false;
  OnExecute(sender ? sender : this);
  return true;
}

void TAction::changed() {
  // A client may unlink itself while taking the state: walk a copy.
  const std::vector<TActionClient*> clients = clients_;
  for (TActionClient* client : clients) client->ActionChanged(*this);
}

TAction* NewAction(TComponent* owner, const std::string& name, const std::string& caption, const std::string& hint,
                   TNotifyEvent onExecute) {
  auto* action = new TAction(owner);
  action->SetName(name);
  action->SetCaption(caption);
  action->SetHint(hint);
  action->OnExecute = std::move(onExecute);
  return action;
}

}  // namespace platform
