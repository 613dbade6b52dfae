#include "platform/data/data_link.h"

#include <algorithm>

#include "platform/data/data_source.h"
#include "platform/data/dataset.h"

namespace platform {

TDataLink::~TDataLink() {
  if (dataSource_) {
    auto& links = dataSource_->links_;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
  }
}

void TDataLink::SetDataSource(TDataSource* dataSource) {
  if (dataSource == dataSource_) return;
  if (dataSource_) {
    auto& links = dataSource_->links_;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
    dataSource_ = nullptr;
    UpdateState();
  }
  if (dataSource) {
    dataSource_ = dataSource;
    dataSource->links_.push_back(this);
    UpdateState();
  }
}

TDataSet* TDataLink::DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

bool TDataLink::Edit() {
  if (!readOnly_ && dataSource_) dataSource_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() { UpdateData(); }

int TDataLink::ActiveRecord() const {
  TDataSet* dataSet = active_ ? DataSet() : nullptr;
  return dataSet ? dataSet->RecNo() - 1 : -1;
}

int TDataLink::RecordCount() const {
  TDataSet* dataSet = active_ ? DataSet() : nullptr;
  return dataSet ? dataSet->RecordCount() : 0;
}

void TDataLink::UpdateState() {
  const TDataSetState state = dataSource_ ? dataSource_->State() : dsInactive;
  const bool active = state != dsInactive;
  const bool editing = state == dsEdit || state == dsInsert;
  if (active != active_) {
    active_ = active;
    editing_ = editing;
    ActiveChanged();
    return;
  }
  if (editing != editing_) {
    editing_ = editing;
    EditingChanged();
  }
}

void TDataLink::Detached() {
  dataSource_ = nullptr;
  UpdateState();
}

void TDataLink::DataEvent(DataEventKind kind, const DataEventInfo& info) {
  switch (kind) {
    case DataEventKind::UpdateState: UpdateState(); break;
    case DataEventKind::FieldChange: RecordChanged(info.field); break;
    case DataEventKind::RecordChange: RecordChanged(nullptr); break;
    case DataEventKind::DataSetChange: DataSetChanged(); break;
    case DataEventKind::DataSetScroll: DataSetScrolled(info.distance); break;
    case DataEventKind::LayoutChange: LayoutChanged(); break;
    case DataEventKind::UpdateRecord: UpdateData(); break;
    case DataEventKind::CheckBrowseMode: CheckBrowseMode(); break;
    case DataEventKind::FocusControl: {
      bool local = false;
      FocusControl(info.field, info.handled ? *info.handled : local);
      break;
    }
  }
}

}  // namespace platform
