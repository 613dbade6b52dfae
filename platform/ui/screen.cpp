#include "platform/ui/screen.h"

#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/form.h"

namespace platform {

TCustomForm* TScreen::ActiveForm() const noexcept { return active_; }

TControl* TScreen::ActiveControl() const noexcept {
  return active_ ? active_->ActiveControl() : nullptr;
}

std::vector<TCustomForm*> TScreen::ZOrder() const { return zorder_; }

TCustomForm* TScreen::FindWindow(const std::string& name) const {
  for (auto it = zorder_.rbegin(); it != zorder_.rend(); ++it)
    if ((*it)->Name() == name) return *it;
  return nullptr;
}

TCustomForm* TScreen::TopModal() const noexcept { return modal_.empty() ? nullptr : modal_.back(); }

bool TScreen::AcceptsInput(const TCustomForm* form) const noexcept {
  if (modal_.empty()) return true;
  auto pos = [this](const TCustomForm* f) {
    return std::find(zorder_.begin(), zorder_.end(), f) - zorder_.begin();
  };
  return pos(form) >= pos(modal_.back()) && pos(form) < static_cast<long>(zorder_.size());
}

void TScreen::SetSize(int width, int height) {
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  if (TCustomForm* main = Application().MainForm()) main->SetBounds(0, 0, width_, height_);
  for (TCustomForm* form : forms_) form->FitMaximized();
}

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) noexcept {
  std::erase(forms_, form);
  std::erase(modal_, form);
  if (std::find(zorder_.begin(), zorder_.end(), form) != zorder_.end()) {
    std::erase(zorder_, form);
    if (active_ == form) active_ = nullptr;
    updateActive(false);
  }
  if (active_ == form) active_ = nullptr;
}

// The main form stays at the bottom; a window shown while a modal one is up goes below
// the modal windows unless it is modal itself.
void TScreen::FormShown(TCustomForm* form) {
  std::erase(zorder_, form);
  if (form == Application().MainForm()) {
    zorder_.insert(zorder_.begin(), form);
  } else if (form->Modal() || modal_.empty()) {
    zorder_.push_back(form);
  } else {
    auto firstModal = std::find_if(zorder_.begin(), zorder_.end(),
                                   [](TCustomForm* f) { return f->Modal(); });
    zorder_.insert(firstModal, form);
  }
  updateActive(false);
}

void TScreen::FormHidden(TCustomForm* form) {
  std::erase(zorder_, form);
  updateActive(form->Modal());
}

void TScreen::BringToFront(TCustomForm* form) {
  if (std::find(zorder_.begin(), zorder_.end(), form) == zorder_.end()) return;
  if (form == Application().MainForm()) return;
  FormShown(form);
}

void TScreen::PushModal(TCustomForm* form) { modal_.push_back(form); }

void TScreen::PopModal(TCustomForm* form) noexcept { std::erase(modal_, form); }

void TScreen::updateActive(bool afterModal) {
  TCustomForm* next = zorder_.empty() ? nullptr : zorder_.back();
  if (next == active_) return;
  TCustomForm* previous = active_;
  active_ = next;
  bool toModal = next && next->Modal();
  if (previous && !toModal) previous->Deactivated();
  if (next) next->Activated(!afterModal);
}

struct UiGlobals {
  TScreen screen;
  TApplication application;
};

static UiGlobals& uiGlobals() {
  static UiGlobals globals;
  return globals;
}

TScreen& Screen() { return uiGlobals().screen; }
TApplication& Application() { return uiGlobals().application; }

}  // namespace platform
