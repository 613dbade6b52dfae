#pragma once
// Containers and static controls: TPanel, TGroupBox, TScrollBox (hold other controls,
// have enter and exit events, never take the focus themselves), TLabel, TBevel.
#include "platform/ui/control.h"

namespace platform {

class TPanel : public TControl {
 public:
  explicit TPanel(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 185, 41); }
  const char* Kind() const override { return "panel"; }

 protected:
  void WriteFields(nlohmann::json& out) const override;
};

class TGroupBox : public TControl {
 public:
  explicit TGroupBox(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 185, 105); }
  const char* Kind() const override { return "groupbox"; }

 protected:
  void WriteFields(nlohmann::json& out) const override;
};

class TScrollBox : public TControl {
 public:
  explicit TScrollBox(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 185, 41); }
  const char* Kind() const override { return "scrollbox"; }
};

class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 32, 13); }
  const char* Kind() const override { return "label"; }
  // The control Alt+accelerator of the caption focuses (unused when null).
  TControl* FocusControl = nullptr;

 protected:
  void WriteFields(nlohmann::json& out) const override;
};

enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

class TBevel : public TControl {
 public:
  explicit TBevel(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 50, 50); }
  const char* Kind() const override { return "bevel"; }
  TBevelShape Shape = TBevelShape::bsBox;
};

}  // namespace platform
