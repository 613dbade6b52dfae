#pragma once
// TCustomForm / TForm: a top-level window.
//
// Forms are created with NewForm<T>(owner, ...) or Application().CreateForm, which run
// OnCreate once the whole object is built (a failing OnCreate destroys the form and
// the exception goes on). Show makes the form visible and brings it to the front;
// ShowModal runs a nested input loop until ModalResult is set and returns it; Close
// asks OnCloseQuery, then OnClose decides the action (caNone keeps it, caHide hides,
// caFree releases: the form is destroyed once the running input is handled).
//
// Each form keeps its own focused control. A focus change inside the active form runs
// A.OnExit, the OnExit of each container left (innermost first), the OnEnter of each
// container entered (outermost first) and B.OnEnter. An exception from an exit
// handler stops the change: the focus stays where the handler left it. A handler that
// moves the focus itself ends the change it interrupted. Switching between forms runs
// no enter or exit handlers; OnActivate runs when a form becomes the active one by
// being shown or chosen, not when a modal window above it closes.
//
// Window state: a maximised form fills the area it lives in (an MDI child the MDI
// frame's free client area, MDIClientArea; any other form the screen) and follows that
// area when it changes; restoring gives back the bounds it had before. Only a form
// with a sizeable border can be maximised or resized by a person (Sizeable).
#include <string>
#include <utility>

#include "platform/ui/control.h"

namespace platform {

class TMainMenu;
class TButton;

enum class TFormStyle { fsNormal, fsMDIForm, fsMDIChild, fsStayOnTop };
using enum TFormStyle;
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow };
using enum TFormBorderStyle;
enum class TWindowState { wsNormal, wsMaximized };
using enum TWindowState;

// What a front end draws around a form's client area, in pixels: a border on each
// side, the title bar (none without a border) and the menu bar when the form has one.
inline constexpr int kFormBorderWidth = 1;
inline constexpr int kFormTitleHeight = 24;
inline constexpr int kFormMenuHeight = 22;

class TCustomForm : public TControl {
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  const char* Kind() const override { return windowKind_.c_str(); }
  // Window kind in the snapshot: "form", "message" or "search".
  const std::string& WindowKind() const noexcept { return windowKind_; }
  void SetWindowKind(std::string kind) { windowKind_ = std::move(kind); }

  // Runs OnCreate; NewForm and CreateForm call it once construction is complete.
  virtual void AfterConstruction();

  void Show();
  void Hide() { SetVisible(false); }
  void SetVisible(bool visible) override;
  TModalResult ShowModal();
  void Close();
  // Destroys the form once the running input has been handled.
  void Release();
  // True once Release was called (the form goes away after the running input).
  bool Releasing() const noexcept { return releasing_; }
  void BringToFront();
  bool Modal() const noexcept { return modal_; }
  bool Active() const noexcept;

  TModalResult ModalResult() const noexcept { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }

  TFormStyle FormStyle() const noexcept { return formStyle_; }
  void SetFormStyle(TFormStyle s) { formStyle_ = s; }
  TFormBorderStyle BorderStyle() const noexcept { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle s);
  // Whether a person may resize and maximise the window (a sizeable border).
  bool Sizeable() const noexcept { return borderStyle_ == bsSizeable; }
  TWindowState WindowState() const noexcept { return windowState_; }
  void SetWindowState(TWindowState state);
  // A maximised form takes the bounds of the area it lives in again (after that area
  // changed); nothing for a normal one.
  void FitMaximized();
  // An MDI frame's area for its child windows: its client area less what aligned
  // controls (a status bar) take, in client coordinates.
  TRect MDIClientArea() const { return AlignedRemainder(); }
  bool KeyPreview = false;
  // Bounds are the outer size of the window; children are laid out in the client area.
  int ClientWidth() const noexcept override;
  int ClientHeight() const noexcept override;
  void SetClientWidth(int w) { SetWidth(w + Width() - ClientWidth()); }
  void SetClientHeight(int h) { SetHeight(h + Height() - ClientHeight()); }

  TMainMenu* Menu() const noexcept { return menu_; }
  void SetMenu(TMainMenu* menu);

  // The focused control of this form (or the one to focus when it is activated).
  TControl* ActiveControl() const noexcept { return activeControl_; }
  void SetActiveControl(TControl* control);
  // Focus change inside this form, with the handler order described above.
  void FocusControl(TControl* control);
  // The next (or previous) control in tab order after `from` that can take the focus.
  TControl* FindNextControl(TControl* from, bool forward) const;
  void SelectNext(TControl* from, bool forward);
  // Button clicked by Enter / Escape when the focused control leaves those keys.
  TButton* DefaultButton() const;
  TButton* CancelButton() const;
  // Clicked by Escape when no cancel button takes it and the focused control leaves the
  // key: a window's close button that takes no focus (a flat button); shown and
  // enabled only.
  TControl* CancelControl = nullptr;

  // The control or menu item named so anywhere on this form, or nullptr.
  TComponent* FindByName(const std::string& name) const;

  TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // Screen bookkeeping: the form became / stopped being the active form.
  void Activated(bool runHandler);
  void Deactivated();
  // A control of this form is going away or became unfocusable.
  void ControlRemoved(TControl* control) noexcept;

 protected:
  void WriteFields(nlohmann::json& out) const override;
  bool CloseQuery();
  void DoDestroy();

 private:
  void enterChainTo(TControl* control, int count);
  bool runCloseHandlers(TCloseAction& action);

  TRect maximizedBounds() const;

  std::string windowKind_ = "form";
  TWindowState windowState_ = wsNormal;
  TRect restoreBounds_;
  TFormStyle formStyle_ = fsNormal;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TMainMenu* menu_ = nullptr;
  TControl* activeControl_ = nullptr;  // what the form reports as focused
  TControl* focusedChain_ = nullptr;   // how far enter/exit handlers have run
  int focusCount_ = 0;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool destroyed_ = false;
  bool destroyHandled_ = false;
  bool releasing_ = false;
};

class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
};

// Creates a form and runs its OnCreate; destroys it again if OnCreate raises.
template <class T, class... Args>
T* NewForm(TComponent* owner, Args&&... args) {
  T* form = new T(owner, std::forward<Args>(args)...);
  try {
    form->AfterConstruction();
  } catch (...) {
    delete form;
    throw;
  }
  return form;
}

}  // namespace platform
