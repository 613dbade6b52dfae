#pragma once
// Nrv_msg: TMessages, a screen's message catalog (its component msgPadrao).
//
// The catalog is a list of lines "key|text". Code names messages by key only:
//   Msg(key)       the text after the first "|" of the first line whose part before
//                  that "|" equals the key exactly; a key with no line gives the key
//                  itself, so a missing entry shows up plainly instead of as a blank.
//   ShowMsg(key, type, buttons, helpContext)
//                  a message box with the key's text, the dialog type and buttons
//                  given; returns the answer's modal result (6 = Yes, 7 = No).
//   ReportError(key)
//                  shows the key's text as an error and ends the running operation
//                  (Consiste::MensErro with abort: the silent abort follows).
//   ServerText(text)
//                  what the person reads of a server's error text: a text holding
//                  "@" anywhere is, whole, a key of the catalog ("@PrecoZerNeg") and
//                  gives that key's text; any other text comes back as it is.
// Lines without "|" are kept but never match.
#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/ui/dialogs.h"

namespace Nrv_msg {

class TMessages : public platform::TComponent {
 public:
  explicit TMessages(platform::TComponent* owner = nullptr) : platform::TComponent(owner) {}

  std::vector<std::string> Lines;
  // Appends the line "key|text".
  void Add(const std::string& key, const std::string& text);

  std::string Msg(const std::string& key) const;
  int ShowMsg(const std::string& key, platform::TMsgDlgType type, platform::TMsgDlgButtons buttons,
              int helpContext) const;
  [[noreturn]] void ReportError(const std::string& key) const;
  std::string ServerText(const std::string& text) const;
};

}  // namespace Nrv_msg
