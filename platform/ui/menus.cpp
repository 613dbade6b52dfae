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

// The enabled, visible items under `parent` whose accelerator is the key's letter.
static std::vector<TMenuItem*> byAccelerator(const TMenuItem* parent, std::uint16_t key) {
  std::vector<TMenuItem*> out;
  for (TMenuItem* item : parent->Items())
    if (item->Visible && item->Enabled && item->Accelerator() == static_cast<char32_t>(key)) out.push_back(item);
  return out;
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
    case VK_CONTROL:
    case VK_MENU: return true;  // a modifier alone keeps the menu open (Alt starts Alt+letter)
    default: break;
  }
  const std::vector<TMenuItem*> items = byAccelerator(open_, key);
  if (items.size() == 1) {
    pick(items.front());
  } else if (items.size() > 1) {
    // Items sharing a letter: each press highlights the next of them, Enter picks.
    const auto at = std::find(items.begin(), items.end(), highlighted_);
    highlighted_ = at == items.end() || at + 1 == items.end() ? items.front() : *(at + 1);
  } else {
    SetOpenItem(nullptr);  // Escape and every other key close it
  }
  return true;  // an open menu takes every key
}

bool TMainMenu::HasAccelerator(std::uint16_t key) const { return !byAccelerator(root_, key).empty(); }

void TMainMenu::OpenFirst() {
  for (TMenuItem* item : root_->Items())
    if (item->Visible && item->Enabled && !item->Items().empty()) {
      SetOpenItem(item);
      return;
    }
}

bool TMainMenu::HandleKey(std::uint16_t key, TShiftState shift) {
  const bool altLetter = shift.Contains(ssAlt) && !shift.Contains(ssCtrl) && key >= 'A' && key <= 'Z';
  const std::vector<TMenuItem*> tops = altLetter ? byAccelerator(root_, key) : std::vector<TMenuItem*>();
  if (open_ && tops.empty()) return handleOpenKey(key);
  if (!open_)
    if (TMenuItem* item = findShortCut(root_, key, shift)) {
      item->Click();
      return true;
    }
  if (tops.empty()) return false;
  // Alt+letter opens the top-level item with it, even over an open menu; top-level
  // items sharing the letter open in turn, the next after the one open.
  const TMenuItem* openTop = open_;
  while (openTop && openTop->Parent() != root_) openTop = openTop->Parent();
  const auto at = std::find(tops.begin(), tops.end(), openTop);
  pick(at == tops.end() || at + 1 == tops.end() ? tops.front() : *(at + 1));
  return true;
}

}  // namespace platform
