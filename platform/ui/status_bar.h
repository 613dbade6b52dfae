#pragma once
// TStatusBar: the strip along the bottom edge of a window (aligned alBottom, 22 px
// high) that shows texts in panels from left to right; a panel's Width is in pixels,
// and the last panel takes whatever width is left. The snapshot lists the panels as
// "panels": [{"text": ..., "width": ...}, ...].
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace platform {

struct TStatusPanel {
  std::string Text;
  int Width = 50;
};

inline constexpr int kStatusBarHeight = 22;

class TStatusBar : public TControl {
 public:
  explicit TStatusBar(TComponent* owner);
  const char* Kind() const override { return "statusbar"; }
  std::vector<TStatusPanel> Panels;

 protected:
  void WriteFields(nlohmann::json& out) const override;
};

}  // namespace platform
