#include "platform/data/dataset_state.h"

namespace platform {

const char* DataSetStateName(TDataSetState state) noexcept {
  switch (state) {
    case dsInactive: return "dsInactive";
    case dsBrowse: return "dsBrowse";
    case dsEdit: return "dsEdit";
    case dsInsert: return "dsInsert";
  }
  return "?";
}

}  // namespace platform
