#pragma once
// TDBGrid: a data grid that shows and edits a dataset through a data source.
//
// Columns are declared (Columns.Add) or, when none are, one per visible field. Rows are
// the dataset's rows (absolute, 0-based: row r is RecNo r+1); the current row is the
// dataset's cursor, the selected column SelectedIndex / SelectedField.
//
// Editing (with dgEditing and without dgRowSelect, the grid and the column not read-only, the dataset and the
// field modifiable): typing into a cell puts the dataset in edit through the data
// link (a state handler that cancels that edit makes the character drop) and opens
// the in-place editor, a masked edit that follows the field's EditMask. The editor's
// text reaches the field through TField::SetText (hence OnSetText) when the cell is
// left: column change, row change (which then posts), Enter, a post started anywhere
// (UpdateData), or the grid losing the focus. Down on the last row appends, Insert
// inserts; Escape first restores the editor's text, then cancels the row; Ctrl+Delete
// deletes the row after a Yes/No confirmation when dgConfirmDelete is on; Tab moves
// across cells with dgTabs (Ctrl+Tab leaves the grid, keyboard.h); F2 opens or closes
// the editor. Leaving the grid while a new row is untouched cancels it with
// dgCancelOnExit.
//
// OnColExit runs before the column changes (after the editor's text went to the field)
// and may refuse the change by raising; OnColEnter runs after. Programmatic changes of
// SelectedIndex run them too.
//
// Only the visible rows are rendered into the snapshot (their marks too, in a
// multiple-choice list), so its size does not depend on the row count. Drawing is the front end's: OnDrawColumnCell is kept for screens that
// assign it and is not called.
//
// Geometry, which front ends draw exactly: a 1 px border, the title row (with dgTitles)
// and rows of kGridRowHeight, the indicator column (dgIndicator) and the mark column
// (RowMarked) before the data columns, and scroll bars of kGridScrollBarSize. A
// horizontal scroll bar shows when the columns are wider than the grid, a vertical one
// when the rows do not all fit; VisibleRowCount counts only the rows that fit above the
// horizontal scroll bar, so the current row is never hidden under it.
//
// A person may click a column title (OnTitleClick) and, with dgColumnResize, drag a
// column's width (UserColumnWidth); the width stays for the grid's life.
//
// Columns are drawn as wide as their content (title and the texts of the first
// kGridMeasuredRows rows, measured in the front ends' font), or as the screen designed
// them where that is wider, fitted to the grid (column_fit.h): a wider grid shares its
// extra width among them, a narrower one narrows them towards their content or design
// before it scrolls sideways. A width a person dragged is kept as it is. The snapshot's
// "width" is the designed (or dragged) width, "shownWidth" the one drawn.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/data/data_link.h"
#include "platform/data/field.h"
#include "platform/ui/column_fit.h"
#include "platform/ui/control.h"

namespace platform {

class TDataSource;
class TDataSet;
class TDBGrid;
class TInplaceEdit;

enum class TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };
using enum TColumnButtonStyle;

class TColumn {
 public:
  std::string FieldName;
  std::string Title;  // empty: the field's display label
  int Width = 0;      // 0: from the field's display width
  std::vector<std::string> PickList;
  TColumnButtonStyle ButtonStyle = cbsAuto;
  bool ReadOnly = false;
  bool Visible = true;
  std::optional<TAlignment> Alignment;  // unset: the field's alignment
  TAlignment TitleAlignment = taLeftJustify;
  TColor Color = clWindow;
  TFont Font;
};

class TDBGridColumns {
 public:
  TColumn& Add();
  int Count() const noexcept { return static_cast<int>(items_.size()); }
  TColumn& operator[](int index) { return *items_.at(static_cast<std::size_t>(index)); }
  const TColumn& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TColumn>> items_;
};

enum TDBGridOption : std::uint32_t {
  dgEditing = 1u << 0, dgAlwaysShowEditor = 1u << 1, dgTitles = 1u << 2, dgIndicator = 1u << 3,
  dgColumnResize = 1u << 4, dgColLines = 1u << 5, dgRowLines = 1u << 6, dgTabs = 1u << 7,
  dgRowSelect = 1u << 8, dgAlwaysShowSelection = 1u << 9, dgConfirmDelete = 1u << 10,
  dgCancelOnExit = 1u << 11, dgMultiSelect = 1u << 12,
};

class TDBGridOptions {
 public:
  TDBGridOptions(std::initializer_list<TDBGridOption> items) {
    for (auto o : items) bits_ |= o;
  }
  bool Contains(TDBGridOption o) const noexcept { return (bits_ & o) != 0; }
  void Include(TDBGridOption o) noexcept { bits_ |= o; }
  void Exclude(TDBGridOption o) noexcept { bits_ &= ~static_cast<std::uint32_t>(o); }

 private:
  std::uint32_t bits_ = 0;
};

using TDrawColumnCellEvent =
    std::function<void(TObject* Sender, const TRect& Rect, int DataCol, TColumn* Column, int State)>;

inline constexpr int kGridRowHeight = 18;
inline constexpr int kGridTitleHeight = 18;
inline constexpr int kGridScrollBarSize = 16;
inline constexpr int kGridIndicatorWidth = 14;
inline constexpr int kGridMarkWidth = 22;
inline constexpr int kGridMinColumnWidth = 8;
inline constexpr int kGridMaxColumnWidth = 2000;
inline constexpr int kGridMeasuredRows = 500;

