#include "platform/ui/menus.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "platform/ui/accelerator.h"

namespace platform {

TMenuItem::~TMenuItem() {
  if (TMainMenu* menu = TMainMenu::Of(this)) menu->ItemGone(this);
  for (TMenuItem* item : items_) item->parent_ = nullptr;
  if (parent_) std::erase(parent_->items_, this);
}

void TMenuItem::Add(TMenuItem* item) {
  if (item->parent_) std::erase(item->parent_->items_, item);
  item->parent_ = this;
  items_.push_back(item);
}

bool TMenuItem::EffectiveEnabled() const noexcept {
  for (const TMenuItem* i = this; i; i = i->parent_)
    if (!i->Enabled || !i->Visible) return false;
  return true;
}

void TMenuItem::Click() {
  if (!EffectiveEnabled()) return;
  if (Action())
    Action()->Execute(this);
  else if (OnClick)
    OnClick(this);
}

void TMenuItem::ActionChanged(const TAction& action) {
  Caption = action.Caption();
  Enabled = action.Enabled();
  Visible = action.Visible();
}

char32_t TMenuItem::Accelerator() const { return AcceleratorOf(Caption); }

TMenuItem* TMenuItem::FindItem(const std::string& name) const {
  for (TMenuItem* item : items_) {
    if (item->Name() == name) return item;
    if (TMenuItem* inner = item->FindItem(name)) return inner;
  }
  return nullptr;
}

// The item as the snapshot shows it; the open item and the highlighted one say so.
static nlohmann::json itemSnapshot(const TMenuItem* item, const TMenuItem* open, const TMenuItem* highlighted) {
  nlohmann::json out = {{"name", item->Name()}, {"caption", item->Caption}, {"enabled", item->Enabled}};
  if (!item->Visible) out["visible"] = false;
  if (item == open) out["open"] = true;
  if (item == highlighted) out["highlighted"] = true;
  nlohmann::json items = nlohmann::json::array();
  for (const TMenuItem* child : item->Items()) items.push_back(itemSnapshot(child, open, highlighted));
  out["items"] = std::move(items);
  return out;
}

nlohmann::json TMenuItem::Snapshot() const { return itemSnapshot(this, nullptr, nullptr); }

TMainMenu::TMainMenu(TComponent* owner) : TComponent(owner), root_(new TMenuItem(this)) {}

TMainMenu* TMainMenu::Of(const TMenuItem* item) {
  if (!item) return nullptr;
  while (item->Parent()) item = item->Parent();
  TComponent* owner = item->Owner();
  return owner && !owner->Destroying() ? dynamic_cast<TMainMenu*>(owner) : nullptr;
}

void TMainMenu::ItemGone(const TMenuItem* item) noexcept {
  if (open_ && (open_ == item || open_->Parent() == item)) open_ = highlighted_ = nullptr;
  if (highlighted_ == item) highlighted_ = nullptr;
}

void TMainMenu::SetOpenItem(TMenuItem* item) {
  open_ = item;
  highlighted_ = nullptr;
  if (item)
    for (TMenuItem* child : item->Items())
      if (child->Visible && child->Enabled) {
        highlighted_ = child;
        break;
      }
}

nlohmann::json TMainMenu::Snapshot() const {
  nlohmann::json items = nlohmann::json::array();
  for (const TMenuItem* item : root_->Items()) items.push_back(itemSnapshot(item, open_, highlighted_));
  return items;
}

static TMenuItem* findShortCut(const TMenuItem* parent, std::uint16_t key, TShiftState shift) {
  for (TMenuItem* item : parent->Items()) {
    if (item->ShortCutKey == key && item->ShortCutShift == shift && item->EffectiveEnabled())
      return item;
    if (TMenuItem* inner = findShortCut(item, key, shift)) return inner;
  }
  return nullptr;
}

static TMenuItem* byAccelerator(const TMenuItem* parent, std::uint16_t key) {
  for (TMenuItem* item : parent->Items())
    if (item->Visible && item->Accelerator() == static_cast<char32_t>(key)) return item;
  return nullptr;
}

// The enabled, visible sub-items of an item, in order.
static std::vector<TMenuItem*> choices(const TMenuItem* item) {
  std::vector<TMenuItem*> out;
  for (TMenuItem* child : item->Items())
    if (child->Visible && child->Enabled) out.push_back(child);
  return out;
}

void TMainMenu::moveHighlight(int step) {
  const std::vector<TMenuItem*> items = choices(open_);
  if (items.empty()) return;
  const auto at = std::find(items.begin(), items.end(), highlighted_);
  const int n = static_cast<int>(items.size());
  const int from = at == items.end() ? (step > 0 ? -1 : 0) : static_cast<int>(at - items.begin());
  highlighted_ = items[static_cast<std::size_t>(((from + step) % n + n) % n)];
}

void TMainMenu::openNeighbour(int step) {
  if (open_->Parent() != root_) return;
  std::vector<TMenuItem*> tops;
  for (TMenuItem* item : root_->Items())
    if (item->Visible && item->Enabled && !item->Items().empty()) tops.push_back(item);
  const auto at = std::find(tops.begin(), tops.end(), open_);
  if (at == tops.end()) return;
  const int n = static_cast<int>(tops.size());
  const int i = static_cast<int>(at - tops.begin());
  SetOpenItem(tops[static_cast<std::size_t>(((i + step) % n + n) % n)]);
}

// Opens an item with sub-items, or closes the menu and clicks it.
void TMainMenu::pick(TMenuItem* item) {
  if (!item->Items().empty() && item->EffectiveEnabled()) {
    SetOpenItem(item);
    return;
  }
  SetOpenItem(nullptr);
  item->Click();
}

bool TMainMenu::handleOpenKey(std::uint16_t key) {
  switch (key) {
    case VK_UP: moveHighlight(-1); return true;
    case VK_DOWN: moveHighlight(1); return true;
    case VK_LEFT: openNeighbour(-1); return true;
    case VK_RIGHT: openNeighbour(1); return true;
    case VK_RETURN:
      if (TMenuItem* item = highlighted_) pick(item);
      else SetOpenItem(nullptr);
      return true;
    case VK_SHIFT:
    case VK_CONTROL: return true;  // a modifier alone keeps the menu open
    default: break;
  }
  TMenuItem* item = byAccelerator(open_, key);
  if (item) pick(item);
  else SetOpenItem(nullptr);  // Escape, Alt and every other key close it
  return true;  // an open menu takes every key
}

bool TMainMenu::HandleKey(std::uint16_t key, TShiftState shift) {
  if (open_) return handleOpenKey(key);
  if (TMenuItem* item = findShortCut(root_, key, shift)) {
    item->Click();
    return true;
  }
  bool altOnly = shift.Contains(ssAlt) && !shift.Contains(ssCtrl);
  if (!altOnly || key < 'A' || key > 'Z') return false;
  TMenuItem* item = byAccelerator(root_, key);
  if (!item || !item->EffectiveEnabled()) return false;
  pick(item);
  return true;
}

}  // namespace platform
