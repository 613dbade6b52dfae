#pragma once
// TDataSet: rows seen through a cursor, with fields, states and events; the base of
// TClientDataSet. Concrete datasets supply the storage through the protected
// Internal* hooks; this class runs the state machine, the events and the
// notifications of data sources and data links.
//
// Rows are numbered 1..RecordCount (RecNo); while inserting, the new row is part of
// the rows (RecordCount counts it, the grid shows it) until it is posted or cancelled.
//
// Event order (each handler a std::function<void(TDataSet&)> member):
//   Open      BeforeOpen, state browse, AfterOpen, AfterScroll
//   Close     BeforeClose, pending edit discarded, state inactive, AfterClose
//   Insert    (leave edit first), BeforeInsert, BeforeScroll, state insert,
//             OnNewRecord, AfterInsert, AfterScroll. Append the same, the new row
//             last. Edit on an empty dataset inserts.
//   Edit      BeforeEdit, state edit, AfterEdit
//   Post      links' UpdateData, BeforePost, write, state browse, AfterPost
//   Cancel    BeforeCancel, discard, state browse, AfterCancel
//   Delete    BeforeDelete, BeforeScroll, remove, state browse, AfterDelete,
//             AfterScroll (Delete while inserting cancels the insert)
//   Moving    (leave edit first), BeforeScroll, move, AfterScroll; nothing when the
//             cursor would not move
// "Leave edit first" (CheckBrowseMode): the links write their pending text, then a
// modified row is posted and an unmodified one cancelled; a failed post raises and the
// cursor stays. An exception from a Before* handler (e.g. Abort) stops the operation
// with nothing changed: a refused post leaves the row in edit with its typed values.
// An exception from OnNewRecord cancels the insert. After* handlers run when the
// operation is done; their exceptions propagate without undoing it, except AfterPost's:
// a post is kept only when AfterPost succeeds (the handler that stores the row
// elsewhere), so when it raises, the row gets back its stored values and the dataset
// goes back to edit or insert with the values posted, cursor on the row, and the error
// goes on. A handler that already left that state (cancelled the changes, moved,
// reloaded) keeps what it did, and so does a dataset that cannot undo a post.
//
// Re-entrancy: any handler, including a data source's OnStateChange, may call Cancel,
// Post or move. When a state handler cancels the insert or edit being started, the
// cancel completes (state browse, a would-be new row leaves no trace, the cursor back
// on its row) and the interrupted Insert/Append/Edit returns quietly without running
// its remaining steps (OnNewRecord, AfterInsert, AfterEdit, AfterScroll).
//
// Controls: DisableControls/EnableControls nest; while disabled, data sources and links
// get no notifications (except the post's UpdateData and FocusControl, so no typed
// text is lost), and on the last EnableControls they get the state change, if any, and
// one DataSetChanged.
//
// Errors name the dataset (its component Name) when it has one.
//
// Fields: declared fields (AddField, or TField::SetDataSet) are bound to the data's
// columns by name, ignoring case; without declared fields the dataset creates one per
// column. Fields can only be added while the dataset is closed; a declared field
// destroyed while it is open leaves it (the links get LayoutChanged).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/component.h"
#include "platform/data/data_event.h"
#include "platform/data/database_error.h"
#include "platform/data/dataset_state.h"
#include "platform/data/field.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/variant.h"

namespace platform {

class TDataSource;

// Locate options, combined with |.
enum TLocateOption : unsigned {
  loCaseInsensitive = 1,  // strings compared ignoring case and Portuguese accents
  loPartialKey = 2,       // strings match when they begin with the value
};
using TLocateOptions = unsigned;

class TDataSet : public TComponent {
 public:
  using TDataSetNotifyEvent = std::function<void(TDataSet& dataSet)>;

  // An owner, when given, destroys the dataset (which must then be created with new).
  explicit TDataSet(TComponent* owner = nullptr);
  ~TDataSet() override;

