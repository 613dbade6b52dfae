#pragma once
// TClientDataSet: a dataset held in memory, loaded whole from a data packet, with a
// change log of the rows inserted, modified and deleted since the last merge.
//
// Storage: the loaded packet is kept, shared and unmodified, as the base rows; edits,
// inserts and deletes live in an overlay keyed by record, and the visible order is one
// 32-bit record id per row. Loading 100,000 rows copies no row; RecordCount and row
// access are O(1).
//
// Change log (plain data: kind, original values, current values):
//   - a posted new row is Inserted; later edits keep it Inserted; deleting it leaves
//     nothing;
//   - a posted edit of a loaded row is Modified with the values it had before the first
//     edit (a post that changes no value logs nothing); deleting it makes it Deleted
//     with those same original values;
//   - ChangeCount is the number of rows with a pending change (the rows of Delta).
// MergeChangeLog makes the current rows the saved state; CancelUpdates undoes every
// pending change (new rows go, modified rows get their original values back, deleted
// rows come back in place).
//
// SetData replaces the whole content: rows and change log go, a pending edit is
// cancelled, the dataset opens if closed and the cursor goes to the first row. It
// checks the packet (a plain, non-delta packet whose columns fit the declared fields)
// before changing anything: on any error the previous rows, state and cursor stay
// and the error is raised.
//
// IndexFieldNames ("NRORDEMFAT" or "A;B"): rows kept ordered by those columns (texts
// by byte order, numbers and dates by value, nulls first, ties in load order); a
// posted row moves to its sorted place and the cursor follows it. Empty: load order.
#include <memory>
#include <string>
#include <string_view>

#include "platform/data/dataset.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/variant.h"

namespace platform {

class RecordStore;

class TClientDataSet : public TDataSet {
 public:
  explicit TClientDataSet(TComponent* owner = nullptr);
  ~TClientDataSet() override;

  // Loads a packet (a Variant holding a packet; anything else raises EDatabaseError).
  void SetData(const Variant& data);
  void SetData(std::shared_ptr<const DataPacket> packet);
  // The current rows (pending changes applied, a row being edited as last posted) as a
  // packet, in the dataset's order. Unchanged data gives back the loaded packet.
  Variant Data() const;
  std::shared_ptr<const DataPacket> DataPacketPtr() const;

  int ChangeCount() const;
  int GetChangeCount() const { return ChangeCount(); }
  // The pending changes as a delta packet (DataPacket::isDelta), one row per changed
  // row in the order of their first change: Inserted rows with their values, Modified
  // rows with their current and original values, Deleted rows with their original
  // values as cells and as originals.
  Variant Delta() const;
  Variant GetDelta() const { return Delta(); }
  void MergeChangeLog();
  // The value `field` had in the current row at the load or the last merge, before any
  // pending change (Null for a row inserted since); raises EDatabaseError when closed or
  // empty.
  Variant OldValue(const TField& field) const;
  // Cancels a pending edit, then undoes every logged change; the cursor stays on its
  // row when that row remains, else on the nearest one.
  void CancelUpdates();
  // Removes every row and the change log (the dataset stays open; a pending edit is
  // cancelled first).
  void EmptyDataSet();
  // Creates empty storage from the declared fields and opens the dataset.
  void CreateDataSet();

  const std::string& IndexFieldNames() const { return indexFieldNames_; }
  // Raises EDatabaseError naming an unknown field (when open); leaves edit first.
  void SetIndexFieldNames(std::string names);

 protected:
  void InternalOpen() override;
  void InternalClose() override {}
  const std::vector<ColumnDef>& InternalColumns() const override;
  int InternalRecordCount() const override;
  Variant InternalGetValue(int row, int column) const override;
  void InternalInsertRow(int row) override;
  void InternalCancelInsert(int row) override;
  int InternalPost(int row, std::vector<Variant> values) override;
  bool InternalUndoPost(int row, int originalRow) override;
  void InternalDelete(int row) override;

 private:
  std::unique_ptr<RecordStore> BuildStore(std::shared_ptr<const DataPacket> packet) const;
  std::vector<int> KeyColumns(const std::vector<ColumnDef>& columns) const;
  void Load(std::unique_ptr<RecordStore> store);

  std::unique_ptr<RecordStore> store_;
  std::string indexFieldNames_;
};

}  // namespace platform
