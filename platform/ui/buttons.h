#pragma once
// Buttons and check controls.
//
// TButton takes the focus; its ModalResult, when set, is given to its form on click
// (that is how dialog buttons close a modal window); Default / Cancel make Enter /
// Escape click it when the focused control leaves those keys. TSpeedButton (the flat
// toolbar button) never takes the focus, so clicking it runs no exit handler.
// TFileButton asks the front end for a file for an edit of its form. TCheckBox toggles
// on click and on Space. TRadioButton checked unchecks the radio buttons of the same
// parent. Setting Checked runs OnClick when it changes, as a click does.
#include "platform/ui/control.h"

namespace platform {

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 75, 25); }
  const char* Kind() const override { return "button"; }
  void Click() override;
  void DefaultKeyPress(char32_t& ch) override;
  // Enter on a focused button clicks it (before the form's default button).
  void DefaultKeyDown(std::uint16_t& key, TShiftState shift) override;
  bool WantsKey(std::uint16_t key, TShiftState shift) const override;
  TModalResult ModalResult = mrNone;
  bool Default = false;
  bool Cancel = false;

 protected:
  void WriteFields(nlohmann::json& out) const override;
};

// Each click counts one request for a file for FileEdit; a front end that can choose
// files (the browser) opens its file chooser, offering the kinds of Accept
// (".xlsx,.csv"), when the count changes, and gives the chosen file to the edit with a
// `file` input. Automation names a file with that input directly.
class TFileButton : public TButton {
 public:
  using TButton::TButton;
  void Click() override;
  TControl* FileEdit = nullptr;
  std::string Accept;

 protected:
  void WriteFields(nlohmann::json& out) const override;

 private:
  int requests_ = 0;
};

class TSpeedButton : public TControl {
 public:
  explicit TSpeedButton(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 23, 22); }
  const char* Kind() const override { return "button"; }
  bool Flat = true;
  bool Down = false;

 protected:
  void WriteFields(nlohmann::json& out) const override;
};

// The state both check controls share: a caption beside a mark, Checked, and Space
// acting as a click.
class TCheckControl : public TWinControl {
 public:
  bool Checked() const noexcept { return checked_; }
  virtual void SetChecked(bool checked) = 0;
  void DefaultKeyPress(char32_t& ch) override;

 protected:
  using TWinControl::TWinControl;
  void WriteFields(nlohmann::json& out) const override;
  bool checked_ = false;
};

class TCheckBox : public TCheckControl {
 public:
  explicit TCheckBox(TComponent* owner) : TCheckControl(owner) { SetBounds(0, 0, 97, 17); }
  const char* Kind() const override { return "checkbox"; }
  void SetChecked(bool checked) override;
  void Click() override;
};

class TRadioButton : public TCheckControl {
 public:
  explicit TRadioButton(TComponent* owner) : TCheckControl(owner) { SetBounds(0, 0, 113, 17); }
  const char* Kind() const override { return "radio"; }
  void SetChecked(bool checked) override;
  void Click() override;
};

}  // namespace platform
