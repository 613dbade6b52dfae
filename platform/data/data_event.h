#pragma once
// The notifications a dataset sends to its data sources and they pass on to their
// data links. Internal to the dataset engine; controls see them as the virtual
// callbacks of TDataLink and the events of TDataSource.
namespace platform {

class TField;

enum class DataEventKind {
  FieldChange,      // a field of the current record was assigned (field set)
  RecordChange,     // the current record's values changed as a whole
  DataSetChange,    // rows, order or content changed wholesale
  DataSetScroll,    // the cursor moved (distance set)
  LayoutChange,     // fields added, removed, reordered, shown or hidden
  UpdateRecord,     // before a post: controls write their pending text
  UpdateState,      // the dataset's state changed
  CheckBrowseMode,  // the dataset is about to leave edit mode
  FocusControl,     // a field asks to be focused (field set, handled in/out)
};

struct DataEventInfo {
  TField* field = nullptr;
  int distance = 0;
  bool* handled = nullptr;
};

}  // namespace platform
