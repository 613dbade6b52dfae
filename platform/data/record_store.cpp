#include "platform/data/record_store.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "platform/data/database_error.h"

namespace platform {

RecordStore::RecordStore(std::shared_ptr<const DataPacket> base) : base_(std::move(base)) {
  if (!base_) throw EDatabaseError("Pacote de dados ausente");
  if (base_->rowCount() >= std::numeric_limits<RecordId>::max() / 2)
    throw EDatabaseError("Pacote de dados com linhas demais");
  baseRows_ = static_cast<RecordId>(base_->rowCount());
  natural_.resize(baseRows_);
  std::iota(natural_.begin(), natural_.end(), RecordId{0});
  order_ = natural_;
}

const std::vector<Variant>* RecordStore::overlay(RecordId record) const {
  if (record >= baseRows_) return &extra_[record - baseRows_];
  auto it = overrides_.find(record);
  return it == overrides_.end() ? nullptr : &it->second;
}

Variant RecordStore::recordValue(RecordId record, int column) const {
  if (const auto* values = overlay(record)) return (*values)[static_cast<std::size_t>(column)];
  return base_->value(record, static_cast<std::size_t>(column));
}

std::vector<Variant> RecordStore::recordValues(RecordId record) const {
  if (const auto* values = overlay(record)) return *values;
  std::vector<Variant> values;
  values.reserve(base_->columnCount());
  for (std::size_t c = 0; c < base_->columnCount(); ++c) values.push_back(base_->value(record, c));
  return values;
}

void RecordStore::setRecordValues(RecordId record, std::vector<Variant> values) {
  if (record >= baseRows_)
    extra_[record - baseRows_] = std::move(values);
  else
    overrides_[record] = std::move(values);
}

void RecordStore::freeRecord(RecordId record) {
  if (record >= baseRows_) {
    std::vector<Variant>().swap(extra_[record - baseRows_]);  // the number is never reused
  } else {
    overrides_.erase(record);
  }
}

Variant RecordStore::value(int row, int column) const {
  return recordValue(order_[static_cast<std::size_t>(row)], column);
}

Variant RecordStore::originalValue(int row, int column) const {
  const RecordId record = order_[static_cast<std::size_t>(row)];
  auto logged = log_.find(record);
  if (logged == log_.end()) return recordValue(record, column);
  if (logged->second.kind == ChangeKind::Inserted) return Variant::Null();
  return logged->second.original[static_cast<std::size_t>(column)];
}

RecordStore::Cell RecordStore::cell(RecordId record, int column) const {
  Cell out;
  const auto col = static_cast<std::size_t>(column);
  if (const auto* values = overlay(record)) {
    const Variant& v = (*values)[col];
    switch (v.kind()) {
      case Variant::Kind::String: out.text = v.asString(); break;
      case Variant::Kind::Double:
      case Variant::Kind::Integer: out.number = v.asDouble(); break;
      case Variant::Kind::DateTime: out.number = v.asDateTime().value; break;
      case Variant::Kind::Bool: out.number = v.asBool() ? 1 : 0; break;
      default: return out;
    }
    out.null = false;
    return out;
  }
  if (base_->isNull(record, col)) return out;
  out.null = false;
  switch (base_->columns()[col].type) {
    case FieldType::String: out.text = base_->stringAt(record, col); break;
    case FieldType::Float:
    case FieldType::DateTime: out.number = base_->floatAt(record, col); break;
    case FieldType::Integer:
    case FieldType::Boolean: out.number = static_cast<double>(base_->integerAt(record, col)); break;
  }
  return out;
}

int RecordStore::compare(RecordId a, RecordId b) const {
  for (int column : key_) {
    const Cell x = cell(a, column);
    const Cell y = cell(b, column);
    if (x.null || y.null) {
      if (x.null != y.null) return x.null ? -1 : 1;
      continue;
    }
    if (base_->columns()[static_cast<std::size_t>(column)].type == FieldType::String) {
      const int c = x.text.compare(y.text);
      if (c) return c < 0 ? -1 : 1;
    } else if (x.number != y.number) {
      return x.number < y.number ? -1 : 1;
    }
  }
  return 0;
}

void RecordStore::rebuildOrder() {
  order_.clear();
  order_.reserve(natural_.size());
  for (RecordId record : natural_) {
    auto it = log_.find(record);
    if (it == log_.end() || it->second.kind != ChangeKind::Deleted) order_.push_back(record);
  }
  if (key_.empty()) return;
  auto cmp = [this](RecordId a, RecordId b) { return less(a, b); };
  if (!std::is_sorted(order_.begin(), order_.end(), cmp)) std::stable_sort(order_.begin(), order_.end(), cmp);
}

int RecordStore::setKey(std::vector<int> columns, int currentRow) {
  lastPost_.reset();
  const bool hadCurrent = currentRow >= 0 && currentRow < rowCount();
  const RecordId current = hadCurrent ? order_[static_cast<std::size_t>(currentRow)] : 0;
  key_ = std::move(columns);
  rebuildOrder();
  if (!hadCurrent) return -1;
  auto it = std::find(order_.begin(), order_.end(), current);
  return it == order_.end() ? -1 : static_cast<int>(it - order_.begin());
}

void RecordStore::eraseNatural(RecordId record) {
  auto it = std::find(natural_.begin(), natural_.end(), record);
  if (it != natural_.end()) natural_.erase(it);
}

void RecordStore::insertProvisional(int row) {
  lastPost_.reset();
  if (provisional_) throw EDatabaseError("Já existe uma linha sendo incluída");
  const auto record = static_cast<RecordId>(baseRows_ + extra_.size());
  extra_.emplace_back(base_->columnCount(), Variant::Null());
  const auto pos = static_cast<std::size_t>(row);
  if (pos < order_.size()) {
    auto before = std::find(natural_.begin(), natural_.end(), order_[pos]);
    natural_.insert(before, record);
  } else {
    natural_.push_back(record);
  }
  order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(pos), record);
  provisional_ = record;
}

