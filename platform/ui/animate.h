#pragma once
// TAnimate: a system animation clip (find file, copy files, ...) the front end plays
// while Active, from StartFrame to StopFrame.
#include "platform/ui/control.h"

namespace platform {

enum class TCommonAVI {
  aviNone, aviFindFolder, aviFindFile, aviFindComputer, aviCopyFiles, aviCopyFile,
  aviRecycleFile, aviEmptyRecycle, aviDeleteFile,
};
using enum TCommonAVI;

class TAnimate : public TControl {
 public:
  explicit TAnimate(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 100, 80); }
  const char* Kind() const override { return "animate"; }
  TCommonAVI CommonAVI = aviNone;
  bool Active = false;
  int StartFrame = 1;
  int StopFrame = 0;  // 0: the clip's last frame
  int Repetitions = 0;  // 0: until stopped

 protected:
  void WriteFields(nlohmann::json& out) const override;
};

}  // namespace platform
