#pragma once
// TCustomEdit / TEdit: a one-line text box.
//
// The text is edited at a caret with an optional selection. Entering the control
// selects the whole text, so typing replaces it. A typed character replaces the
// selection; it is refused when the text would pass MaxLength (0: no limit) or the
// edit is read-only. Backspace (character 8) and Delete (key 46) remove the selection
// or one character; Left, Right, Home and End move the caret (with Shift they extend
// the selection). OnChange runs after every change of the text, typed or assigned.
// With a PasswordChar the front ends are sent that character once per character of
// the text, never the text itself (the program still reads it through Text).
// Derived edits (masked edits) replace the editing primitives.
#include <string>

#include "platform/ui/control.h"

namespace platform {

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
using enum TEditCharCase;

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);

  const char* Kind() const override { return "edit"; }
  virtual std::string Text() const;
  virtual void SetText(const std::string& text);
  int MaxLength() const noexcept { return maxLength_; }
  virtual void SetMaxLength(int length) { maxLength_ = length < 0 ? 0 : length; }
  bool ReadOnly = false;
  TEditCharCase CharCase = ecNormal;
  char PasswordChar = 0;

  int SelStart() const noexcept { return selStart_; }
  int SelLength() const noexcept { return selLength_; }
  void SetSelStart(int pos) { SetSelection(pos, 0); }
  void SetSelLength(int length) { SetSelection(selStart_, length); }
  void SelectAll() { SetSelection(0, CaretLimit()); }
  // Selects `length` characters from `start` (clamped); length 0 puts the caret.
  virtual void SetSelection(int start, int length);
  std::string SelText() const;

  TNotifyEvent OnChange;

  void DoEnter() override;
  // What the person sees (a masked edit shows literals and blanks).
  virtual std::string EditText() const { return Text(); }
  void DefaultKeyDown(std::uint16_t& key, TShiftState shift) override;
  void DefaultKeyPress(char32_t& ch) override;

 protected:
  void WriteFields(nlohmann::json& out) const override;
  // Editing primitives; each returns true when the text changed.
  virtual bool InsertChar(char32_t ch);
  virtual bool DeleteBackward();
  virtual bool DeleteForward();
  // Length of the editable text in characters (caret positions run 0..length).
  virtual int CaretLimit() const { return static_cast<int>(chars_.size()); }
  void Changed();
  // The characters as edited, for derived classes.
  std::u32string chars_;
  int selStart_ = 0;
  int selLength_ = 0;

 private:
  bool deleteSelection();
  int maxLength_ = 0;
};

class TEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
};

}  // namespace platform
