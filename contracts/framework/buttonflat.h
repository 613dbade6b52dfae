#pragma once
// Buttonflat: TButtonFlat, the flat toolbar button of the screens (21×21 by default).
//
// It never takes the focus, so clicking it runs no exit handler of the control being
// edited; it shows no caption of its own (the front end draws the glyph its name
// calls for) and tells what it does through its Portuguese hint.
//
//   auto* b = Buttonflat::NewButtonFlat(this, panMenu, "sbtIncluir", "Incluir", 4, 4);
//   b->OnClick = [this](TObject* s) { sbtIncluirClick(s); };
#include <string>

#include "platform/ui/buttons.h"

namespace Buttonflat {

class TButtonFlat : public platform::TSpeedButton {
 public:
  explicit TButtonFlat(platform::TComponent* owner);
};

// A flat button named `name` with the hint given, on `parent` at (left, top), 21×21.
TButtonFlat* NewButtonFlat(platform::TComponent* owner, platform::TControl* parent, const std::string& name,
                           const std::string& hint, int left, int top);

}  // namespace Buttonflat
