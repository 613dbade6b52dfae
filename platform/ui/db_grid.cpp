#include "platform/ui/db_grid.h"

#include <algorithm>
#include <iostream>

#include <nlohmann/json.hpp>

#include "platform/core/exceptions.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/mask_edit.h"
#include "platform/ui/text_width.h"

namespace platform {

namespace {
constexpr int kDefaultColumnWidth = 64;
constexpr int kBorder = 1;
// A cell's padding (4 px each side) and right line, and a pixel for rounding.
constexpr int kCellPadding = 10;
// The pick-list or ellipsis button over the current cell.
constexpr int kCellButtonWidth = 16;

const char* stateName(TDataSetState state) {
  switch (state) {
    case dsBrowse: return "browse";
    case dsEdit: return "edit";
    case dsInsert: return "insert";
    default: return "inactive";
  }
}

const char* alignmentName(TAlignment a) {
  return a == taRightJustify ? "right" : a == taCenter ? "center" : "left";
}
}  // namespace

// The cell editor: a masked edit the grid owns but never parents, fed the grid's keys.
class TInplaceEdit : public TCustomMaskEdit {
 public:
  using TCustomMaskEdit::TCustomMaskEdit;
  using TCustomEdit::DeleteForward;
};

class TDBGrid::Link : public TDataLink {
 public:
  explicit Link(TDBGrid& grid) : grid_(grid) {}

 protected:
  void ActiveChanged() override { grid_.linkActiveChanged(); }
  void DataSetChanged() override { grid_.linkDataChanged(true); }
  void DataSetScrolled(int) override { grid_.linkDataChanged(false); }
  void RecordChanged(TField* field) override { grid_.linkRecordChanged(field); }
  void LayoutChanged() override { grid_.linkDataChanged(true); }
  void EditingChanged() override { grid_.linkEditingChanged(); }
  void UpdateData() override { grid_.linkUpdateData(); }
  void FocusControl(TField* field, bool& handled) override { grid_.linkFocusControl(field, handled); }

