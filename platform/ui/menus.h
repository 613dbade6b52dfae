#pragma once
// TMainMenu and TMenuItem: a form's menu bar.
//
// Items form a tree; a caption's "&" marks its accelerator letter (accelerator.h).
// Alt+letter on the active form opens the top-level item with that accelerator (or
// clicks it when it has no sub-items), with its first enabled sub-item highlighted.
// While an item is open it takes every key: a letter picks the sub-item with that
// accelerator (disabled items are skipped; when several enabled ones share the letter,
// each press highlights the next of them instead), Up and Down move the highlight over
// the enabled sub-items, Enter picks
// the highlighted one, Left and Right open the neighbouring top-level item, Escape closes
// it, any other key but a modifier alone (Shift, Ctrl, Alt: the start of Alt+letter)
// closes it too. Picking a sub-item with sub-items of its
// own opens it instead. A ShortCut (a key with its shift state) clicks its item before
// the focused control sees the key. Disabled or hidden items do nothing. An item
// linked to an action (action.h) shows the action's caption and state and runs it when
// clicked.
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/core/component.h"
#include "platform/ui/action.h"
#include "platform/ui/ui_types.h"

namespace platform {

class TMenuItem : public TComponent, public TActionClient {
 public:
  explicit TMenuItem(TComponent* owner) : TComponent(owner) {}
  ~TMenuItem() override;

  std::string Caption;
  bool Enabled = true;
  bool Visible = true;
  std::uint16_t ShortCutKey = 0;
  TShiftState ShortCutShift;
  TNotifyEvent OnClick;

  void Add(TMenuItem* item);
  const std::vector<TMenuItem*>& Items() const noexcept { return items_; }
  TMenuItem* Parent() const noexcept { return parent_; }
  // Runs the linked action, or OnClick, when the item and its parents are enabled and
  // visible.
  void Click();
  bool EffectiveEnabled() const noexcept;
  // Upper-case accelerator letter of the caption, or 0.
  char32_t Accelerator() const;
  TMenuItem* FindItem(const std::string& name) const;
  nlohmann::json Snapshot() const;

 protected:
  void ActionChanged(const TAction& action) override;

 private:
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
};

class TMainMenu : public TComponent {
 public:
  explicit TMainMenu(TComponent* owner);
  TMenuItem* Items() const noexcept { return root_; }
  TMenuItem* FindItem(const std::string& name) const { return root_->FindItem(name); }
  // The item open by Alt+letter, or nullptr; opening highlights its first enabled
  // sub-item.
  TMenuItem* OpenItem() const noexcept { return open_; }
  void SetOpenItem(TMenuItem* item);
  // The highlighted sub-item of the open item, or nullptr.
  TMenuItem* HighlightedItem() const noexcept { return highlighted_; }
  // The menu a menu item belongs to, or nullptr.
  static TMainMenu* Of(const TMenuItem* item);
  // An item of this menu is going away: it stops being open or highlighted.
  void ItemGone(const TMenuItem* item) noexcept;
  // Handles a key for the menu (accelerators, open item, short cuts); true when used.
  bool HandleKey(std::uint16_t key, TShiftState shift);
  // Whether an enabled, visible top-level item has the key's letter as accelerator.
  bool HasAccelerator(std::uint16_t key) const;
  // Opens the first enabled top-level item with sub-items (F10).
  void OpenFirst();
  nlohmann::json Snapshot() const;

 private:
  bool handleOpenKey(std::uint16_t key);
  void moveHighlight(int step);
  void openNeighbour(int step);
  void pick(TMenuItem* item);

  TMenuItem* root_;
  TMenuItem* open_ = nullptr;
  TMenuItem* highlighted_ = nullptr;
};

}  // namespace platform
