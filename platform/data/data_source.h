#pragma once
// TDataSource: the connection between one dataset and the controls that show it.
//
// A dataset may have several data sources; each data source passes the dataset's
// notifications to its data links (the controls) and raises its own events:
//   OnStateChange  the dataset's state as seen through this source changed (opened,
//                  closed, edit, insert, browse). Handlers may call Cancel, Post or
//                  anything else on the dataset; the dataset stays consistent.
//   OnDataChange   the current record, its values or the rows changed; field is the
//                  field written, or nullptr for a whole record, scroll or refresh.
//   OnUpdateData   before a post, after the links wrote their pending text.
// Handlers are plain members: assign an empty function to detach one and the old one
// back to restore it.
//
// A disabled source (Enabled false) reports the dataset as inactive to its links.
// Destroying a source detaches it from its dataset and its links; destroying the
// dataset detaches the source.
#include <functional>
#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/data/data_event.h"
#include "platform/data/dataset_state.h"

namespace platform {

class TDataSet;
class TDataLink;
class TField;

class TDataSource : public TComponent {
 public:
  using TDataSourceNotifyEvent = std::function<void(TDataSource& sender)>;
  using TDataChangeEvent = std::function<void(TDataSource& sender, TField* field)>;

  // An owner, when given, destroys the source (which must then be created with new).
  explicit TDataSource(TComponent* owner = nullptr) : TComponent(owner) {}
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Whether controls may put the dataset in edit when the user types (default true).
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
  // The dataset's state, or dsInactive without a dataset or when disabled.
  TDataSetState State() const { return state_; }
  // Puts the dataset in edit when AutoEdit is on and it is browsing.
  void Edit();

  TDataSourceNotifyEvent OnStateChange;
  TDataChangeEvent OnDataChange;
  TDataSourceNotifyEvent OnUpdateData;

 private:
  friend class TDataSet;
  friend class TDataLink;

  void DataEvent(DataEventKind kind, const DataEventInfo& info);
  void UpdateState(bool raiseEvents = true);
  void NotifyLinks(DataEventKind kind, const DataEventInfo& info);
  bool HasLink(const TDataLink* link) const;

  TDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  bool autoEdit_ = true;
  TDataSetState state_ = dsInactive;
  std::vector<TDataLink*> links_;
};

}  // namespace platform
