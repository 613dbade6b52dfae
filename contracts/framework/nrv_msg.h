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
};

}  // namespace Nrv_msg
