#pragma once
// RecordStore: the rows of a TClientDataSet. The loaded packet stays shared and
// unmodified as the base; every change lives in an overlay:
//   - records are numbered: 0..n-1 are the packet's rows, later numbers are rows
//     inserted since;
//   - `overrides_` holds the current values of loaded rows that changed, `extra_` the
//     values of inserted rows;
//   - the change log holds, per changed record, its kind and original values;
//   - `natural_` lists every live record in load/insert order (deleted but unmerged
//     records included, so CancelUpdates puts them back in place), `order_` the
//     visible records in display order.
// A row is a position in `order_`; a record is the stable number behind it.
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/variant/data_packet.h"
#include "platform/variant/variant.h"

namespace platform {

class RecordStore {
 public:
  explicit RecordStore(std::shared_ptr<const DataPacket> base);

  const std::vector<ColumnDef>& columns() const { return base_->columns(); }
  int rowCount() const { return static_cast<int>(order_.size()); }
  Variant value(int row, int column) const;
  // The value the row had at the load or the last merge: its logged original when
  // changed since, Null for a row inserted since.
  Variant originalValue(int row, int column) const;

  // Orders the rows by these columns (empty: load order); returns the new row of the
  // record that was at `currentRow` (-1 when none).
  int setKey(std::vector<int> columns, int currentRow = -1);

  void insertProvisional(int row);
  void dropProvisional(int row);
  // Stores a row's values; returns its position afterwards.
  int post(int row, std::vector<Variant> values);
  // Takes the last post back while nothing else changed since: the record (now at
  // `row`) gets its values and change log entry back (a new row is provisional again)
  // and returns to `originalRow`. False when there is no such post to take back.
  bool undoPost(int row, int originalRow);
  void remove(int row);

  int changeCount() const { return static_cast<int>(log_.size()); }
  std::shared_ptr<const DataPacket> delta() const;
  std::shared_ptr<const DataPacket> data() const;
  void mergeChangeLog();
  // Undoes every logged change; returns the new row of the record that was at
  // `currentRow` (or the nearest row, -1 when empty).
  int cancelUpdates(int currentRow);

 private:
  using RecordId = std::uint32_t;
  struct Change {
    ChangeKind kind;
    std::vector<Variant> original;  // empty for Inserted
    std::uint64_t sequence;
  };
  // What the last post replaced, so it can be taken back.
  struct PostUndo {
    RecordId record = 0;
    bool changed = false;  // false: the post changed no value
    bool wasProvisional = false;
    std::optional<std::vector<Variant>> overlay;  // the record's overlay values before
    std::optional<Change> change;                 // its change log entry before
    std::uint64_t nextSequence = 0;
  };
  struct Cell {
    bool null = true;
    std::string_view text;
    double number = 0;
  };

  const std::vector<Variant>* overlay(RecordId record) const;
  Cell cell(RecordId record, int column) const;
  Variant recordValue(RecordId record, int column) const;
  std::vector<Variant> recordValues(RecordId record) const;
  void setRecordValues(RecordId record, std::vector<Variant> values);
  void freeRecord(RecordId record);
  int compare(RecordId a, RecordId b) const;
  bool less(RecordId a, RecordId b) const { return compare(a, b) < 0; }
  void rebuildOrder();
  void eraseNatural(RecordId record);

  std::shared_ptr<const DataPacket> base_;
  RecordId baseRows_ = 0;
  std::vector<std::vector<Variant>> extra_;
  std::unordered_map<RecordId, std::vector<Variant>> overrides_;
  std::unordered_map<RecordId, Change> log_;
  std::uint64_t nextSequence_ = 0;
  std::optional<RecordId> provisional_;
  std::optional<PostUndo> lastPost_;  // reset by every other change
  std::vector<RecordId> natural_;
  std::vector<RecordId> order_;
  std::vector<int> key_;
};

}  // namespace platform
