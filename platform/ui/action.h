#pragma once
// TAction: one command, shown by any number of clients (a menu item and its toolbar
// button, typically), so that its state, hint and handler are set in one place and
// the clients can never disagree.
//
//   actAlterar = platform::NewAction(this, "actAlterar", "&Alterar", "Alterar",
//                                    [this](TObject* s) { sbtAlterarClick(s); });
//   mnuAlterar->SetAction(actAlterar);
//   sbtAlterar->SetAction(actAlterar);
//   actAlterar->SetEnabled(false);          // both show disabled
//
// A client linked to an action takes the action's state at once and again at every
// change: Enabled and Visible for every client, Caption for menu items, Hint for
// controls. Clicking a client runs Execute(client), which calls OnExecute only while
// the action is enabled and visible. The client's own state is not meant to be set
// while linked: the next change of the action overwrites it.
//
// An action and its clients may be destroyed in any order: whichever goes first
// unlinks itself from the other side.
#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/ui/ui_types.h"

namespace platform {

class TAction;

// What a client of an action implements (TControl, TMenuItem).
class TActionClient {
 public:
  TAction* Action() const noexcept { return action_; }
  // Links to `action` (nullptr unlinks) and takes its state at once.
  void SetAction(TAction* action);

 protected:
  TActionClient() = default;
  ~TActionClient();
  TActionClient(const TActionClient&) = delete;
  TActionClient& operator=(const TActionClient&) = delete;
  // Takes the action's state into the client's own fields.
  virtual void ActionChanged(const TAction& action) = 0;

 private:
  friend class TAction;
  TAction* action_ = nullptr;
};

class TAction : public TComponent {
 public:
  explicit TAction(TComponent* owner) : TComponent(owner) {}
  ~TAction() override;

  const std::string& Caption() const noexcept { return caption_; }
  void SetCaption(std::string caption);
  const std::string& Hint() const noexcept { return hint_; }
  void SetHint(std::string hint);
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const noexcept { return visible_; }
  void SetVisible(bool visible);

  TNotifyEvent OnExecute;
  // Runs OnExecute(sender) when enabled and visible; true when it ran. A null sender
  // is the action itself.
  bool Execute(TObject* sender = nullptr);

  const std::vector<TActionClient*>& Clients() const noexcept { return clients_; }

 private:
  friend class TActionClient;
  void changed();

  std::string caption_;
  std::string hint_;
  bool enabled_ = true;
  bool visible_ = true;
  std::vector<TActionClient*> clients_;
};

// An action named `name` with its caption, hint and handler, owned by `owner`.
TAction* NewAction(TComponent* owner, const std::string& name, const std::string& caption, const std::string& hint,
                   TNotifyEvent onExecute);

}  // namespace platform
