// The data grid over a client dataset: editing through the in-place editor, posting on
// row change, appends cancelled by a state handler, Escape, pick lists, the ellipsis,
// Ctrl+Delete with confirmation, masks, refusals and the snapshot's visible window.
#include <gtest/gtest.h>

#include <numeric>

#include "platform/core/exceptions.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/edit.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/text_width.h"
#include "tests/support/dataset_fixtures.h"
#include "tests/support/ui_driver.h"

using namespace platform;
using testsupport::ClickIn;
using testsupport::ModalScript;
using vqr::test::MakePacket;

namespace {

struct GridForm : TForm {
  TClientDataSet* cds;
  TDataSource* dts;
  TDBGrid* grid;
  TEdit* edit;
  int posts = 0, setTexts = 0;
  GridForm(TComponent* owner, int rows) : TForm(owner) {
    SetName("frmGrid");
    cds = new TClientDataSet(this);
    cds->AddField<TStringField>("CODE", 3);
    auto& det = cds->AddField<TStringField>("DET", 1);
    cds->AddField<TFloatField>("VALOR");
    cds->AddField<TDateTimeField>("DATA").SetEditMask("!99/99/9999;1;_");
    det.OnGetText = [](TField& f, std::string& text, bool) { text = f.AsString() == "P" ? "Percentual" : f.AsString() == "N" ? "Número" : f.AsString(); };
    det.OnSetText = [this](TField& f, const std::string& text) {
      ++setTexts;
      if (text == "Percentual") f.SetAsString("P");
      if (text == "Número") f.SetAsString("N");
    };
    cds->AfterPost = [this](TDataSet&) { ++posts; };
    dts = new TDataSource(this);
    dts->SetDataSet(cds);
    grid = new TDBGrid(this);
    grid->SetName("dbgGrid");
    grid->SetParent(this);
    grid->SetBounds(0, 0, 400, 200);
    grid->SetDataSource(dts);
    for (const char* f : {"CODE", "DET", "VALOR", "DATA"}) grid->Columns.Add().FieldName = f;
    grid->Columns[1].PickList = {"Número", "Percentual"};
    grid->Columns[0].ButtonStyle = cbsEllipsis;
    edit = new TEdit(this);
    edit->SetName("edtOutro");
    edit->SetParent(this);
    std::vector<vqr::test::Row> data;
    for (int i = 0; i < rows; ++i)
      data.push_back({Variant(std::to_string(100 + i % 900)), Variant("N"), Variant(1.0 + i), Variant::Null()});
    cds->SetData(MakePacket({{"CODE", FieldType::String, 3}, {"DET", FieldType::String, 1},
                             {"VALOR", FieldType::Float, 0}, {"DATA", FieldType::DateTime, 0}},
                            data));
  }
};

struct Grid : testsupport::UiTest {
  GridForm* form = nullptr;
  void open(int rows = 3) {
    form = NewForm<GridForm>(&Application(), rows);
    form->Show();
    form->grid->SetFocus();
  }
  void SetUp() override { open(); }
  TDBGrid* grid() { return form->grid; }
  TClientDataSet* cds() { return form->cds; }
  // A key as a keyboard sends it: Tab, Enter and Escape make their characters.
  void key(std::uint16_t vk, TShiftState shift = {}) {
    std::optional<char32_t> ch;
    if (vk == VK_TAB) ch = U'\t';
    if (vk == VK_RETURN) ch = U'\r';
    if (vk == VK_ESCAPE) ch = 27;
    DispatchKey(vk, shift, ch);
  }
  nlohmann::json gridState() {
    nlohmann::json out;
    grid()->WriteSnapshot(out);
    return out;
  }
};

}  // namespace

TEST_F(Grid, TypingStartsAnEditAndLeavingTheCellWritesTheFieldThenTheRowPosts) {
  grid()->SetSelectedIndex(2);
  TypeText("12,5");
  EXPECT_EQ(cds()->State(), dsEdit);
  EXPECT_TRUE(grid()->EditorMode());
  EXPECT_EQ(grid()->EditorText(), "12,5");
  EXPECT_DOUBLE_EQ(cds()->FieldByName("VALOR").AsFloat(), 1.0);  // not written yet
  key(VK_TAB);
  EXPECT_DOUBLE_EQ(cds()->FieldByName("VALOR").AsFloat(), 12.5);
  EXPECT_EQ(form->posts, 0);
  key(VK_DOWN);
  EXPECT_EQ(form->posts, 1);
  EXPECT_EQ(cds()->State(), dsBrowse);
  EXPECT_EQ(grid()->Row(), 1);
}