void RecordStore::dropProvisional(int row) {
  lastPost_.reset();
  const RecordId record = order_[static_cast<std::size_t>(row)];
  if (!provisional_ || *provisional_ != record) throw EDatabaseError("A linha não está sendo incluída");
  order_.erase(order_.begin() + row);
  eraseNatural(record);
  provisional_.reset();
  freeRecord(record);
}

int RecordStore::post(int row, std::vector<Variant> values) {
  const RecordId record = order_[static_cast<std::size_t>(row)];
  PostUndo undo;
  undo.record = record;
  undo.changed = true;
  undo.nextSequence = nextSequence_;
  if (const auto* before = overlay(record)) undo.overlay = *before;
  if (auto logged = log_.find(record); logged != log_.end()) undo.change = logged->second;
  if (provisional_ && *provisional_ == record) {
    undo.wasProvisional = true;
    provisional_.reset();
    log_[record] = Change{ChangeKind::Inserted, {}, nextSequence_++};
  } else {
    std::vector<Variant> current = recordValues(record);
    if (current == values) {
      lastPost_ = PostUndo();
      lastPost_->record = record;
      return row;
    }
    if (!log_.contains(record)) log_[record] = Change{ChangeKind::Modified, std::move(current), nextSequence_++};
  }
  lastPost_ = std::move(undo);
  setRecordValues(record, std::move(values));
  if (key_.empty()) return row;
  // Keep the row where it is while it still sorts there; otherwise move it to its place.
  const std::size_t pos = static_cast<std::size_t>(row);
  order_.erase(order_.begin() + row);
  const bool fits = (pos == 0 || compare(order_[pos - 1], record) <= 0) &&
                    (pos >= order_.size() || compare(record, order_[pos]) <= 0);
  std::size_t target = pos;
  if (!fits) {
    auto it = std::upper_bound(order_.begin(), order_.end(), record,
                               [this](RecordId a, RecordId b) { return less(a, b); });
    target = static_cast<std::size_t>(it - order_.begin());
  }
  order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(target), record);
  return static_cast<int>(target);
}

