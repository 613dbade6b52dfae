#pragma once
// TDataLink: the observer a data-aware control (grid, navigator, data text, data
// edit) uses to follow a dataset through a TDataSource.
//
// Subclass it and override the callbacks; they run on the dataset's thread, in the
// order the dataset's operations produce them:
//   ActiveChanged()          the dataset opened or closed (or the link was attached
//                            to another source)
//   EditingChanged()         edit or insert began or ended
//   DataSetChanged()         rows, order or content changed wholesale: redraw all
//   DataSetScrolled(d)       the cursor moved by d rows (default: DataSetChanged)
//   RecordChanged(field)     a field of the current record was written (field), or
//                            the record as a whole (nullptr)
//   LayoutChanged()          fields added, removed, reordered, shown or hidden
//                            (default: DataSetChanged)
//   UpdateData()             a post is starting: write the editor's pending text
//                            into the field now; raise to refuse the post
//   FocusControl(f, handled) a field asks to be focused: a control showing f
//                            focuses itself and sets handled
//   CheckBrowseMode()        the dataset is about to post or cancel
// While the dataset's controls are disabled (DisableControls), links get nothing but
// UpdateData and FocusControl, and one DataSetChanged when they are enabled again.
//
// Random row access for grids that show a window of rows: TDataSet::DisplayTextAt and
// ValueAt read any row without moving the cursor; RecordCount and RecNo locate the
// window.
//
// Destroying a link detaches it; destroying its source or dataset only makes it
// inactive (ActiveChanged).
#include "platform/data/data_event.h"
#include "platform/data/dataset_state.h"

namespace platform {

class TDataSet;
class TDataSource;
class TField;

class TDataLink {
 public:
  TDataLink() = default;
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;
  virtual ~TDataLink();

  TDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* dataSource);
  // The source's dataset, or nullptr.
  TDataSet* DataSet() const;
  // The source reports an open dataset.
  bool Active() const { return active_; }
  // The dataset is in edit or insert state.
  bool Editing() const { return editing_; }
  // A read-only link never puts the dataset in edit.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

  // Puts the dataset in edit through the source (when its AutoEdit allows) and tells
  // whether it is editing now. An edit cancelled by a state handler gives false.
  bool Edit();
  // Calls UpdateData now (as a post would).
  void UpdateRecord();
  // 0-based row of the dataset's cursor, -1 when inactive or empty.
  int ActiveRecord() const;
  // Rows of the dataset (0 when inactive).
  int RecordCount() const;

 protected:
  virtual void ActiveChanged() {}
  virtual void EditingChanged() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int distance) {
    static_cast<void>(distance);
    DataSetChanged();
  }
  virtual void RecordChanged(TField* field) { static_cast<void>(field); }
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void UpdateData() {}
  virtual void FocusControl(TField* field, bool& handled) {
    static_cast<void>(field);
    static_cast<void>(handled);
  }
  virtual void CheckBrowseMode() {}

 private:
  friend class TDataSource;
  void DataEvent(DataEventKind kind, const DataEventInfo& info);
  void UpdateState();
  void Detached();

  TDataSource* dataSource_ = nullptr;
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
};

}  // namespace platform
