#include "framework/enter_as_tab.h"

#include "platform/ui/buttons.h"
#include "platform/ui/edit.h"

namespace framework {

namespace {

bool MovesOnEnter(const platform::TControl* control) {
  return dynamic_cast<const platform::TCustomEdit*>(control) || dynamic_cast<const platform::TCheckBox*>(control) ||
         dynamic_cast<const platform::TRadioButton*>(control);
}

}  // namespace

void EnterAsTab(platform::TCustomForm& form, char32_t& key) {
  if (key != U'\r') return;
  platform::TControl* focused = form.ActiveControl();
  if (!focused || !MovesOnEnter(focused)) return;
  key = 0;
  form.SelectNext(focused, true);
}

}  // namespace framework
