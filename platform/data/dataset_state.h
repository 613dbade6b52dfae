#pragma once
// The states of a dataset.
#include <cstdint>

namespace platform {

enum TDataSetState : std::uint8_t {
  dsInactive,  // closed
  dsBrowse,    // open, moving between rows
  dsEdit,      // the current row is being changed
  dsInsert,    // a new row is being added
};

const char* DataSetStateName(TDataSetState state) noexcept;

}  // namespace platform
