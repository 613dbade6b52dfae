#include "platform/ui/menus.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "platform/text/utf8.h"

namespace platform {

TMenuItem::~TMenuItem() {
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

char32_t TMenuItem::Accelerator() const {
  std::u32string text = Utf8Decode(Caption);
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != U'&') continue;
    if (text[i + 1] == U'&') {
      ++i;
      continue;
    }
    return utf8::ToUpper(text[i + 1]);
  }
  return 0;
}

TMenuItem* TMenuItem::FindItem(const std::string& name) const {
  for (TMenuItem* item : items_) {
    if (item->Name() == name) return item;
    if (TMenuItem* inner = item->FindItem(name)) return inner;
  }
  return nullptr;
}

nlohmann::json TMenuItem::Snapshot() const {
  nlohmann::json out = {{"name", Name()}, {"caption", Caption}, {"enabled", Enabled}};
  if (!Visible) out["visible"] = false;
  nlohmann::json items = nlohmann::json::array();
  for (const TMenuItem* item : items_) items.push_back(item->Snapshot());
  out["items"] = std::move(items);
  return out;
}

TMainMenu::TMainMenu(TComponent* owner) : TComponent(owner), root_(new TMenuItem(this)) {}

nlohmann::json TMainMenu::Snapshot() const {
  nlohmann::json items = nlohmann::json::array();
  for (const TMenuItem* item : root_->Items()) {
    nlohmann::json one = item->Snapshot();
    if (item == open_) one["open"] = true;
    items.push_back(std::move(one));
  }
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

bool TMainMenu::HandleKey(std::uint16_t key, TShiftState shift) {
  if (open_) {
    TMenuItem* open = open_;
    open_ = nullptr;
    if (key == VK_ESCAPE || key == VK_MENU) return true;
    TMenuItem* item = byAccelerator(open, key);
    if (item && !item->Items().empty() && item->EffectiveEnabled())
      open_ = item;
    else if (item)
      item->Click();
    return true;  // an open menu takes every key
  }
  if (TMenuItem* item = findShortCut(root_, key, shift)) {
    item->Click();
    return true;
  }
  bool altOnly = shift.Contains(ssAlt) && !shift.Contains(ssCtrl);
  if (!altOnly || key < 'A' || key > 'Z') return false;
  TMenuItem* item = byAccelerator(root_, key);
  if (!item || !item->EffectiveEnabled()) return false;
  if (item->Items().empty())
    item->Click();
  else
    open_ = item;
  return true;
}

}  // namespace platform