  // --- State ---
  TDataSetState State() const { return state_; }
  bool Active() const { return state_ != dsInactive; }
  void SetActive(bool active);
  void Open();
  void Close();
  // Edit or insert state.
  bool IsEditing() const { return state_ == dsEdit || state_ == dsInsert; }
  // A field was written since the edit or insert began (defaults set by OnNewRecord
  // do not count).
  bool Modified() const { return modified_; }
  // A read-only dataset refuses Edit, Insert, Append and Delete.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  bool CanModify() const { return !readOnly_; }

  // --- Navigation (raise EDatabaseError when closed) ---
  void First();
  void Last();
  void Next();
  void Prior();
  // Moves up to `distance` rows; returns the rows actually moved.
  int MoveBy(int distance);
  // 1-based current row; 0 when closed or empty. SetRecNo raises outside 1..RecordCount.
  int RecNo() const;
  void SetRecNo(int recNo);
  // Bof: First, or Prior at the first row. Eof: Last, or Next at the last row.
  // Both are true for an empty dataset.
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  // No rows (true when closed).
  bool IsEmpty() const { return RecordCount() == 0; }
  // Rows, counting a row being inserted; 0 when closed.
  int RecordCount() const;

  // --- Editing ---
  void Edit();
  void Insert();
  void Append();
  // Does nothing unless editing.
  void Post();
  // Does nothing unless editing.
  void Cancel();
  void Delete();
  // Leaves edit mode: posts a modified row, cancels an unmodified one.
  void CheckBrowseMode();
  // Asks the links to write their pending text (UpdateData).
  void UpdateRecord();

