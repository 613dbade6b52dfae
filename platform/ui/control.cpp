#include "platform/ui/control.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "platform/core/exceptions.h"
#include "platform/ui/form.h"

namespace platform {

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
  ReleaseFocusIfInside();
  while (!children_.empty()) delete children_.back();
  if (parent_) parent_->removeChild(this);
}

void TControl::SetParent(TControl* parent) {
  if (parent == parent_) return;
  if (parent && ContainsControl(parent))
    throw Exception("Um controle não pode ficar dentro de si mesmo.");
  if (parent_) {
    ReleaseFocusIfInside();
    parent_->removeChild(this);
  }
  parent_ = parent;
  if (parent_) parent_->addChild(this);
}

void TControl::addChild(TControl* child) {
  children_.push_back(child);
  tabList_.push_back(child);
  if (child->align_ != alNone) Realign();
}

void TControl::removeChild(TControl* child) noexcept {
  std::erase(children_, child);
  std::erase(tabList_, child);
}

TCustomForm* TControl::ParentForm() const noexcept {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

bool TControl::ContainsControl(const TControl* other) const noexcept {
  for (const TControl* c = other; c; c = c->parent_)
    if (c == this) return true;
  return false;
}

void TControl::GetTabOrderList(std::vector<TControl*>& list) const {
  for (TControl* child : tabList_) {
    list.push_back(child);
    child->GetTabOrderList(list);
  }
}

TControl* TControl::FindChildControl(const std::string& name) const noexcept {
  for (TControl* child : children_) {
    if (child->Name() == name) return child;
    if (TControl* inner = child->FindChildControl(name)) return inner;
  }
  return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  if (resized) Realign();
  if (parent_ && align_ != alNone && resized) parent_->Realign();
}

void TControl::SetAlign(TAlign align) {
  align_ = align;
  if (parent_) parent_->Realign();
}

// Aligned children take the edges of the client area in creation order, then the
// alClient children fill what is left.
void TControl::Realign() {
  int l = 0, t = 0, r = ClientWidth(), b = ClientHeight();
  auto place = [](TControl* c, int x, int y, int w, int h) {
    bool resized = c->width_ != std::max(0, w) || c->height_ != std::max(0, h);
    c->left_ = x;
    c->top_ = y;
    c->width_ = std::max(0, w);
    c->height_ = std::max(0, h);
    if (resized) c->Realign();
  };
  for (TControl* c : children_) {
    if (!c->visible_) continue;
    switch (c->align_) {
      case alTop: place(c, l, t, r - l, c->height_); t += c->height_; break;
      case alBottom: place(c, l, b - c->height_, r - l, c->height_); b -= c->height_; break;
      case alLeft: place(c, l, t, c->width_, b - t); l += c->width_; break;
      case alRight: place(c, r - c->width_, t, c->width_, b - t); r -= c->width_; break;
      default: break;
    }
  }
  for (TControl* c : children_)
    if (c->visible_ && c->align_ == alClient) place(c, l, t, r - l, b - t);
}

void TControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (!visible) ReleaseFocusIfInside();
  if (parent_ && align_ != alNone) parent_->Realign();
}

bool TControl::EffectiveEnabled() const noexcept {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return true;
}

bool TControl::Showing() const noexcept {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

int TControl::TabOrder() const noexcept {
  if (!parent_) return 0;
  auto& list = parent_->tabList_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TControl::SetTabOrder(int order) {
  if (!parent_) return;
  auto& list = parent_->tabList_;
  std::erase(list, this);
  order = std::clamp(order, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + order, this);
}

bool TControl::CanFocus() const noexcept {
  if (!Focusable() || !Showing() || !EffectiveEnabled()) return false;
  TCustomForm* form = ParentForm();
  return form && form != this;
}

bool TControl::Focused() const noexcept {
  TCustomForm* form = ParentForm();
  return form && form->Active() && form->ActiveControl() == this;
}

void TControl::SetFocus() {
  if (!CanFocus()) throw Exception("Não é possível pôr o foco em um controle desabilitado ou invisível.");
  ParentForm()->FocusControl(this);
}

void TControl::ReleaseFocusIfInside() {
  if (TCustomForm* form = ParentForm(); form && form != this) form->ControlRemoved(this);
}

void TControl::ActionChanged(const TAction& action) {
  SetEnabled(action.Enabled());
  SetVisible(action.Visible());
  SetHint(action.Hint());
}

void TControl::Click() {
  if (Action())
    Action()->Execute(this);
  else if (OnClick)
    OnClick(this);
}

void TControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TControl::DoKeyDown(std::uint16_t& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TControl::DoKeyPress(char32_t& ch) {
  if (OnKeyPress) OnKeyPress(this, ch);
}

void TControl::DefaultKeyDown(std::uint16_t&, TShiftState) {}
void TControl::DefaultKeyPress(char32_t&) {}

bool TControl::WantsKey(std::uint16_t key, TShiftState) const {
  return key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE;
}

void TControl::WriteSnapshot(nlohmann::json& out) const {
  out["name"] = Name();
  out["kind"] = Kind();
  out["bounds"] = {left_, top_, width_, height_};
  out["enabled"] = enabled_;
  out["visible"] = visible_;
  WriteFields(out);
  if (!children_.empty()) {
    nlohmann::json list = nlohmann::json::array();
    for (const TControl* child : children_) {
      nlohmann::json c;
      child->WriteSnapshot(c);
      list.push_back(std::move(c));
    }
    out["controls"] = std::move(list);
  }
}

void TControl::WriteFields(nlohmann::json& out) const {
  if (!hint_.empty()) out["hint"] = hint_;
  out["color"] = ColorName(color_);
  out["font"] = {{"bold", font_.Bold}, {"color", ColorName(font_.Color)}};
}

}  // namespace platform
