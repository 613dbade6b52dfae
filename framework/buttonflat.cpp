#include "contracts/framework/buttonflat.h"

namespace Buttonflat {

TButtonFlat::TButtonFlat(platform::TComponent* owner) : platform::TSpeedButton(owner) {
  SetBounds(0, 0, 21, 21);
  Flat = true;
}

TButtonFlat* NewButtonFlat(platform::TComponent* owner, platform::TControl* parent, const std::string& name,
                           const std::string& hint, int left, int top) {
  auto* button = new TButtonFlat(owner);
  button->SetName(name);
  button->SetHint(hint);
  button->SetParent(parent);
  button->SetBounds(left, top, 21, 21);
  return button;
}

}  // namespace Buttonflat
