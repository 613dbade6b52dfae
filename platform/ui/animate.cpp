#include "platform/ui/animate.h"

#include <nlohmann/json.hpp>

namespace platform {

static const char* clipName(TCommonAVI clip) {
  switch (clip) {
    case aviFindFolder: return "findFolder";
    case aviFindFile: return "findFile";
    case aviFindComputer: return "findComputer";
    case aviCopyFiles: return "copyFiles";
    case aviCopyFile: return "copyFile";
    case aviRecycleFile: return "recycleFile";
    case aviEmptyRecycle: return "emptyRecycle";
    case aviDeleteFile: return "deleteFile";
    default: return "none";
  }
}

void TAnimate::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  out["clip"] = clipName(CommonAVI);
  out["active"] = Active;
  out["startFrame"] = StartFrame;
  out["stopFrame"] = StopFrame;
}

}  // namespace platform
