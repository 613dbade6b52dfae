// Grids, navigators, data texts and masked edits through the real host's protocol.
#include <gtest/gtest.h>

#include "support/host_process.h"

using nlohmann::json;
using testsupport::HostProcess;

namespace {

struct GridScreen : ::testing::Test {
  HostProcess host;
  const std::string grid = "frmGrade.dbgGrade";
  void SetUp() override {
    host.click("frmHost.mnuTabPreClie");
    host.click("frmTeste.btnGrade");
    ASSERT_EQ(host.activeForm(), "frmGrade");
    ASSERT_EQ(host.focusPath(), grid);
  }
  json g() { return host.control(grid); }
  std::string log() { return host.control("frmGrade.lblLog").value("caption", ""); }
};

}  // namespace

TEST_F(GridScreen, SnapshotShowsColumnsAndTheVisibleRows) {
  json s = g();
  EXPECT_EQ(s["kind"], "dbgrid");
  EXPECT_EQ(s["rowCount"], 20);
  EXPECT_EQ(s["columns"][1]["button"], "ellipsis");
  EXPECT_EQ(s["columns"][2]["pickList"], json({"Moeda", "Número", "Percentual"}));
  EXPECT_EQ(s["rows"][0], json({"001", "F1", "Número", "1,500", "01/02/2026"}));
  EXPECT_EQ(s["state"], "browse");
  EXPECT_EQ(host.control("frmGrade.dbtFator")["caption"], "F1");
}

TEST_F(GridScreen, TypingEditsLeavingTheRowPostsAndTheDataTextFollows) {
  host.cell(grid, 0, 3);
  host.type("2,5");
  EXPECT_EQ(g()["state"], "edit");
  EXPECT_EQ(g()["editorText"], "2,5");
  host.key(40);  // Down
  EXPECT_EQ(g()["state"], "browse");
  EXPECT_EQ(g()["rows"][0][3], "2,500");
  EXPECT_EQ(log(), "ColExit.0;ColEnter.3;AfterPost");
  EXPECT_EQ(host.control("frmGrade.dbtFator")["caption"], "F2");
}

TEST_F(GridScreen, RefusedPostShowsTheMessageAndKeepsTheRowInEdit) {
  host.cell(grid, 0, 3);
  host.type("0");
  host.key(40);
  auto box = host.messageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ((*box)["text"], "Valor deve ser maior que zero.");
  host.answer("btnOK");
  EXPECT_EQ(g()["state"], "edit");
  EXPECT_EQ(g()["row"], 0);
  EXPECT_EQ(g()["col"], 3);
}

TEST_F(GridScreen, AppendCancelledFromTheStateEventLeavesNoRow) {
  host.click("frmGrade.chkSemInclusao");
  host.focus(grid);
  host.cell(grid, 19, 0);
  host.key(40);
  EXPECT_EQ(g()["rowCount"], 20);
  EXPECT_EQ(g()["state"], "browse");
  host.click("frmGrade.chkSemInclusao");
  host.focus(grid);
  host.key(40);
  EXPECT_EQ(g()["rowCount"], 21);
  EXPECT_EQ(g()["state"], "insert");
  host.key(27);
  EXPECT_EQ(g()["rowCount"], 20);
}

TEST_F(GridScreen, PickListAndEllipsisWithItsQuestion) {
  host.cell(grid, 1, 2);
  host.pick(grid, "Moeda");
  EXPECT_EQ(g()["rows"][1][2], "Moeda");
  EXPECT_EQ(g()["state"], "edit");
  host.pick(grid, "Dólar");
  ASSERT_TRUE(host.error());
  host.cell(grid, 1, 1);
  host.editButton(grid);
  ASSERT_TRUE(host.messageBox());
  host.answer("btnYes");
  EXPECT_EQ(g()["rows"][1][1], "ABC");
  host.cell(grid, 1, 3);
  host.editButton(grid);
  EXPECT_TRUE(host.error());
}

TEST_F(GridScreen, CtrlDeleteAnsweredNoKeepsTheRow) {
  host.key(46, {.ctrl = true});
  ASSERT_TRUE(host.messageBox());
  host.answer("btnNo");
  EXPECT_EQ(g()["rowCount"], 20);
  host.key(46, {.ctrl = true});
  host.answer("btnYes");
  EXPECT_EQ(g()["rowCount"], 19);
  EXPECT_EQ(log(), "AfterDelete");
}