TEST_F(Grid, PostFromOutsideTakesThePendingEditorText) {
  grid()->SetSelectedIndex(2);
  TypeText("7");
  cds()->Post();  // e.g. a confirm button on the toolbar
  EXPECT_DOUBLE_EQ(cds()->FieldByName("VALOR").AsFloat(), 7.0);
}

TEST_F(Grid, BadTextIsRefusedAndKeptInTheEditor) {
  grid()->SetSelectedIndex(2);
  TypeText("1,2,3");
  EXPECT_THROW(key(VK_DOWN), Exception);
  EXPECT_EQ(grid()->Row(), 0);
  EXPECT_EQ(cds()->State(), dsEdit);
  EXPECT_EQ(grid()->EditorText(), "1,2,3");
}

TEST_F(Grid, DownOnTheLastRowAppendsAndEscapeRemovesIt) {
  key(VK_DOWN);
  key(VK_DOWN);
  key(VK_DOWN);
  EXPECT_EQ(cds()->State(), dsInsert);
  EXPECT_EQ(grid()->RowCount(), 4);
  key(VK_DOWN);  // an untouched new row does not stack another
  EXPECT_EQ(grid()->RowCount(), 4);
  key(VK_ESCAPE);
  EXPECT_EQ(cds()->State(), dsBrowse);
  EXPECT_EQ(grid()->RowCount(), 3);
  EXPECT_EQ(gridState()["rows"].size(), 3u);
}

TEST_F(Grid, AppendCancelledByTheStateHandlerLeavesNoPhantomRow) {
  form->dts->OnStateChange = [this](TDataSource&) {
    if (cds()->State() == dsInsert) cds()->Cancel();
  };
  cds()->Last();
  key(VK_DOWN);
  key(VK_INSERT);
  EXPECT_EQ(cds()->State(), dsBrowse);
  EXPECT_EQ(grid()->RowCount(), 3);
  nlohmann::json s = gridState();
  EXPECT_EQ(s["rowCount"], 3);
  EXPECT_EQ(s["rows"].size(), 3u);
  EXPECT_EQ(s["state"], "browse");
  EXPECT_EQ(s["row"], 2);
}

TEST_F(Grid, EditCancelledByTheStateHandlerDropsTheCharacter) {
  form->dts->OnStateChange = [this](TDataSource&) {
    if (cds()->State() == dsEdit && grid()->SelectedIndex() == 0) cds()->Cancel();
  };
  TypeText("9");
  EXPECT_EQ(cds()->State(), dsBrowse);
  EXPECT_FALSE(grid()->EditorMode());
  EXPECT_EQ(cds()->FieldByName("CODE").AsString(), "100");
}

TEST_F(Grid, EscapeFirstRestoresTheEditorThenCancelsTheRow) {
  grid()->SetSelectedIndex(2);
  TypeText("5");
  key(VK_TAB);  // VALOR = 5 in the edit buffer
  grid()->SetSelectedIndex(2);
  TypeText("8");
  key(VK_ESCAPE);
  EXPECT_EQ(grid()->EditorText(), "5");
  EXPECT_EQ(cds()->State(), dsEdit);
  key(VK_ESCAPE);
  EXPECT_EQ(cds()->State(), dsBrowse);
  EXPECT_DOUBLE_EQ(cds()->FieldByName("VALOR").AsFloat(), 1.0);
}

TEST_F(Grid, KeyPressFilterThatDropsTheCharacterStartsNoEdit) {
  grid()->OnKeyPress = [](TObject*, char32_t& c) {
    if (c != U'\t' && c != U'\r') c = 0;
  };
  TypeText("abc");
  EXPECT_EQ(cds()->State(), dsBrowse);
  EXPECT_FALSE(grid()->EditorMode());
}

TEST_F(Grid, PickListChoiceGoesThroughOnSetText) {
  grid()->SetSelectedIndex(1);
  ASSERT_FALSE(grid()->PickRefusal("Percentual"));
  grid()->UserPick("Percentual");
  EXPECT_EQ(cds()->FieldByName("DET").AsString(), "P");
  EXPECT_EQ(form->setTexts, 1);
  EXPECT_EQ(grid()->EditorText(), "Percentual");
  EXPECT_TRUE(grid()->PickRefusal("Moeda"));
  grid()->SetSelectedIndex(2);
  EXPECT_TRUE(grid()->PickRefusal("Número"));  // this column has no list
}

