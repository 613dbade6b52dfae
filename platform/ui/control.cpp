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
  keepAnchorDistances();
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
  placeBy(left, top, width, height);
  keepAnchorDistances();
  if (parent_ && align_ != alNone && resized) parent_->Realign();
}

// Moves and sizes the control without touching its anchor distances.
void TControl::placeBy(int left, int top, int width, int height) {
  bool resized = std::max(0, width) != width_ || std::max(0, height) != height_;
  left_ = left;
  top_ = top;
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  if (!resized) return;
  Realign();
  Resized();
}

void TControl::SetAlign(TAlign align) {
  align_ = align;
  if (parent_) parent_->Realign();
}

void TControl::SetAnchors(TAnchors anchors) {
  anchors_ = anchors;
  keepAnchorDistances();
}

void TControl::keepAnchorDistances() {
  if (!parent_) return;
  anchorBase_ = {left_, top_, width_, height_, parent_->ClientWidth(), parent_->ClientHeight()};
}

// Keeps the distances to the anchored sides; a control anchored to neither side of a
// direction keeps its centre.
void TControl::followAnchors() {
  if (!parent_ || anchors_ == TAnchors{akLeft, akTop}) return;
  const AnchorBase& b = anchorBase_;
  auto follow = [](bool nearSide, bool farSide, int start, int size, int grown, int& outStart, int& outSize) {
    outStart = start;
    outSize = size;
    if (nearSide && farSide) outSize = size + grown;
    else if (farSide) outStart = start + grown;
    else if (!nearSide) outStart = start + grown / 2;
  };
  int left, width, top, height;
  follow(anchors_.Contains(akLeft), anchors_.Contains(akRight), b.left, b.width,
         parent_->ClientWidth() - b.parentWidth, left, width);
  follow(anchors_.Contains(akTop), anchors_.Contains(akBottom), b.top, b.height,
         parent_->ClientHeight() - b.parentHeight, top, height);
  placeBy(left, top, width, height);
}

TRect TControl::layAligned(const std::function<void(TControl*, const TRect&)>& place) const {
  TRect free{0, 0, ClientWidth(), ClientHeight()};
  auto give = [&place](TControl* c, int x, int y, int w, int h) { place(c, TRect{x, y, x + w, y + h}); };
  for (TControl* c : children_) {
    if (!c->visible_) continue;
    int& l = free.Left;
    int& t = free.Top;
    int& r = free.Right;
    int& b = free.Bottom;
    switch (c->align_) {
      case alTop: give(c, l, t, r - l, c->height_); t += c->height_; break;
      case alBottom: give(c, l, b - c->height_, r - l, c->height_); b -= c->height_; break;
      case alLeft: give(c, l, t, c->width_, b - t); l += c->width_; break;
      case alRight: give(c, r - c->width_, t, c->width_, b - t); r -= c->width_; break;
      default: break;
    }
  }
  for (TControl* c : children_)
    if (c->visible_ && c->align_ == alClient) give(c, free.Left, free.Top, free.Width(), free.Height());
  return free;
}

TRect TControl::AlignedRemainder() const {
  return layAligned([](TControl*, const TRect&) {});
}

// Aligned children take the edges of the client area in creation order, then the
// alClient children fill what is left; anchored children keep their distances.
void TControl::Realign() {
  layAligned([](TControl* c, const TRect& r) { c->placeBy(r.Left, r.Top, r.Width(), r.Height()); });
  for (TControl* c : children_)
    if (c->align_ == alNone) c->followAnchors();
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