 private:
  TDBGrid& grid_;
};

TColumn& TDBGridColumns::Add() {
  items_.push_back(std::make_unique<TColumn>());
  return *items_.back();
}

TDBGrid::TDBGrid(TComponent* owner)
    : TWinControl(owner), link_(std::make_unique<Link>(*this)), editor_(new TInplaceEdit(this)) {
  SetBounds(0, 0, 320, 120);
  SetColor(clWindow);
  editor_->SetName("");
  editor_->OnChange = [this](TObject*) {
    if (!loadingEditor_) editorModified_ = true;
  };
}

TDBGrid::~TDBGrid() { link_.reset(); }

TDataSource* TDBGrid::DataSource() const { return link_->DataSource(); }
void TDBGrid::SetDataSource(TDataSource* source) { link_->SetDataSource(source); }
TDataSet* TDBGrid::DataSet() const { return link_->Active() ? link_->DataSet() : nullptr; }

std::vector<TDBGrid::GridColumn> TDBGrid::visibleColumns() const {
  std::vector<GridColumn> out;
  TDataSet* ds = link_->DataSet();
  if (Columns.Count() > 0) {
    for (int i = 0; i < Columns.Count(); ++i) {
      const TColumn& c = Columns[i];
      if (c.Visible) out.push_back({&c, ds ? ds->FindField(c.FieldName) : nullptr});
    }
    return out;
  }
  if (ds)
    for (TField* f : ds->Fields())
      if (f->Visible()) out.push_back({nullptr, f});
  return out;
}

int TDBGrid::ColumnCount() const { return static_cast<int>(visibleColumns().size()); }

std::optional<TDBGrid::GridColumn> TDBGrid::current() const {
  auto cols = visibleColumns();
  if (selected_ < 0 || selected_ >= static_cast<int>(cols.size())) return std::nullopt;
  return cols[static_cast<std::size_t>(selected_)];
}

TField* TDBGrid::SelectedField() const {
  auto c = current();
  return c ? c->field : nullptr;
}

void TDBGrid::SetSelectedField(TField* field) {
  auto cols = visibleColumns();
  for (std::size_t i = 0; i < cols.size(); ++i)
    if (cols[i].field == field) return SetSelectedIndex(static_cast<int>(i));
}

void TDBGrid::SetSelectedIndex(int index) { moveToColumn(index); }

int TDBGrid::RowCount() const { return link_->Active() ? link_->RecordCount() : 0; }
int TDBGrid::Row() const { return link_->Active() ? link_->ActiveRecord() : -1; }

int TDBGrid::columnWidth(const GridColumn& c) const {
  if (auto dragged = draggedWidth(c)) return *dragged;
  const TColumn* col = c.column;
  if (col && col->Width > 0) return col->Width;
  if (!c.field) return kDefaultColumnWidth;
  return std::max(kDefaultColumnWidth, c.field->DisplayWidth() * 7);
}

std::string TDBGrid::columnTitle(const GridColumn& c) const {
  const TColumn* col = c.column;
  if (col && !col->Title.empty()) return col->Title;
  return c.field ? c.field->DisplayLabel() : (col ? col->FieldName : "");
}

std::optional<int> TDBGrid::draggedWidth(const GridColumn& c) const {
  auto dragged = draggedWidths_.find(c.column ? c.column->FieldName : c.field->FieldName());
  if (dragged == draggedWidths_.end()) return std::nullopt;
  return dragged->second;
}

ColumnWish TDBGrid::columnWish(const GridColumn& c, bool boldTitle) const {
  if (auto dragged = draggedWidth(c)) return {*dragged, *dragged, true};
  const int content = contentWidth(c, boldTitle);
  const int designed = c.column && c.column->Width > 0 ? c.column->Width : 0;
  return {std::max(designed, content), designed > 0 ? designed : content, false};
}

int TDBGrid::contentWidth(const GridColumn& c, bool boldTitle) const {
  int width = TextWidth(columnTitle(c), boldTitle);
  if (c.field) width = std::max(width, cellsWidth(*c.field));
  const bool button = c.column && (!c.column->PickList.empty() || c.column->ButtonStyle == cbsEllipsis);
  return std::clamp(width + kCellPadding + (button ? kCellButtonWidth : 0), kGridMinColumnWidth, kGridMaxColumnWidth);
}

int TDBGrid::cellsWidth(const TField& field) const {
  if (measuredGeneration_ != dataGeneration_) {
    cellsWidths_.clear();
    measuredGeneration_ = dataGeneration_;
  }
  auto known = cellsWidths_.find(field.FieldName());
  if (known != cellsWidths_.end()) return known->second;
  int widest = 0;
  const int rows = std::min(RowCount(), kGridMeasuredRows);
  for (int r = 0; r < rows; ++r) widest = std::max(widest, TextWidth(cellText(r, field)));
  cellsWidths_[field.FieldName()] = widest;
  return widest;
}

std::string TDBGrid::cellText(int row, const TField& field) const {
  TDataSet* ds = DataSet();
  if (!ds) return {};
  try {
    return ds->DisplayTextAt(row + 1, field);
  } catch (const std::exception& e) {
    std::cerr << "Texto da célula " << Name() << "[" << row << "]: " << e.what() << "\n";
    return {};
  }
}

int TDBGrid::leadWidth() const {
  return (Options.Contains(dgIndicator) ? kGridIndicatorWidth : 0) + (RowMarked ? kGridMarkWidth : 0);
}

int TDBGrid::bodyHeight() const {
  return Height() - 2 * kBorder - (Options.Contains(dgTitles) ? kGridTitleHeight : 0);
}

// Fitted to the room the vertical scroll bar leaves when the rows need it, which they
// may only once a horizontal bar takes its height.
std::vector<int> TDBGrid::shownWidths() const {
  std::vector<ColumnWish> wishes;
  const std::vector<GridColumn> columns = visibleColumns();
  // A grid that selects whole rows shows the title of its selected column (the one a
  // search list searches) in bold.
  for (std::size_t i = 0; i < columns.size(); ++i)
    wishes.push_back(columnWish(columns[i], Options.Contains(dgRowSelect) && static_cast<int>(i) == selected_));
  const int room = Width() - 2 * kBorder - leadWidth();
  const int rows = RowCount();
  const bool vertical = rows > bodyHeight() / kGridRowHeight;
  std::vector<int> widths = FitColumns(wishes, room - (vertical ? kGridScrollBarSize : 0));
  int total = 0;
  for (int w : widths) total += w;
  if (!vertical && total > room && rows > (bodyHeight() - kGridScrollBarSize) / kGridRowHeight)
    widths = FitColumns(wishes, room - kGridScrollBarSize);
  return widths;
}

int TDBGrid::dataWidth() const {
  int width = leadWidth();
  for (int w : shownWidths()) width += w;
  return width;
}

// The rows that fit between the titles and the horizontal scroll bar, which shows when
// the columns are wider than the room the vertical one leaves (and that one shows when
// the rows do not fit): settled in a few passes, since each bar only ever appears.
int TDBGrid::VisibleRowCount() const {
  const int innerWidth = Width() - 2 * kBorder;
  const int body = bodyHeight();
  const int data = dataWidth();
  const int rows = RowCount();
  bool vertical = false;
  int visible = 1;
  for (int pass = 0; pass < 3; ++pass) {
    const bool horizontal = data > innerWidth - (vertical ? kGridScrollBarSize : 0);
    visible = std::max(1, (body - (horizontal ? kGridScrollBarSize : 0)) / kGridRowHeight);
    vertical = rows > visible;
  }
  return visible;
}

bool TDBGrid::canModifyRows() const {
  TDataSet* ds = DataSet();
  return ds && !ReadOnly && !link_->ReadOnly() && ds->CanModify();
}

bool TDBGrid::canEdit(const GridColumn& c) const {
  return Options.Contains(dgEditing) && !Options.Contains(dgRowSelect) && canModifyRows() && c.field && !c.field->ReadOnly() &&
         c.field->CanModify() && !(c.column && c.column->ReadOnly);
}

bool TDBGrid::CanEditCell() const {
  auto c = current();
  return c && canEdit(*c);
}

std::string TDBGrid::EditorText() const {
  if (editorMode_) return editor_->EditText();
  TField* f = SelectedField();
  return f && DataSet() && !DataSet()->IsEmpty() ? f->Text() : std::string();
}

// --- editor ---

void TDBGrid::loadEditor() {
  auto c = current();
  loadingEditor_ = true;
  try {
    editor_->SetEditMask(c && c->field ? c->field->EditMask() : std::string());
    bool isString = c && c->field && c->field->DataType() == FieldType::String;
    editor_->SetMaxLength(isString ? c->field->Size() : 0);
    bool hasRow = DataSet() && !DataSet()->IsEmpty();
    editor_->SetText(c && c->field && hasRow ? c->field->Text() : std::string());
  } catch (...) {
    loadingEditor_ = false;
    throw;
  }
  loadingEditor_ = false;
  editorModified_ = false;
  editor_->SelectAll();
}

void TDBGrid::showEditor() {
  if (!CanEditCell()) return;
  if (!editorMode_) loadEditor();
  editorMode_ = true;
}

void TDBGrid::SetEditorMode(bool on) {
  if (on) {
    showEditor();
    return;
  }
  commitEditor();
  editorMode_ = false;
}

void TDBGrid::commitEditor() {
  if (!editorModified_) return;
  auto c = current();
  if (!c || !c->field || !DataSet() || !DataSet()->IsEditing()) {
    editorModified_ = false;
    return;
  }
  c->field->SetText(editor_->Text());  // raises with the typed text kept
  editorModified_ = false;
  if (editorMode_) loadEditor();
}

// --- movement ---

void TDBGrid::ensureVisible() {
  int row = Row();
  int visible = VisibleRowCount();
  if (row >= 0) {
    if (row < topRow_) topRow_ = row;
    if (row >= topRow_ + visible) topRow_ = row - visible + 1;
  }
  topRow_ = std::clamp(topRow_, 0, std::max(0, RowCount() - visible));
}

void TDBGrid::clampSelection() {
  int count = ColumnCount();
  selected_ = count == 0 ? 0 : std::clamp(selected_, 0, count - 1);
}

void TDBGrid::moveRow(int delta) {
  TDataSet* ds = DataSet();
  if (!ds || delta == 0) return;
  commitEditor();
  ds->MoveBy(delta);
  ensureVisible();
}

void TDBGrid::moveToColumn(int index) {
  int count = ColumnCount();
  if (count == 0) return;
  index = std::clamp(index, 0, count - 1);
  if (index == selected_) return;
  commitEditor();
  if (OnColExit) OnColExit(this);
  selected_ = index;
  if (editorMode_) {
    if (CanEditCell() || Options.Contains(dgAlwaysShowEditor))
      loadEditor();
    else
      editorMode_ = false;
  }
  if (OnColEnter) OnColEnter(this);
}

void TDBGrid::nextCell(bool forward) {
  int count = ColumnCount();
  if (count == 0) return;
  if (forward && selected_ + 1 < count) return moveToColumn(selected_ + 1);
  if (!forward && selected_ > 0) return moveToColumn(selected_ - 1);
  int row = Row();
  if (forward && row + 1 < RowCount()) {
    moveRow(1);
    moveToColumn(0);
  } else if (!forward && row > 0) {
    moveRow(-1);
    moveToColumn(count - 1);
  }
}

void TDBGrid::escape() {
  if (editorMode_ && editorModified_) {
    loadEditor();
    return;
  }
  if (!Options.Contains(dgAlwaysShowEditor)) editorMode_ = false;
  if (TDataSet* ds = DataSet(); ds && ds->IsEditing()) ds->Cancel();
}

void TDBGrid::deleteRecord() {
  TDataSet* ds = DataSet();
  if (!canModifyRows() || ds->IsEmpty()) return;
  if (Options.Contains(dgConfirmDelete) &&
      MessageDlg("Excluir o registro?", mtConfirmation, {mbYes, mbNo}, 0) != mrYes)
    return;
  editorModified_ = false;
  editorMode_ = false;
  ds->Delete();
  ensureVisible();
}

// --- keys ---

bool TDBGrid::WantsKey(std::uint16_t key, TShiftState shift) const {
  if (key == VK_TAB) return Options.Contains(dgTabs) && !shift.Contains(ssCtrl);
  if (key == VK_ESCAPE) return editorMode_ || (DataSet() && DataSet()->IsEditing());
  return true;
}

void TDBGrid::DefaultKeyDown(std::uint16_t& key, TShiftState shift) {
  TDataSet* ds = DataSet();
  if (!ds) return;
  if (key == VK_DOWN && shift.Contains(ssAlt)) {
    openColumnList(key);
    return;
  }
  bool ctrl = shift.Contains(ssCtrl);
  int caret = editor_->SelStart() + editor_->SelLength();
  int limit = static_cast<int>(Utf8Decode(editor_->EditText()).size());
  switch (key) {
    case VK_UP: moveRow(-1); break;
    case VK_DOWN:
      if (ds->RecNo() >= ds->RecordCount() && canModifyRows() && Options.Contains(dgEditing)) {
        if (ds->State() == dsInsert && !ds->Modified()) break;  // already on a new row
        commitEditor();
        ds->Append();
        ensureVisible();
      } else {
        moveRow(1);
      }
      break;
    case VK_PRIOR: moveRow(-VisibleRowCount()); break;
    case VK_NEXT: moveRow(VisibleRowCount()); break;
    case VK_HOME:
    case VK_END:
      if (editorMode_ && !ctrl) {
        editor_->DefaultKeyDown(key, shift);
      } else if (ctrl) {
        commitEditor();
        key == VK_HOME ? ds->First() : ds->Last();
        ensureVisible();
      } else {
        moveToColumn(key == VK_HOME ? 0 : ColumnCount() - 1);
      }
      break;
    case VK_LEFT:
      if (editorMode_ && (caret > 0 || editor_->SelLength() > 0)) {
        editor_->DefaultKeyDown(key, shift);
      } else {
        moveToColumn(selected_ - 1);
      }
      break;
    case VK_RIGHT:
      if (editorMode_ && (caret < limit || editor_->SelLength() > 0) && editorModified_) {
        editor_->DefaultKeyDown(key, shift);
      } else {
        moveToColumn(selected_ + 1);
      }
      break;
    case VK_TAB:
      if (!Options.Contains(dgTabs) || shift.Contains(ssAlt) || ctrl) return;
      nextCell(!shift.Contains(ssShift));
      break;
    case VK_ESCAPE:
      if (!WantsKey(key, shift)) return;
      escape();
      break;
    case VK_F2:
      editorMode_ ? SetEditorMode(false) : showEditor();
      break;
    case VK_INSERT:
      if (!canModifyRows() || !Options.Contains(dgEditing)) return;
      commitEditor();
      ds->Insert();
      ensureVisible();
      break;
    case VK_DELETE:
      if (ctrl) {
        deleteRecord();
      } else if (CanEditCell() && link_->Edit()) {
        showEditor();
        if (editor_->DeleteForward()) editorModified_ = true;
      }
      break;
    default: return;
  }
  key = 0;
}

void TDBGrid::DefaultKeyPress(char32_t& ch) {
  if (!DataSet()) return;
  if (ch == U'\r') {
    ch = 0;
    if (editorMode_) {
      commitEditor();
      if (!Options.Contains(dgAlwaysShowEditor)) editorMode_ = false;
    } else {
      showEditor();
    }
    return;
  }
  if (ch != 8 && ch < 32) return;
  char32_t typed = ch;
  ch = 0;
  if (!CanEditCell()) return;
  if (!link_->Edit()) {  // a state handler cancelled the edit: the character drops
    editorMode_ = false;
    return;
  }
  if (!CanEditCell()) return;
  showEditor();
  editor_->DefaultKeyPress(typed);
}

// --- focus ---

void TDBGrid::DoEnter() { TControl::DoEnter(); }

void TDBGrid::DoExit() {
  if (TDataSet* ds = DataSet()) {
    if (Options.Contains(dgCancelOnExit) && ds->State() == dsInsert && !ds->Modified() && !editorModified_)
      ds->Cancel();
    else
      commitEditor();
  }
  if (!Options.Contains(dgAlwaysShowEditor)) editorMode_ = false;
  TControl::DoExit();
}

// --- a person's actions ---

void TDBGrid::UserClickCell(int row, int col) {
  if (!Focused()) {
    SetFocus();
    if (!Focused()) return;
  }
  bool sameCell = row == Row() && col == selected_;
  if (row != Row()) {
    moveRow(row - Row());
    if (Row() != row) return;
  }
  if (col != selected_) moveToColumn(col);
  if (sameCell) showEditor();
}

void TDBGrid::UserScroll(int topRow) {
  topRow_ = std::clamp(topRow, 0, std::max(0, RowCount() - VisibleRowCount()));
}

void TDBGrid::UserPick(const std::string& item) {
  if (!Focused()) {
    SetFocus();
    if (!Focused()) return;
  }
  if (!CanEditCell() || !link_->Edit() || !CanEditCell()) return;
  showEditor();
  editor_->SetText(item);
  editorModified_ = true;
  commitEditor();
}

void TDBGrid::UserEditButton() {
  if (!Focused()) {
    SetFocus();
    if (!Focused()) return;
  }
  if (OnEditButtonClick) OnEditButtonClick(this);
}

void TDBGrid::openColumnList(std::uint16_t& key) {
  auto c = current();
  if (!c || !c->column) return;
  if (!c->column->PickList.empty() && canEdit(*c)) {
    key = 0;
    ++dropDowns_;
  } else if (c->column->ButtonStyle == cbsEllipsis) {
    key = 0;
    if (OnEditButtonClick) OnEditButtonClick(this);
  }
}

void TDBGrid::UserMark(int row) {
  if (OnMarkRow) OnMarkRow(this, row);
}

void TDBGrid::UserTitleClick(int col) {
  if (OnTitleClick) OnTitleClick(this, col);
}

void TDBGrid::UserColumnWidth(int col, int width) {
  GridColumn c = visibleColumns().at(static_cast<std::size_t>(col));
  width = std::clamp(width, kGridMinColumnWidth, kGridMaxColumnWidth);
  draggedWidths_[c.column ? c.column->FieldName : c.field->FieldName()] = width;
  ensureVisible();
}

std::optional<std::string> TDBGrid::CellRefusal(int row, int col) const {
  if (row < 0 || row >= RowCount())
    return "Linha inexistente na grade " + Name() + ": " + std::to_string(row) + ".";
  if (col < 0 || col >= ColumnCount())
    return "Coluna inexistente na grade " + Name() + ": " + std::to_string(col) + ".";
  return std::nullopt;
}

std::optional<std::string> TDBGrid::TitleRefusal(int col) const {
  if (col < 0 || col >= ColumnCount())
    return "Coluna inexistente na grade " + Name() + ": " + std::to_string(col) + ".";
  return std::nullopt;
}

std::optional<std::string> TDBGrid::ColumnWidthRefusal(int col, int width) const {
  if (!Options.Contains(dgColumnResize)) return "A grade " + Name() + " não permite mudar a largura das colunas.";
  if (auto why = TitleRefusal(col)) return why;
  if (width < kGridMinColumnWidth || width > kGridMaxColumnWidth)
    return "Largura de coluna inválida: " + std::to_string(width) + ".";
  return std::nullopt;
}

std::optional<std::string> TDBGrid::PickRefusal(const std::string& item) const {
  auto c = current();
  if (!c || !c->column || c->column->PickList.empty())
    return "A coluna atual da grade " + Name() + " não tem lista de escolha.";
  const auto& list = c->column->PickList;
  if (std::find(list.begin(), list.end(), item) == list.end())
    return "Item fora da lista de escolha da grade " + Name() + ": " + item + ".";
  if (!canEdit(*c)) return "A coluna atual da grade " + Name() + " não pode ser editada.";
  return std::nullopt;
}

std::optional<std::string> TDBGrid::EditButtonRefusal() const {
  auto c = current();
  if (!c || !c->column || c->column->ButtonStyle != cbsEllipsis)
    return "A coluna atual da grade " + Name() + " não tem botão de reticências.";
  return std::nullopt;
}

std::optional<std::string> TDBGrid::MarkRefusal(int row) const {
  if (!OnMarkRow) return "A grade " + Name() + " não permite marcar linhas.";
  if (row < 0 || row >= RowCount())
    return "Linha inexistente na grade " + Name() + ": " + std::to_string(row) + ".";
  return std::nullopt;
}

// --- data link callbacks ---

void TDBGrid::linkActiveChanged() {
  ++dataGeneration_;
  topRow_ = 0;
  editorMode_ = false;
  editorModified_ = false;
  clampSelection();
}

void TDBGrid::linkDataChanged(bool contentChanged) {
  if (contentChanged) ++dataGeneration_;
  clampSelection();
  ensureVisible();
  if (editorMode_ && !editorModified_) loadEditor();
}

void TDBGrid::linkRecordChanged(TField* field) {
  if (!editorMode_ || editorModified_) return;
  if (field == nullptr || field == SelectedField()) loadEditor();
}

void TDBGrid::linkEditingChanged() {
  if (DataSet() && DataSet()->IsEditing()) return;
  editorModified_ = false;
  if (!Options.Contains(dgAlwaysShowEditor)) editorMode_ = false;
  else if (editorMode_) loadEditor();
}

void TDBGrid::linkUpdateData() { commitEditor(); }

void TDBGrid::linkFocusControl(TField* field, bool& handled) {
  auto cols = visibleColumns();
  for (std::size_t i = 0; i < cols.size(); ++i) {
    if (cols[i].field != field) continue;
    if (CanFocus() && !Focused()) SetFocus();
    moveToColumn(static_cast<int>(i));
    handled = true;
    return;
  }
}

// --- snapshot ---

void TDBGrid::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  auto cols = visibleColumns();
  const std::vector<int> shown = shownWidths();
  nlohmann::json columns = nlohmann::json::array();
  for (std::size_t i = 0; i < cols.size(); ++i) {
    const GridColumn& c = cols[i];
    const TColumn* col = c.column;
    TAlignment align = col && col->Alignment ? *col->Alignment : c.field ? c.field->Alignment() : taLeftJustify;
    columns.push_back({
        {"field", col ? col->FieldName : c.field->FieldName()},
        {"title", columnTitle(c)},
        {"width", columnWidth(c)},
        {"shownWidth", shown[i]},
        {"pickList", col ? col->PickList : std::vector<std::string>()},
        {"button", col && col->ButtonStyle == cbsEllipsis ? "ellipsis" : "none"},
        {"readOnly", !canEdit(c)},
        {"alignment", alignmentName(align)},
        {"titleAlignment", alignmentName(col ? col->TitleAlignment : taLeftJustify)},
    });
  }
  out["columns"] = std::move(columns);
  int rowCount = RowCount();
  out["rowCount"] = rowCount;
  out["topRow"] = topRow_;
  out["row"] = Row();
  out["col"] = selected_;
  nlohmann::json rows = nlohmann::json::array();
  const int lastShown = std::min(rowCount, topRow_ + VisibleRowCount());
  if (DataSet()) {
    for (int r = topRow_; r < lastShown; ++r) {
      nlohmann::json cells = nlohmann::json::array();
      for (const GridColumn& c : cols) cells.push_back(c.field ? cellText(r, *c.field) : std::string());
      rows.push_back(std::move(cells));
    }
  }
  out["rows"] = std::move(rows);
  out["visibleRows"] = VisibleRowCount();
  out["dropDown"] = dropDowns_;
  out["editorMode"] = editorMode_;
  out["editorText"] = editorMode_ ? editor_->EditText() : std::string();
  out["editorSelStart"] = editorMode_ ? editor_->SelStart() : 0;
  out["editorSelLength"] = editorMode_ ? editor_->SelLength() : 0;
  TDataSet* ds = link_->DataSet();
  out["state"] = stateName(ds ? ds->State() : dsInactive);
  out["canEdit"] = CanEditCell();
  out["readOnly"] = ReadOnly;
  out["options"] = {{"editing", Options.Contains(dgEditing)},
                    {"titles", Options.Contains(dgTitles)},
                    {"indicator", Options.Contains(dgIndicator)},
                    {"tabs", Options.Contains(dgTabs)},
                    {"rowSelect", Options.Contains(dgRowSelect)},
                    {"columnResize", Options.Contains(dgColumnResize)}};
  if (RowMarked) {
    nlohmann::json marked = nlohmann::json::array();
    for (int r = topRow_; r < lastShown; ++r)
      if (RowMarked(r)) marked.push_back(r);
    out["marked"] = std::move(marked);
  }
  if (MarkedCount) out["markedCount"] = MarkedCount();
}

}  // namespace platform
