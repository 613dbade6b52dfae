#include "platform/ui/std_controls.h"

#include <nlohmann/json.hpp>

namespace platform {

void TPanel::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  out["caption"] = Caption();
}

void TGroupBox::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  out["caption"] = Caption();
}

void TLabel::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  out["caption"] = Caption();
}

}  // namespace platform
