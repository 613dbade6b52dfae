#pragma once
// TMaskEdit: an edit whose typing follows an edit mask ("mask;save-literals;blank",
// the engine of platform/text/edit_mask.h).
//
// Without a mask it is a plain edit. With one, every position of the mask is a cell:
// typed characters fill the editable cells in order and skip the literals, a
// character a cell does not accept is refused, Backspace and Delete empty cells
// without shifting the others. Text is what the program reads (without literals when
// the mask does not save them, blanks as spaces), EditText what the person sees
// (literals and blank characters included). Changing the mask keeps the characters of
// the text that fit it.
//
// Leaving the control with a partly filled mask (a required cell empty but not all
// blank) is refused with an error and the focus stays; a blank edit may be left.
#include <memory>
#include <string>

#include "platform/text/edit_mask.h"
#include "platform/ui/edit.h"

namespace platform {

class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* owner);
  const char* Kind() const override { return "maskedit"; }

  const std::string& EditMask() const noexcept { return mask_; }
  void SetEditMask(const std::string& mask);
  bool IsMasked() const noexcept { return model_ != nullptr; }

  std::string Text() const override;
  void SetText(const std::string& text) override;
  std::string EditText() const override;
  // No editable cell holds a character (or, unmasked, the text is empty).
  bool IsBlank() const;
  // Raises when the mask is partly filled.
  void ValidateEdit() const;

  void SetSelection(int start, int length) override;
  void DoEnter() override;
  void DoExit() override;

 protected:
  void WriteFields(nlohmann::json& out) const override;
  bool InsertChar(char32_t ch) override;
  bool DeleteBackward() override;
  bool DeleteForward() override;

 private:
  // Copies the model's edit text and selection into the plain edit's fields.
  void syncFromModel();

  std::string mask_;
  std::unique_ptr<MaskedText> model_;
};

class TMaskEdit : public TCustomMaskEdit {
 public:
  using TCustomMaskEdit::TCustomMaskEdit;
};

}  // namespace platform