TEST_F(Grid, ReadOnlyColumnOrEditingOffRefusesTypingAndPicks) {
  grid()->Columns[1].ReadOnly = true;
  grid()->SetSelectedIndex(1);
  TypeText("x");
  EXPECT_EQ(cds()->State(), dsBrowse);
  EXPECT_TRUE(grid()->PickRefusal("Número"));
  grid()->Columns[1].ReadOnly = false;
  grid()->Options.Exclude(dgEditing);
  TypeText("x");
  EXPECT_EQ(cds()->State(), dsBrowse);
  EXPECT_FALSE(gridState()["canEdit"].get<bool>());
}

TEST_F(Grid, EllipsisRunsTheHandlerOnlyOnItsColumn) {
  int clicks = 0;
  grid()->OnEditButtonClick = [&](TObject*) { ++clicks; };
  EXPECT_FALSE(grid()->EditButtonRefusal());
  grid()->UserEditButton();
  EXPECT_EQ(clicks, 1);
  grid()->SetSelectedIndex(1);
  EXPECT_TRUE(grid()->EditButtonRefusal());
}

TEST_F(Grid, CtrlDeleteAsksAndNoKeepsTheRow) {
  ModalScript script({ClickIn("dlgMessage", "btnNo"), ClickIn("dlgMessage", "btnYes")});
  key(VK_DELETE, {ssCtrl});
  EXPECT_EQ(cds()->RecordCount(), 3);
  key(VK_DELETE, {ssCtrl});
  EXPECT_EQ(cds()->RecordCount(), 2);
  EXPECT_TRUE(script.Done());
  grid()->Options.Exclude(dgConfirmDelete);
  key(VK_DELETE, {ssCtrl});  // no question now
  EXPECT_EQ(cds()->RecordCount(), 1);
}

TEST_F(Grid, RefusedPostKeepsTheRowInEditAndTheCursorInPlace) {
  cds()->BeforePost = [](TDataSet&) { Abort(); };
  grid()->SetSelectedIndex(2);
  TypeText("3");
  EXPECT_THROW(key(VK_DOWN), EAbort);
  EXPECT_EQ(grid()->Row(), 0);
  EXPECT_EQ(cds()->State(), dsEdit);
  EXPECT_DOUBLE_EQ(cds()->FieldByName("VALOR").AsFloat(), 3.0);
}

TEST_F(Grid, ColumnExitThatRefusesKeepsTheColumn) {
  grid()->OnColExit = [](TObject*) { Abort(); };
  EXPECT_THROW(key(VK_TAB), EAbort);
  EXPECT_EQ(grid()->SelectedIndex(), 0);
}

TEST_F(Grid, MaskedCellTypesThroughTheFieldMask) {
  grid()->SetSelectedIndex(3);
  TypeText("01022026");
  EXPECT_EQ(grid()->EditorText(), "01/02/2026");
  key(VK_RETURN);
  EXPECT_EQ(cds()->FieldByName("DATA").Text(), "01/02/2026");
  TypeText("3");  // a new edit of the same cell starts from the field's text, all selected
  EXPECT_EQ(grid()->EditorText(), "3_/__/____");
}

TEST_F(Grid, LeavingTheGridWritesPendingTextAndDropsAnUntouchedNewRow) {
  grid()->SetSelectedIndex(2);
  TypeText("4");
  form->edit->SetFocus();
  EXPECT_DOUBLE_EQ(cds()->FieldByName("VALOR").AsFloat(), 4.0);
  cds()->Post();
  grid()->SetFocus();
  cds()->Last();
  key(VK_DOWN);
  ASSERT_EQ(cds()->State(), dsInsert);
  form->edit->SetFocus();
  EXPECT_EQ(cds()->State(), dsBrowse);
  EXPECT_EQ(cds()->RecordCount(), 3);
}

TEST_F(Grid, FieldFocusControlSelectsItsColumnAndFocusesTheGrid) {
  form->edit->SetFocus();
  cds()->FieldByName("DATA").FocusControl();
  EXPECT_EQ(Screen().ActiveControl(), grid());
  EXPECT_EQ(grid()->SelectedField(), &cds()->FieldByName("DATA"));
}

TEST_F(Grid, CellClickMovesRowThenColumnAndASecondClickOpensTheEditor) {
  grid()->UserClickCell(2, 2);
  EXPECT_EQ(grid()->Row(), 2);
  EXPECT_EQ(grid()->SelectedIndex(), 2);
  EXPECT_FALSE(grid()->EditorMode());
  grid()->UserClickCell(2, 2);
  EXPECT_TRUE(grid()->EditorMode());
  EXPECT_TRUE(grid()->CellRefusal(3, 0));
  EXPECT_TRUE(grid()->CellRefusal(0, 4));
  EXPECT_FALSE(grid()->CellRefusal(0, 3));
}

