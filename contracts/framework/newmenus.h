#pragma once
// Newmenus: the menu items of the screens' menus.
//
// TMenuItem is the toolkit's menu item. NewItem creates one named item under a parent:
//   auto* mnuFormComp = Newmenus::NewItem(this, mnuManutencao, "mnuFormComp", "&Fórmula de Composição");
//   mnuFormComp->OnClick = [this](TObject* s) { sbtFormCompClick(s); };
// A "&" in the caption marks the accelerator letter.
#include <string>

#include "platform/ui/menus.h"

namespace Newmenus {

using TMenuItem = platform::TMenuItem;

// An item named `name` with `caption`, added last under `parent` (a top-level item
// when `parent` is a main menu's Items()).
TMenuItem* NewItem(platform::TComponent* owner, TMenuItem* parent, const std::string& name, const std::string& caption);

}  // namespace Newmenus