TEST_F(GridScreen, NavigatorButtonsByName) {
  host.send({{"type", "click"}, {"target", "frmGrade.dbnGrade"}, {"button", "last"}});
  EXPECT_EQ(g()["row"], 19);
  host.send({{"type", "click"}, {"target", "frmGrade.dbnGrade"}, {"button", "next"}});
  EXPECT_TRUE(host.error());  // disabled on the last row
  host.send({{"type", "click"}, {"target", "frmGrade.dbnGrade"}, {"button", "voar"}});
  EXPECT_TRUE(host.error());
}

TEST_F(GridScreen, GridRefusalsChangeNothing) {
  json before = g();
  host.cell(grid, 20, 0);
  EXPECT_TRUE(host.error());
  host.cell(grid, 0, 9);
  EXPECT_TRUE(host.error());
  host.mark(grid, 0);  // not a multiple-choice list
  EXPECT_TRUE(host.error());
  host.send({{"type", "cell"}, {"target", grid}, {"row", "um"}, {"col", 0}});
  EXPECT_TRUE(host.error());
  EXPECT_EQ(g(), before);
}

TEST_F(GridScreen, ColumnWidthDraggedAtTheTitleBorderStaysAndBadWidthsAreRefused) {
  host.send({{"type", "columnWidth"}, {"target", grid}, {"col", 1}, {"width", 150}});
  EXPECT_FALSE(host.error());
  EXPECT_EQ(g()["columns"][1]["width"], 150);
  host.send({{"type", "title"}, {"target", grid}, {"col", 1}});
  EXPECT_FALSE(host.error()) << "a title click the screen does not use changes nothing";
  json before = g();
  host.send({{"type", "columnWidth"}, {"target", grid}, {"col", 1}, {"width", 2}});
  EXPECT_TRUE(host.error());
  host.send({{"type", "columnWidth"}, {"target", grid}, {"col", 9}, {"width", 80}});
  EXPECT_TRUE(host.error());
  host.send({{"type", "title"}, {"target", grid}, {"col", -1}});
  EXPECT_TRUE(host.error());
  EXPECT_EQ(g(), before);
}

TEST(GridLarge, HundredThousandRowsScrollAndStateSizeStaysSmall) {
  HostProcess host;
  host.click("frmHost.mnuTabPreClie");
  host.click("frmTeste.btnGrade");
  std::size_t small = host.transcript().back().size();
  host.click("frmTeste.btnGrade100k");
  std::size_t large = host.transcript().back().size();
  json g = host.control("frmGrade.dbgGrade");
  EXPECT_EQ(g["rowCount"], 100000);
  EXPECT_LT(large, small + 4000);  // a second window's worth, not the rows
  host.scroll("frmGrade.dbgGrade", 50000);
  g = host.control("frmGrade.dbgGrade");
  EXPECT_EQ(g["topRow"], 50000);
  EXPECT_EQ(g["rows"][0][0], "50001");
  host.key(35, {.ctrl = true});  // Ctrl+End
  EXPECT_EQ(host.control("frmGrade.dbgGrade")["row"], 99999);
}

TEST(MaskedEdits, TypingAndTextsOverTheProtocol) {
  HostProcess host;
  host.click("frmHost.mnuTabPreClie");
  host.click("frmTeste.btnMascara");
  host.focus("frmMascara.medCnpj");
  host.type("12345678000199");
  json med = host.control("frmMascara.medCnpj");
  EXPECT_EQ(med["kind"], "maskedit");
  EXPECT_EQ(med["text"], "12345678000199");
  EXPECT_EQ(med["editText"], "12.345.678/0001-99");
  EXPECT_EQ(med["editMask"], "00.000.000/0000-00;0;_");
  host.focus("frmMascara.medData");
  host.type("311226");
  EXPECT_EQ(host.control("frmMascara.medData")["editText"], "31/12/26__");
  host.focus("frmMascara.medLivre");
  host.type("abcdefg");
  EXPECT_EQ(host.control("frmMascara.medLivre")["text"], "abcde");
}
