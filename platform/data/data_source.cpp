#include "platform/data/data_source.h"

#include <algorithm>

#include "platform/data/data_link.h"
#include "platform/data/dataset.h"

namespace platform {

TDataSource::~TDataSource() {
  if (dataSet_) dataSet_->DetachDataSource(this);
  dataSet_ = nullptr;
  const std::vector<TDataLink*> links = links_;
  links_.clear();
  for (TDataLink* link : links) link->Detached();
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_) {
    dataSet_->DetachDataSource(this);
    dataSet_ = nullptr;
    UpdateState();
  }
  if (dataSet) {
    dataSet_ = dataSet;
    dataSet->AttachDataSource(this);
    UpdateState();
  }
}

void TDataSource::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  UpdateState();
}

void TDataSource::Edit() {
  if (autoEdit_ && dataSet_ && state_ == dsBrowse) dataSet_->Edit();
}

bool TDataSource::HasLink(const TDataLink* link) const {
  return std::find(links_.begin(), links_.end(), link) != links_.end();
}

void TDataSource::NotifyLinks(DataEventKind kind, const DataEventInfo& info) {
  const std::vector<TDataLink*> links = links_;  // a callback may attach or detach links
  for (TDataLink* link : links) {
    if (!HasLink(link)) continue;
    if (kind == DataEventKind::FocusControl && info.handled && *info.handled) return;
    link->DataEvent(kind, info);
  }
}

void TDataSource::UpdateState(bool raiseEvents) {
  const TDataSetState state = (dataSet_ && enabled_) ? dataSet_->State() : dsInactive;
  if (state == state_) return;
  const TDataSetState prior = state_;
  state_ = state;
  NotifyLinks(DataEventKind::UpdateState, {});
  if (!raiseEvents) return;
  if (OnStateChange) {
    const TDataSourceNotifyEvent handler = OnStateChange;
    handler(*this);
  }
  if (prior == dsInactive && OnDataChange) {
    const TDataChangeEvent handler = OnDataChange;
    handler(*this, nullptr);
  }
}

void TDataSource::DataEvent(DataEventKind kind, const DataEventInfo& info) {
  if (kind == DataEventKind::UpdateState) {
    UpdateState();
    return;
  }
  if (state_ == dsInactive) return;
  NotifyLinks(kind, info);
  switch (kind) {
    case DataEventKind::FieldChange:
    case DataEventKind::RecordChange:
    case DataEventKind::DataSetChange:
    case DataEventKind::DataSetScroll:
    case DataEventKind::LayoutChange:
      if (OnDataChange) {
        const TDataChangeEvent handler = OnDataChange;
        handler(*this, kind == DataEventKind::FieldChange ? info.field : nullptr);
      }
      break;
    case DataEventKind::UpdateRecord:
      if (OnUpdateData) {
        const TDataSourceNotifyEvent handler = OnUpdateData;
        handler(*this);
      }
      break;
    default: break;
  }
}

}  // namespace platform
