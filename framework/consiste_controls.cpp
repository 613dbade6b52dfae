// Consiste's helpers that act on the screen: the error box with its silent abort and
// enabling a container's contents.
#include "contracts/framework/consiste.h"
#include "platform/ui/control.h"
#include "platform/ui/dialogs.h"

namespace Consiste {

void MensErro(const std::string& text, bool abort) {
  platform::MessageDlg(text, platform::mtError, {platform::mbOK}, 0);
  if (abort) platform::Abort();
}

void SetChildEnabled(platform::TControl& container, bool enabled) {
  for (platform::TControl* child : container.Controls()) {
    child->SetEnabled(enabled);
    SetChildEnabled(*child, enabled);
  }
}

}  // namespace Consiste
