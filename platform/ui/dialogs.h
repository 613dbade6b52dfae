#pragma once
// Standard message boxes.
//
// MessageDlg shows the modal window "dlgMessage" (window kind "message") with the text,
// the dialog type and one button per requested answer (btnYes, btnNo, btnOK, btnCancel,
// btnAbort, btnRetry, btnIgnore), and returns the modal result of the button chosen
// (mrYes = 6, mrNo = 7, ...). Enter clicks the default button (OK, else Yes), Escape
// the cancel one (Cancel, else No, else OK); closing the box answers mrCancel.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/ui/form.h"

namespace platform {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore };

class TMsgDlgButtons {
 public:
  TMsgDlgButtons() = default;
  TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
    for (TMsgDlgBtn b : buttons) *this << b;
  }
  TMsgDlgButtons& operator<<(TMsgDlgBtn b) {
    bits_ |= static_cast<std::uint16_t>(1u << b);
    return *this;
  }
  bool Contains(TMsgDlgBtn b) const noexcept { return (bits_ >> b) & 1u; }
  bool Empty() const noexcept { return bits_ == 0; }

 private:
  std::uint16_t bits_ = 0;
};

// The message box window; created and shown by MessageDlg.
class TMessageForm : public TForm {
 public:
  TMessageForm(TComponent* owner, std::string text, TMsgDlgType type, TMsgDlgButtons buttons);
  const std::string& Text() const noexcept { return text_; }
  TMsgDlgType DlgType() const noexcept { return type_; }

 protected:
  void WriteFields(nlohmann::json& out) const override;

 private:
  std::string text_;
  TMsgDlgType type_;
};

// Shows a modal message box and returns the answer's modal result.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
// An information box with OK.
void ShowMessage(const std::string& text);

// The snapshot's name of a dialog type ("error", "confirmation", ...).
const char* DlgTypeName(TMsgDlgType type) noexcept;

}  // namespace platform
