#include "contracts/framework/newmenus.h"

namespace Newmenus {

TMenuItem* NewItem(platform::TComponent* owner, TMenuItem* parent, const std::string& name, const std::string& caption) {
  auto* item = new TMenuItem(owner);
  item->SetName(name);
  item->Caption = caption;
  parent->Add(item);
  return item;
}

}  // namespace Newmenus