TEST_F(Grid, SnapshotHoldsOnlyTheVisibleRowsWhateverTheRowCount) {
  auto sizeWith = [this](int rows) {
    delete form;
    open(rows);
    return gridState().dump().size();
  };
  std::size_t small = sizeWith(10), large = sizeWith(100000);
  EXPECT_LT(large, small + small / 10);
  nlohmann::json s = gridState();
  EXPECT_EQ(s["rowCount"], 100000);
  EXPECT_EQ(s["rows"].size(), static_cast<std::size_t>(grid()->VisibleRowCount()));
  grid()->UserScroll(99990);
  s = gridState();
  EXPECT_EQ(s["topRow"], 100000 - grid()->VisibleRowCount());
  EXPECT_EQ(s["rows"].back()[2], "100000");
  EXPECT_EQ(s["row"], 0);  // scrolling does not move the cursor
  key(VK_END, {ssCtrl});
  EXPECT_EQ(gridState()["row"], 99999);
}

TEST_F(Grid, ReloadingTheDataWhileTypingDropsTheEditCleanly) {
  grid()->SetSelectedIndex(2);
  TypeText("9");
  cds()->SetData(MakePacket({{"CODE", FieldType::String, 3}, {"DET", FieldType::String, 1},
                             {"VALOR", FieldType::Float, 0}, {"DATA", FieldType::DateTime, 0}},
                            {{Variant("700"), Variant("P"), Variant(2.0), Variant::Null()}}));
  EXPECT_EQ(cds()->State(), dsBrowse);
  EXPECT_FALSE(grid()->EditorMode());
  EXPECT_EQ(gridState()["rows"], nlohmann::json({{"700", "Percentual", "2", ""}}));
  key(VK_DOWN);  // appends on the only row; nothing of the old edit comes back
  EXPECT_EQ(cds()->State(), dsInsert);
  EXPECT_DOUBLE_EQ(cds()->ValueAt(1, cds()->FieldByName("VALOR")).asDouble(), 2.0);
}

TEST_F(Grid, ClosedDatasetShowsNothingAndTakesNoTyping) {
  cds()->Close();
  TypeText("1");
  key(VK_DOWN);
  key(VK_DELETE, {ssCtrl});
  nlohmann::json s = gridState();
  EXPECT_EQ(s["state"], "inactive");
  EXPECT_EQ(s["rowCount"], 0);
  EXPECT_EQ(s["rows"].size(), 0u);
  EXPECT_EQ(s["row"], -1);
  EXPECT_FALSE(s["canEdit"].get<bool>());
  EXPECT_TRUE(grid()->CellRefusal(0, 0));
}

TEST_F(Grid, ColumnOfAMissingFieldShowsBlanksAndCannotBeEdited) {
  grid()->Columns.Add().FieldName = "NAOEXISTE";
  grid()->SetSelectedIndex(4);
  EXPECT_EQ(grid()->SelectedIndex(), 4);
  TypeText("x");
  EXPECT_EQ(cds()->State(), dsBrowse);
  nlohmann::json s = gridState();
  EXPECT_EQ(s["columns"][4]["field"], "NAOEXISTE");
  EXPECT_EQ(s["rows"][0][4], "");
}

TEST_F(Grid, VisibleRowsStopAboveTheHorizontalScrollBar) {
  const int inner = 400 - 2;  // the grid's border
  const int body = 200 - 2 - kGridTitleHeight;
  // Columns of the given total width (the first one takes what the others leave).
  auto columnsOf = [this](int total) {
    for (int c = 1; c < 4; ++c) grid()->Columns[c].Width = 50;
    grid()->Columns[0].Width = total - kGridIndicatorWidth - 3 * 50;
  };
  columnsOf(inner);
  EXPECT_EQ(grid()->VisibleRowCount(), body / kGridRowHeight);
  columnsOf(inner + 1);
  EXPECT_EQ(grid()->VisibleRowCount(), (body - kGridScrollBarSize) / kGridRowHeight);
  EXPECT_EQ(gridState()["visibleRows"], grid()->VisibleRowCount());
  // Columns that fit only without a vertical bar: enough rows bring that bar, and with
  // it the horizontal one.
  columnsOf(inner - 8);
  EXPECT_EQ(grid()->VisibleRowCount(), body / kGridRowHeight);
  delete form;
  open(100);
  columnsOf(inner - 8);
  EXPECT_EQ(grid()->VisibleRowCount(), (body - kGridScrollBarSize) / kGridRowHeight);
  // The current row stays among the rows that fit.
  key(VK_END, {ssCtrl});
  nlohmann::json s = gridState();
  EXPECT_EQ(s["row"].get<int>(), s["topRow"].get<int>() + grid()->VisibleRowCount() - 1);
}