class TDBGrid : public TWinControl {
 public:
  explicit TDBGrid(TComponent* owner);
  ~TDBGrid() override;
  const char* Kind() const override { return "dbgrid"; }

  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* source);
  TDataSet* DataSet() const;

  TDBGridColumns Columns;
  TDBGridOptions Options = {dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                            dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit};
  bool ReadOnly = false;

  // Index among the visible columns.
  int SelectedIndex() const noexcept { return selected_; }
  void SetSelectedIndex(int index);
  TField* SelectedField() const;
  void SetSelectedField(TField* field);
  bool EditorMode() const noexcept { return editorMode_; }
  void SetEditorMode(bool on);
  // The text in the cell editor now (the field's text when the editor is not open).
  std::string EditorText() const;
  int TopRow() const noexcept { return topRow_; }
  int RowCount() const;
  // The current row (0-based), -1 when there is none.
  int Row() const;
  int VisibleRowCount() const;
  int ColumnCount() const;
  // Whether the selected cell can be edited now.
  bool CanEditCell() const;

  TNotifyEvent OnColEnter, OnColExit, OnEditButtonClick;
  // A click on the title of the column at that index (among the visible columns).
  std::function<void(TDBGrid* Sender, int Column)> OnTitleClick;
  TDrawColumnCellEvent OnDrawColumnCell;
  // Multiple-choice lists: toggling a row's mark, whether a row is marked, and how
  // many rows are. The snapshot's "marked" names the marked rows among the visible
  // ones (so its size, like that of "rows", does not grow with the row count) and
  // "markedCount" counts every marked row.
  std::function<void(TDBGrid* Sender, int Row)> OnMarkRow;
  std::function<bool(int Row)> RowMarked;
  std::function<int()> MarkedCount;

  // --- a person's actions (the dispatcher checks the refusals first) ---
  void UserClickCell(int row, int col);
  void UserScroll(int topRow);
  void UserPick(const std::string& item);
  void UserEditButton();
  void UserMark(int row);
  void UserTitleClick(int col);
  void UserColumnWidth(int col, int width);
  std::optional<std::string> CellRefusal(int row, int col) const;
  std::optional<std::string> TitleRefusal(int col) const;
  std::optional<std::string> ColumnWidthRefusal(int col, int width) const;
  std::optional<std::string> PickRefusal(const std::string& item) const;
  std::optional<std::string> EditButtonRefusal() const;
  std::optional<std::string> MarkRefusal(int row) const;

  void DoEnter() override;
  void DoExit() override;
  void DefaultKeyDown(std::uint16_t& key, TShiftState shift) override;
  void DefaultKeyPress(char32_t& ch) override;
  bool WantsKey(std::uint16_t key, TShiftState shift) const override;

 protected:
  void WriteFields(nlohmann::json& out) const override;
  // A grid made taller or shorter keeps its current row among the rows that fit.
  void Resized() override { ensureVisible(); }

 private:
  class Link;
  friend class Link;
  struct GridColumn {
    const TColumn* column;
    TField* field;
  };
  std::vector<GridColumn> visibleColumns() const;
  int columnWidth(const GridColumn& c) const;
  std::string columnTitle(const GridColumn& c) const;
  std::optional<int> draggedWidth(const GridColumn& c) const;
  // What a column asks of the room: its content or design, at least its design.
  ColumnWish columnWish(const GridColumn& c, bool boldTitle) const;
  int contentWidth(const GridColumn& c, bool boldTitle) const;
  // The widest text of the field among the first kGridMeasuredRows rows, measured once
  // per change of the data.
  int cellsWidth(const TField& field) const;
  std::string cellText(int row, const TField& field) const;
  // The visible columns' widths as drawn.
  std::vector<int> shownWidths() const;
  int leadWidth() const;
  int bodyHeight() const;
  // Width of everything that scrolls sideways: indicator, marks and columns.
  int dataWidth() const;
  std::optional<GridColumn> current() const;
  bool canEdit(const GridColumn& c) const;
  bool canModifyRows() const;
  void showEditor();
  void loadEditor();
  void commitEditor();
  void moveRow(int delta);
  void moveToColumn(int index);
  void nextCell(bool forward);
  void escape();
  // Alt+Down: opens the current column's pick list (on the front end) or runs its
  // ellipsis; on a column with neither the key is left to the form.
  void openColumnList(std::uint16_t& key);
  void deleteRecord();
  void ensureVisible();
  void clampSelection();
  // data link callbacks
  void linkActiveChanged();
  // `contentChanged`: rows were loaded, changed or removed (not only scrolled over).
  void linkDataChanged(bool contentChanged);
  void linkRecordChanged(TField* field);
  void linkEditingChanged();
  void linkUpdateData();
  void linkFocusControl(TField* field, bool& handled);

  std::unique_ptr<Link> link_;
  TInplaceEdit* editor_;
  std::map<std::string, int> draggedWidths_;  // by field name
  int dataGeneration_ = 0;                    // counts changes of the rows' content
  mutable int measuredGeneration_ = -1;
  mutable std::map<std::string, int> cellsWidths_;  // by field name, for measuredGeneration_
  int selected_ = 0;
  int topRow_ = 0;
  bool editorMode_ = false;
  bool editorModified_ = false;
  bool loadingEditor_ = false;
  int dropDowns_ = 0;  // pick lists opened by key, counted for the snapshot's "dropDown"
};

}  // namespace platform
