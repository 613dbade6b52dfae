#pragma once
// TScreen: the one screen (Screen()). It knows every form, the shown windows in
// z-order (bottom to top), the modal windows, the active form and control, the
// application-wide cursor and the size of the front end's viewport.
//
// The active form is the topmost shown window; the main form (the host's MDI frame)
// always stays at the bottom, and a modal window stays above every window shown before
// it. Input aimed at a window below the topmost modal one must be refused by the
// caller (AcceptsInput tells).
#include <string>
#include <vector>

#include "platform/ui/ui_types.h"

namespace platform {

class TCustomForm;
class TControl;

class TScreen {
 public:
  TCursor Cursor() const noexcept { return cursor_; }
  void SetCursor(TCursor cursor) { cursor_ = cursor; }

  TCustomForm* ActiveForm() const noexcept;
  TControl* ActiveControl() const noexcept;

  // Every form that exists (created order).
  const std::vector<TCustomForm*>& Forms() const noexcept { return forms_; }
  // Shown windows, bottom to top (main form first).
  std::vector<TCustomForm*> ZOrder() const;
  // The shown window of that name nearest the top, or nullptr.
  TCustomForm* FindWindow(const std::string& name) const;
  // False for a window below the topmost modal window.
  bool AcceptsInput(const TCustomForm* form) const noexcept;
  TCustomForm* TopModal() const noexcept;

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  void SetSize(int width, int height);

  // Bookkeeping called by the forms.
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form) noexcept;
  void FormShown(TCustomForm* form);
  void FormHidden(TCustomForm* form);
  void BringToFront(TCustomForm* form);
  void PushModal(TCustomForm* form);
  void PopModal(TCustomForm* form) noexcept;

 private:
  void updateActive(bool afterModal);

  TCursor cursor_ = crDefault;
  std::vector<TCustomForm*> forms_;
  std::vector<TCustomForm*> zorder_;  // shown, bottom to top
  std::vector<TCustomForm*> modal_;
  TCustomForm* active_ = nullptr;
  int width_ = 1280, height_ = 800;
};

TScreen& Screen();

}  // namespace platform