TEST_F(Grid, ColumnsFitTheirTextsShareTheGridsWidthAndKeepADraggedWidth) {
  auto shown = [this] {
    std::vector<int> widths;
    const nlohmann::json state = gridState();
    for (const nlohmann::json& c : state["columns"]) widths.push_back(c["shownWidth"]);
    return widths;
  };
  auto total = [](const std::vector<int>& widths) { return std::accumulate(widths.begin(), widths.end(), 0); };
  auto room = [this] { return grid()->Width() - 2 - kGridIndicatorWidth; };  // 3 rows: no vertical bar
  grid()->Columns[3].Width = 20;  // designed narrower than its title
  std::vector<int> normal = shown();
  EXPECT_EQ(total(normal), room()) << "the columns share the whole width";
  EXPECT_GE(normal[3], TextWidth("DATA") + 8) << "a title is never cut where there is room";
  EXPECT_GE(normal[1], TextWidth("Número") + 8 + 16) << "the text beside its pick-list button";
  EXPECT_EQ(gridState()["columns"][3]["width"], 20) << "the designed width is still reported";

  grid()->SetWidth(800);
  std::vector<int> wide = shown();
  EXPECT_EQ(total(wide), room());
  for (std::size_t c = 0; c < wide.size(); ++c) EXPECT_GT(wide[c], normal[c]) << "column " << c << " widened";

  grid()->UserColumnWidth(2, 40);
  grid()->SetWidth(600);
  EXPECT_EQ(shown()[2], 40) << "a dragged width is kept as it is";
  EXPECT_EQ(total(shown()), room());

  grid()->SetWidth(120);
  EXPECT_GT(total(shown()), room()) << "below the texts' widths the grid scrolls sideways";
  EXPECT_EQ(grid()->VisibleRowCount(), (200 - 2 - kGridTitleHeight - kGridScrollBarSize) / kGridRowHeight);
}

TEST_F(Grid, CtrlTabLeavesTheGridWhileTabMovesAcrossItsCells) {
  key(VK_TAB);
  EXPECT_EQ(grid()->SelectedIndex(), 1);
  EXPECT_EQ(Screen().ActiveControl(), grid());
  key(VK_TAB, {ssCtrl});
  EXPECT_EQ(Screen().ActiveControl(), form->edit);
  key(VK_TAB, {ssCtrl, ssShift});
  EXPECT_EQ(Screen().ActiveControl(), grid());
  EXPECT_EQ(grid()->SelectedIndex(), 1) << "leaving and coming back keeps the column";
}

TEST_F(Grid, TitleClicksAndDraggedWidthsReachTheGridAndItsSnapshot) {
  std::vector<int> clicked;
  grid()->OnTitleClick = [&](TDBGrid*, int column) { clicked.push_back(column); };
  grid()->UserTitleClick(2);
  EXPECT_EQ(clicked, std::vector<int>{2});
  EXPECT_TRUE(grid()->TitleRefusal(4));
  grid()->UserColumnWidth(2, 120);
  EXPECT_EQ(gridState()["columns"][2]["width"], 120);
  EXPECT_TRUE(grid()->ColumnWidthRefusal(2, 3)) << "too narrow to grab again";
  grid()->Options.Exclude(dgColumnResize);
  EXPECT_TRUE(grid()->ColumnWidthRefusal(2, 90));
  // Columns made from the fields keep a dragged width too.
  grid()->Options.Include(dgColumnResize);
  grid()->Columns.Clear();
  grid()->UserColumnWidth(0, 33);
  EXPECT_EQ(gridState()["columns"][0]["width"], 33);
}

TEST_F(Grid, TheEditorShowsItsSelectionSoTypingVisiblyReplacesTheText) {
  grid()->SetSelectedIndex(2);
  key(VK_F2);
  nlohmann::json s = gridState();
  EXPECT_EQ(s["editorText"], "1");
  EXPECT_EQ(s["editorSelStart"], 0);
  EXPECT_EQ(s["editorSelLength"], 1);
  TypeText("7");
  s = gridState();
  EXPECT_EQ(s["editorText"], "7");
  EXPECT_EQ(s["editorSelStart"], 1);
  EXPECT_EQ(s["editorSelLength"], 0);
}
