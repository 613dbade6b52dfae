#pragma once
// Enter as "next field" on the framework's modal screens: Enter pressed in an edit
// (combo boxes included), a check box or a radio button moves the focus to the next
// control in tab order, as Tab does, and the key goes no further (set to 0). Any other
// key, or Enter elsewhere (a button, a grid), is left as it is.
#include "platform/ui/form.h"

namespace framework {

void EnterAsTab(platform::TCustomForm& form, char32_t& key);

}  // namespace framework
