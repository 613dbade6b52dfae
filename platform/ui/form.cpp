#include "platform/ui/form.h"

#include <algorithm>
#include <iostream>

#include <nlohmann/json.hpp>

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/menus.h"
#include "platform/ui/screen.h"

namespace platform {

TCustomForm::TCustomForm(TComponent* owner) : TControl(owner) {
  TControl::SetVisible(false);
  SetBounds(0, 0, 400, 300);
  Screen().AddForm(this);
}

TCustomForm::~TCustomForm() {
  try {
    DoDestroy();
  } catch (const std::exception& e) {
    std::cerr << "OnDestroy de " << Name() << ": " << e.what() << "\n";
  } catch (...) {
    std::cerr << "OnDestroy de " << Name() << ": erro desconhecido\n";
  }
  destroyed_ = true;
  activeControl_ = focusedChain_ = nullptr;
  if (modal_) Screen().PopModal(this);
  if (Visible()) Screen().FormHidden(this);
  Screen().RemoveForm(this);
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
}

void TCustomForm::AfterConstruction() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
  if (destroyHandled_) return;
  destroyHandled_ = true;
  if (OnDestroy) OnDestroy(this);
}

bool TCustomForm::Active() const noexcept { return Screen().ActiveForm() == this; }

void TCustomForm::SetVisible(bool visible) {
  if (visible == Visible()) return;
  if (visible) {
    if (OnShow) OnShow(this);
    TControl::SetVisible(true);
    Screen().FormShown(this);
  } else {
    if (OnHide) OnHide(this);
    TControl::SetVisible(false);
    Screen().FormHidden(this);
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::BringToFront() { Screen().BringToFront(this); }

TModalResult TCustomForm::ShowModal() {
  if (modal_ || Visible())
    throw Exception("Não é possível exibir como modal uma janela que já está visível.");
  modal_ = true;
  modalResult_ = mrNone;
  TCloseAction action = caHide;
  Screen().PushModal(this);
  auto finish = [this] {
    if (Visible()) {  // hidden while still modal: the window below is not re-activated
      TControl::SetVisible(false);
      Screen().FormHidden(this);
    }
    modal_ = false;
    Screen().PopModal(this);
  };
  try {
    SetVisible(true);
    Application().ModalLoop([this, &action] {
      if (Application().Terminated()) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        return true;
      }
      if (modalResult_ == mrNone) return false;
      // Closing a modal window asks the close handlers; caNone keeps it open.
      bool closed = false;
      Application().Guard([&] { closed = runCloseHandlers(action); });
      if (!closed) modalResult_ = mrNone;
      return closed;
    });
  } catch (...) {
    finish();
    throw;
  }
  finish();
  if (action == caFree || releasing_) {
    releasing_ = false;
    Release();
  }
  return modalResult_;
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

bool TCustomForm::runCloseHandlers(TCloseAction& action) {
  if (!CloseQuery()) return false;
  action = formStyle_ == fsMDIChild && !modal_ ? caFree : caHide;
  if (OnClose) OnClose(this, action);
  return action != caNone;
}

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  TCloseAction action = caHide;
  if (!runCloseHandlers(action)) return;
  if (Application().MainForm() == this) {
    Application().Terminate();
    return;
  }
  if (action == caFree)
    Release();
  else
    Hide();
}

void TCustomForm::Release() {
  if (releasing_) return;
  releasing_ = true;
  if (modal_) {
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return;  // ShowModal releases it once its loop ends
  }
  TCustomForm* self = this;
  Application().PostTask([self] {
    const auto& forms = Screen().Forms();
    if (std::find(forms.begin(), forms.end(), self) == forms.end()) return;
    self->DoDestroy();
    delete self;
  });
}

// --- focus ---

void TCustomForm::SetActiveControl(TControl* control) {
  if (control && control->ParentForm() != this)
    throw Exception("O controle não pertence a esta janela.");
  if (!control || !Active()) {
    activeControl_ = control;  // focused when this form becomes active
    return;
  }
  if (!control->CanFocus())
    throw Exception("Não é possível pôr o foco em um controle desabilitado ou invisível.");
  FocusControl(control);
}

void TCustomForm::FocusControl(TControl* control) {
  if (!Active()) {
    activeControl_ = control;  // focused when this form becomes active
    return;
  }
  int count = ++focusCount_;
  TControl* previous = activeControl_;
  activeControl_ = control;
  if (!focusedChain_) focusedChain_ = this;
  while (focusedChain_ && !focusedChain_->ContainsControl(control)) {
    TControl* leaving = focusedChain_;
    focusedChain_ = leaving->Parent();
    try {
      leaving->DoExit();
    } catch (...) {
      if (focusCount_ == count) {
        activeControl_ = previous;
        focusedChain_ = previous ? previous : this;
      }
      throw;
    }
    if (focusCount_ != count) return;  // a handler moved the focus itself
  }
  enterChainTo(control, count);
}

void TCustomForm::enterChainTo(TControl* control, int count) {
  if (!focusedChain_) focusedChain_ = this;
  while (focusedChain_ != control) {
    TControl* next = control;
    while (next->Parent() && next->Parent() != focusedChain_) next = next->Parent();
    focusedChain_ = next;
    try {
      next->DoEnter();
    } catch (...) {
      if (focusCount_ == count) focusedChain_ = control;
      throw;
    }
    if (focusCount_ != count) return;
  }
}

void TCustomForm::Activated(bool runHandler) {
  if (runHandler) Application().Guard([this] {
      if (OnActivate) OnActivate(this);
    });
  if (!Active() || (focusedChain_ && focusedChain_ != this)) return;
  TControl* target = activeControl_ && activeControl_->CanFocus() ? activeControl_
                                                                  : FindNextControl(nullptr, true);
  if (!target) return;
  activeControl_ = nullptr;
  Application().Guard([this, target] { FocusControl(target); });
}

void TCustomForm::Deactivated() {
  Application().Guard([this] {
    if (OnDeactivate) OnDeactivate(this);
  });
}

void TCustomForm::ControlRemoved(TControl* control) noexcept {
  if (destroyed_ || control == this) return;
  if (activeControl_ && control->ContainsControl(activeControl_)) activeControl_ = nullptr;
  if (focusedChain_ && control->ContainsControl(focusedChain_))
    focusedChain_ = control->Parent() ? control->Parent() : this;
}

TControl* TCustomForm::FindNextControl(TControl* from, bool forward) const {
  std::vector<TControl*> all;
  GetTabOrderList(all);
  std::vector<TControl*> stops;
  for (TControl* c : all)
    if (c->TabStop() && c->CanFocus()) stops.push_back(c);
  if (stops.empty()) return nullptr;
  auto it = std::find(stops.begin(), stops.end(), from);
  if (it == stops.end()) return forward ? stops.front() : stops.back();
  std::size_t i = static_cast<std::size_t>(it - stops.begin());
  std::size_t n = stops.size();
  return stops[forward ? (i + 1) % n : (i + n - 1) % n];
}

void TCustomForm::SelectNext(TControl* from, bool forward) {
  if (TControl* next = FindNextControl(from, forward); next && next != from) FocusControl(next);
}

TButton* TCustomForm::DefaultButton() const {
  std::vector<TControl*> all;
  GetTabOrderList(all);
  for (TControl* c : all)
    if (auto* b = dynamic_cast<TButton*>(c); b && b->Default && b->Showing() && b->EffectiveEnabled())
      return b;
  return nullptr;
}

TButton* TCustomForm::CancelButton() const {
  std::vector<TControl*> all;
  GetTabOrderList(all);
  for (TControl* c : all)
    if (auto* b = dynamic_cast<TButton*>(c); b && b->Cancel && b->Showing() && b->EffectiveEnabled())
      return b;
  return nullptr;
}

TComponent* TCustomForm::FindByName(const std::string& name) const {
  if (TControl* c = FindChildControl(name)) return c;
  if (menu_)
    if (TMenuItem* item = menu_->FindItem(name)) return item;
  return FindComponent(name);
}

void TCustomForm::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  out["caption"] = Caption();
  out["modal"] = modal_;
  out["mdiChild"] = formStyle_ == fsMDIChild;
  static constexpr const char* kBorders[] = {"none", "single", "sizeable", "dialog", "toolWindow"};
  out["borderStyle"] = kBorders[static_cast<int>(borderStyle_)];
  out["windowState"] = windowState_ == wsMaximized ? "maximized" : "normal";
  if (formStyle_ == fsMDIForm) {
    const TRect area = MDIClientArea();
    out["mdiClient"] = {area.Left, area.Top, area.Width(), area.Height()};
  }
  out["menu"] = menu_ ? menu_->Snapshot() : nlohmann::json::array();
}


