#pragma once
// TControl: the base of every visible element of the toolkit.
//
// A control has an owner (who destroys it, TComponent) and a parent (the container it
// is shown in). A parent destroys its child controls before itself. Enabled and
// Visible are the control's own flags; EffectiveEnabled and Showing also look at every
// container up to the form, so a disabled container disables its children. Only
// focusable kinds (edits, grids, buttons...) take the focus, and only when they are
// showing and effectively enabled.
//
// Key handling is split into the events (OnKeyDown, OnKeyPress: the program's
// handlers) and the control's default handling (DefaultKeyDown, DefaultKeyPress),
// which runs only when the handlers left the key. The order is fixed by the keyboard
// dispatcher (keyboard.h).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/core/component.h"
#include "platform/ui/action.h"
#include "platform/ui/ui_types.h"

namespace platform {

class TCustomForm;

class TControl : public TComponent, public TActionClient {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // Kind as the snapshot names it ("panel", "edit", ...).
  virtual const char* Kind() const = 0;

  // --- tree ---
  TControl* Parent() const noexcept { return parent_; }
  void SetParent(TControl* parent);
  const std::vector<TControl*>& Controls() const noexcept { return children_; }
  // The form this control is on (the control itself for a form).
  TCustomForm* ParentForm() const noexcept;
  // True when `other` is this control or inside it.
  bool ContainsControl(const TControl* other) const noexcept;
  // Every control inside this one, depth first, each container's children in tab order.
  void GetTabOrderList(std::vector<TControl*>& list) const;
  // The control of that name inside this one (depth first), or nullptr.
  TControl* FindChildControl(const std::string& name) const noexcept;

  // --- geometry ---
  int Left() const noexcept { return left_; }
  int Top() const noexcept { return top_; }
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  // The area children are laid out in: the whole control, less what a window draws
  // around it (title bar, menu bar, border).
  virtual int ClientWidth() const noexcept { return width_; }
  virtual int ClientHeight() const noexcept { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  TAlign Align() const noexcept { return align_; }
  void SetAlign(TAlign align);
  // A control that is not aligned keeps its distances to the anchored sides of its
  // parent's client area, as they were when its bounds, anchors or parent were last
  // set, whenever the parent is resized.
  TAnchors Anchors() const noexcept { return anchors_; }
  void SetAnchors(TAnchors anchors);
  // The part of the client area that aligned children leave free (what an alClient
  // child fills, and where an MDI frame shows its child windows).
  TRect AlignedRemainder() const;

  // --- state ---
  bool Enabled() const noexcept { return enabled_; }
  virtual void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Visible() const noexcept { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Enabled, and every container up to the form enabled.
  bool EffectiveEnabled() const noexcept;
  // Visible, every container up to the form visible, and the form shown.
  bool Showing() const noexcept;

  int TabOrder() const noexcept;
  void SetTabOrder(int order);
  bool TabStop() const noexcept { return tabStop_; }
  void SetTabStop(bool v) { tabStop_ = v; }

  TColor Color() const noexcept { return color_; }
  void SetColor(TColor c) { color_ = c; }
  TFont& Font() noexcept { return font_; }
  const TFont& Font() const noexcept { return font_; }
  const std::string& Hint() const noexcept { return hint_; }
  void SetHint(std::string hint) { hint_ = std::move(hint); }
  const std::string& Caption() const noexcept { return caption_; }
  virtual void SetCaption(std::string caption) { caption_ = std::move(caption); }
  // An opaque handle (LockWindowUpdate and the like take it).
  void* Handle() noexcept { return this; }
  int Tag = 0;

  // --- focus ---
  // True for the kinds that take the focus (edits, grids, buttons, ...).
  virtual bool Focusable() const noexcept { return false; }
  bool CanFocus() const noexcept;
  bool Focused() const noexcept;
  // Moves the focus here (exit and enter handlers run; their exceptions go out).
  void SetFocus();

  // --- events ---
  TNotifyEvent OnClick;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;

  // What a person's click does: runs the linked action (action.h), or fires OnClick.
  virtual void Click();
  // Runs OnEnter / OnExit.
  virtual void DoEnter();
  virtual void DoExit();
  // Runs OnKeyDown / OnKeyPress.
  void DoKeyDown(std::uint16_t& key, TShiftState shift);
  void DoKeyPress(char32_t& ch);
  // The control's own handling of a key its handlers left; set key to 0 when used.
  virtual void DefaultKeyDown(std::uint16_t& key, TShiftState shift);
  // The control's own handling of a character its handlers left.
  virtual void DefaultKeyPress(char32_t& ch);
  // Whether the control handles this key itself instead of the form's navigation
  // (a grid with tabs wants Tab; an edit does not).
  virtual bool WantsKey(std::uint16_t key, TShiftState shift) const;
  // The control this one acts for (a search button serves the edit beside it), or
  // nullptr; the search key in that control clicks this one (keyboard.h).
  virtual TControl* ServedControl() const noexcept { return nullptr; }

  // --- snapshot ---
  // Writes this control (and its children) as the snapshot's CONTROL object.
  void WriteSnapshot(nlohmann::json& out) const;

 protected:
  // Kind-specific fields of the snapshot.
  virtual void WriteFields(nlohmann::json& out) const;
  // A linked action's Enabled, Visible and Hint become the control's.
  void ActionChanged(const TAction& action) override;
  // Lays out aligned children inside this control's client area, and moves anchored
  // ones.
  void Realign();
  // Called after the control's size changed.
  virtual void Resized() {}
  // Called when the control is shown or hidden / destroyed, to let the form move the
  // focus away from it.
  void ReleaseFocusIfInside();

 private:
  void addChild(TControl* child);
  void removeChild(TControl* child) noexcept;
  // Gives each aligned child its place, in creation order (alClient ones last), and
  // returns what they leave free.
  TRect layAligned(const std::function<void(TControl*, const TRect&)>& place) const;
  void placeBy(int left, int top, int width, int height);
  void keepAnchorDistances();
  void followAnchors();

  struct AnchorBase {
    int left = 0, top = 0, width = 0, height = 0, parentWidth = 0, parentHeight = 0;
  };

  TControl* parent_ = nullptr;
  std::vector<TControl*> children_;
  std::vector<TControl*> tabList_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_ = {akLeft, akTop};
  AnchorBase anchorBase_;
  bool enabled_ = true;
  bool visible_ = true;
  bool tabStop_ = false;
  TColor color_ = clBtnFace;
  TFont font_;
  std::string hint_;
  std::string caption_;
};

// A control that takes the focus and stops on Tab by default.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner) : TControl(owner) { SetTabStop(true); }
  bool Focusable() const noexcept override { return true; }
};

// A control of kind T owned by `owner`, named, placed on `parent` at the bounds given:
// the one step every window repeats for each of its controls.
template <class T>
T* NewControl(TComponent* owner, TControl* parent, const std::string& name, int left, int top, int width,
              int height) {
  auto* control = new T(owner);
  control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

}  // namespace platform