bool RecordStore::undoPost(int row, int originalRow) {
  if (!lastPost_ || row < 0 || row >= rowCount()) return false;
  PostUndo undo = std::move(*lastPost_);
  lastPost_.reset();
  const auto at = static_cast<std::size_t>(row);
  if (order_[at] != undo.record) return false;
  if (!undo.changed) return row == originalRow;
  if (undo.overlay)
    setRecordValues(undo.record, std::move(*undo.overlay));
  else
    overrides_.erase(undo.record);
  if (undo.change)
    log_[undo.record] = std::move(*undo.change);
  else
    log_.erase(undo.record);
  if (undo.wasProvisional) provisional_ = undo.record;
  nextSequence_ = undo.nextSequence;
  order_.erase(order_.begin() + row);
  const auto back = static_cast<std::size_t>(std::clamp(originalRow, 0, rowCount()));
  order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(back), undo.record);
  return true;
}

void RecordStore::remove(int row) {
  lastPost_.reset();
  const RecordId record = order_[static_cast<std::size_t>(row)];
  if (provisional_ && *provisional_ == record) {
    dropProvisional(row);
    return;
  }
  order_.erase(order_.begin() + row);
  auto it = log_.find(record);
  if (it != log_.end() && it->second.kind == ChangeKind::Inserted) {
    log_.erase(it);
    eraseNatural(record);
    freeRecord(record);
  } else if (it != log_.end()) {
    it->second.kind = ChangeKind::Deleted;
  } else {
    log_[record] = Change{ChangeKind::Deleted, recordValues(record), nextSequence_++};
  }
}

std::shared_ptr<const DataPacket> RecordStore::delta() const {
  std::vector<std::pair<std::uint64_t, RecordId>> changed;
  changed.reserve(log_.size());
  for (const auto& [record, change] : log_) changed.emplace_back(change.sequence, record);
  std::sort(changed.begin(), changed.end());
  auto packet = std::make_shared<DataPacket>(DataPacket::Delta(base_->columns()));
  packet->reserve(changed.size());
  for (const auto& [sequence, record] : changed) {
    const Change& change = log_.at(record);
    const std::vector<Variant> cells = change.kind == ChangeKind::Deleted ? change.original : recordValues(record);
    for (const Variant& v : cells) packet->appendValue(v);
    packet->endDeltaRow(change.kind, change.kind == ChangeKind::Inserted ? std::vector<Variant>{} : change.original);
  }
  return packet;
}

std::shared_ptr<const DataPacket> RecordStore::data() const {
  bool untouched = log_.empty() && !provisional_ && overrides_.empty() && extra_.empty() &&
                   order_.size() == baseRows_;
  for (std::size_t i = 0; untouched && i < order_.size(); ++i) untouched = order_[i] == i;
  if (untouched) return base_;
  auto packet = std::make_shared<DataPacket>(base_->columns());
  packet->reserve(order_.size());
  for (RecordId record : order_) {
    if (provisional_ && *provisional_ == record) continue;
    for (std::size_t c = 0; c < base_->columnCount(); ++c) packet->appendValue(recordValue(record, static_cast<int>(c)));
    packet->endRow();
  }
  return packet;
}

void RecordStore::mergeChangeLog() {
  lastPost_.reset();
  bool anyDeleted = false;
  for (const auto& [record, change] : log_) {
    if (change.kind == ChangeKind::Deleted) {
      anyDeleted = true;
      freeRecord(record);
    }
  }
  if (anyDeleted) {
    std::erase_if(natural_, [this](RecordId record) {
      auto it = log_.find(record);
      return it != log_.end() && it->second.kind == ChangeKind::Deleted;
    });
  }
  log_.clear();
}

int RecordStore::cancelUpdates(int currentRow) {
  lastPost_.reset();
  const bool hadCurrent = currentRow >= 0 && currentRow < rowCount();
  const RecordId current = hadCurrent ? order_[static_cast<std::size_t>(currentRow)] : 0;
  bool currentGone = false;
  for (auto& [record, change] : log_) {
    if (change.kind == ChangeKind::Inserted) {
      eraseNatural(record);
      freeRecord(record);
      if (hadCurrent && record == current) currentGone = true;
    } else {
      setRecordValues(record, std::move(change.original));
    }
  }
  log_.clear();
  rebuildOrder();
  if (order_.empty()) return -1;
  if (hadCurrent && !currentGone) {
    auto it = std::find(order_.begin(), order_.end(), current);
    if (it != order_.end()) return static_cast<int>(it - order_.begin());
  }
  return std::min(std::max(currentRow, 0), rowCount() - 1);
}

}  // namespace platform