TRect TCustomForm::maximizedBounds() const {
  TCustomForm* frame = Application().MainForm();
  if (formStyle_ == fsMDIChild && frame && frame != this && frame->FormStyle() == fsMDIForm)
    return frame->MDIClientArea();
  return TRect{0, 0, Screen().Width(), Screen().Height()};
}

void TCustomForm::SetWindowState(TWindowState state) {
  if (state == windowState_) return;
  if (state == wsMaximized) restoreBounds_ = TRect{Left(), Top(), Left() + Width(), Top() + Height()};
  windowState_ = state;
  if (state == wsMaximized) {
    FitMaximized();
    return;
  }
  const TRect& r = restoreBounds_;
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TCustomForm::FitMaximized() {
  if (windowState_ != wsMaximized) return;
  const TRect r = maximizedBounds();
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TCustomForm::SetBorderStyle(TFormBorderStyle s) {
  borderStyle_ = s;
  Realign();
}

void TCustomForm::SetMenu(TMainMenu* menu) {
  menu_ = menu;
  Realign();
}

int TCustomForm::ClientWidth() const noexcept {
  const int border = borderStyle_ == bsNone ? 0 : kFormBorderWidth;
  return std::max(0, Width() - 2 * border);
}

int TCustomForm::ClientHeight() const noexcept {
  const bool framed = borderStyle_ != bsNone;
  const int border = framed ? kFormBorderWidth : 0;
  const int title = framed ? kFormTitleHeight : 0;
  const int menu = menu_ ? kFormMenuHeight : 0;
  return std::max(0, Height() - 2 * border - title - menu);
}

}  // namespace platform