  // --- Fields ---
  const std::vector<TField*>& Fields() const { return fields_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // Raises EDatabaseError "Campo 'X' não encontrado" naming the dataset.
  TField& FieldByName(std::string_view name) const;
  TField* FindField(std::string_view name) const;
  // Creates a field owned by the dataset (dataset closed): AddField<TStringField>("CDPRODUTO", 10).
  template <class F, class... Args>
  F& AddField(Args&&... args) {
    auto field = std::make_unique<F>(std::forward<Args>(args)...);
    F& ref = *field;
    AdoptField(std::move(field));
    return ref;
  }
  void AdoptField(std::unique_ptr<TField> field);

  // --- Searching ---
  // Moves to the first row whose fields (names separated by ';') hold `values` (one
  // value, or an array with one value per field), with scroll events when it moves.
  // Strings compare exactly unless loCaseInsensitive (case and accents ignored) or
  // loPartialKey (prefix); other kinds compare by value (a text value is converted as
  // the field converts texts). Leaves edit first. Returns whether a row was found.
  bool Locate(std::string_view fieldNames, const Variant& values, TLocateOptions options = 0);

  // --- Controls ---
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // --- Random row access (the cursor does not move, no events) ---
  // Field texts and values of row recNo (1-based), as if it were the current row:
  // OnGetText handlers reading other fields see that row. The row being edited shows
  // its edit buffer. Raises when closed or out of range.
  std::string DisplayTextAt(int recNo, const TField& field) const;
  std::string TextAt(int recNo, const TField& field) const;
  Variant ValueAt(int recNo, const TField& field) const;

  // --- Events ---
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, OnNewRecord;
  TDataSetNotifyEvent BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost;
  TDataSetNotifyEvent BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete;
  TDataSetNotifyEvent BeforeScroll, AfterScroll;

 protected:
  // --- Storage hooks of concrete datasets ---
  // Makes the rows available (Open); raises when there is nothing to open.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() {}
  virtual const std::vector<ColumnDef>& InternalColumns() const = 0;
  virtual int InternalRecordCount() const = 0;
  // Value of a column of a row (0-based), as stored (not the edit buffer).
  virtual Variant InternalGetValue(int row, int column) const = 0;
  // Adds an all-null provisional row at `row` (0..count).
  virtual void InternalInsertRow(int row) = 0;
  // Removes the provisional row at `row`, leaving no trace.
  virtual void InternalCancelInsert(int row) = 0;
  // Stores the values of the row being edited or inserted (one per column); returns
  // the row's position afterwards (it may move to keep an order). Raises to refuse.
  virtual int InternalPost(int row, std::vector<Variant> values) = 0;
  // Undoes the last InternalPost, whose row is now at `row`, putting the row back at
  // `originalRow` as it was (a new row provisional again); false when the storage
  // cannot, or changed since.
  virtual bool InternalUndoPost(int /*row*/, int /*originalRow*/) { return false; }
  virtual void InternalDelete(int row) = 0;

  // --- Helpers for concrete datasets ---
  // How fields would bind to a set of columns; planned first so a mismatch raises
  // before anything changes.
  struct FieldBinding {
    std::vector<int> columns;  // for each declared field, its column
    bool createFields = false;
    bool keepCreatedFields = false;
    std::vector<ColumnDef> defs;
  };
  FieldBinding PlanFieldBinding(const std::vector<ColumnDef>& columns) const;
  // Binds (or creates) the fields; created fields replacing others mark the layout as
  // changed, reported by OpenWith/ReplaceContent.
  void ApplyFieldBinding(const FieldBinding& binding);
  // Opens running `install` (which puts the new storage in place) between BeforeOpen
  // and the state change. Used by datasets that receive their rows (SetData).
  void OpenWith(const std::function<void()>& install);
  // Replaces the rows of an open dataset: a pending edit is cancelled, `install` runs,
  // the cursor goes to the first row, links get DataSetChanged, then AfterScroll.
  void ReplaceContent(const std::function<void()>& install);
  // After the storage reordered or changed rows on its own: cursor set to `row`
  // (clamped), links get DataSetChanged.
  void Resync(int row);
  int CursorRow() const { return cursor_; }
  void DataEvent(DataEventKind kind, const DataEventInfo& info = {});
  void CheckActive() const;
  [[noreturn]] void Fail(const std::string& message) const;

 private:
  friend class TField;
  friend class TDataSource;

  // Field access for TField.
  Variant GetFieldValue(const TField& field) const;
  void SetFieldValue(TField& field, Variant value);
  void RemoveField(TField* field);
  void AddFieldPointer(TField* field);
  void MoveField(TField* field, int index);

  void AttachDataSource(TDataSource* source);
  void DetachDataSource(TDataSource* source);

  void SetState(TDataSetState state);
  void Fire(const TDataSetNotifyEvent& handler);
  void BeginInsert(bool append);
  void DiscardEdit();
  void GoTo(int row, bool bof, bool eof);
  void CheckCanModify() const;
  int ReadRow() const;
  void ReindexFields();
  bool FieldMatches(const TField& field, int row, const Variant& value, TLocateOptions options) const;

  class ReadRowScope;

  TDataSetState state_ = dsInactive;
  int cursor_ = -1;  // 0-based current row, -1 when empty
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  bool readOnly_ = false;
  std::vector<Variant> buffer_;  // the row being edited or inserted, one value per column
  int insertOrigin_ = -1;        // cursor before the insert began
  bool originBof_ = true;
  bool originEof_ = true;
  std::uint64_t stateSerial_ = 0;  // incremented on every state change
  int disableCount_ = 0;
  TDataSetState disableState_ = dsInactive;
  bool pendingLayout_ = false;  // a layout change happened while controls were disabled
  bool layoutDirty_ = false;    // fields were recreated by ApplyFieldBinding
  mutable int readRow_ = -1;  // row override for DisplayTextAt
  std::vector<TField*> fields_;
  std::vector<std::unique_ptr<TField>> ownedFields_;
  std::vector<TDataSource*> dataSources_;
};

}  // namespace platform
