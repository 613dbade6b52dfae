#include "contracts/framework/showavi.h"

#include <optional>

#include "platform/ui/application.h"
#include "platform/ui/screen.h"

namespace Showavi {

namespace {

// The cursor to restore when the animation stops (unit-level state of the animation).
std::optional<platform::TCursor> cursorBefore;

}  // namespace

void ActiveShowAvi(platform::TCustomForm* /*mainWindow*/, TShowAvi kind) {
  if (kind == saNenhum) {
    DeactiveShowAvi();
    return;
  }
  if (!cursorBefore) cursorBefore = platform::Screen().Cursor();
  platform::Screen().SetCursor(platform::crHourGlass);
  platform::Application().SetWaitKind(static_cast<int>(kind));
}

void DeactiveShowAvi() {
  if (!cursorBefore) return;
  platform::Screen().SetCursor(*cursorBefore);
  cursorBefore.reset();
  platform::Application().SetWaitKind(std::nullopt);
}

bool ShowAviActive() { return cursorBefore.has_value(); }

TShowAviScope::TShowAviScope(platform::TCustomForm* mainWindow, TShowAvi kind) : mainWindow_(mainWindow), kind_(kind) {
  if (kind_ == saNenhum) return;
  if (ShowAviActive()) {
    outer_ = static_cast<TShowAvi>(platform::Application().WaitKind().value_or(kind_));
    if (*outer_ == kind_) return;
  }
  ActiveShowAvi(mainWindow_, kind_);
}

TShowAviScope::~TShowAviScope() {
  if (kind_ == saNenhum) return;
  if (!outer_) {
    DeactiveShowAvi();
    return;
  }
  if (ShowAviActive() && *outer_ != kind_) ActiveShowAvi(mainWindow_, *outer_);
}

}  // namespace Showavi
