#include "platform/ui/status_bar.h"

#include <nlohmann/json.hpp>

namespace platform {

TStatusBar::TStatusBar(TComponent* owner) : TControl(owner) {
  SetBounds(0, 0, 200, kStatusBarHeight);
  SetAlign(alBottom);
}

void TStatusBar::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  nlohmann::json panels = nlohmann::json::array();
  for (const TStatusPanel& panel : Panels) panels.push_back({{"text", panel.Text}, {"width", panel.Width}});
  out["panels"] = std::move(panels);
}

}  // namespace platform
