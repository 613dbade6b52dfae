// Handlers that call back into the dataset while an operation is running: a data
// source's OnStateChange cancelling an insert or an edit (the price grid's rule), a
// cancel from OnNewRecord or BeforePost, and links that repaint in every callback.
#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using namespace platform;
using namespace vqr::test;
using Log = std::vector<std::string>;

// A link that repaints like a grid in every callback: it reads every visible cell and
// checks that the cursor lies inside the rows. Any inconsistent intermediate state
// shows up as an exception or a failed check.
class RepaintingLink : public TDataLink {
 public:
  int repaints = 0;

 protected:
  void Repaint() {
    TDataSet* d = DataSet();
    if (!Active() || !d) return;
    ++repaints;
    ASSERT_GE(d->RecNo(), d->IsEmpty() ? 0 : 1);
    ASSERT_LE(d->RecNo(), d->RecordCount());
    for (int recNo = 1; recNo <= d->RecordCount(); ++recNo)
      for (TField* field : d->Fields()) d->DisplayTextAt(recNo, *field);
    for (TField* field : d->Fields()) field->DisplayText();
  }
  void ActiveChanged() override { Repaint(); }
  void EditingChanged() override { Repaint(); }
  void DataSetChanged() override { Repaint(); }
  void DataSetScrolled(int) override { Repaint(); }
  void RecordChanged(TField*) override { Repaint(); }
};

// The price grid's state rule: no insert ever lasts, and an edit started while the
// product-code column is selected is cancelled at once.
class StateRule : public FormulaDataSetTest {
 protected:
  void SetUp() override {
    source.SetDataSet(&cds);
    painter.SetDataSource(&source);
    cds.SetData(ThreeFormulaRows());
    log.Watch(cds);
    source.OnStateChange = [this](TDataSource& s) {
      log.Add(std::string("state:") + DataSetStateName(s.State()));
      TDataSet& d = *s.DataSet();
      if (d.State() == dsInsert) d.Cancel();
      if (d.State() == dsEdit && codeColumnSelected) d.Cancel();
      // What Habilita_Botoes reads on every state change.
      if (!d.IsEmpty()) d.FieldByName("VRFATPRECLIE").AsString();
    };
    log.Take();
  }

  TDataSource source;
  RepaintingLink painter;
  EventLog log;
  bool codeColumnSelected = false;
};

TEST_F(StateRule, InsertLeavesNoTraceAndSkipsItsRemainingSteps) {
  cds.Next();
  log.Take();
  cds.Insert();
  EXPECT_EQ(log.Take(), (Log{"BeforeInsert", "BeforeScroll", "state:dsInsert", "BeforeCancel", "state:dsBrowse",
                             "AfterCancel"}));
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_EQ(cds.FieldByName("NRORDEMFAT").AsString(), "002");
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Log{"001", "002", "003"}));
  EXPECT_GT(painter.repaints, 0);
}

TEST_F(StateRule, AppendLeavesNoTrace) {
  cds.Append();
  EXPECT_EQ(log.Take(), (Log{"BeforeInsert", "BeforeScroll", "state:dsInsert", "BeforeCancel", "state:dsBrowse",
                             "AfterCancel"}));
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_TRUE(cds.Bof());
  EXPECT_EQ(cds.ChangeCount(), 0);
}

TEST_F(StateRule, GridAppendBelowTheLastRowLeavesTheCursorOnTheLastRow) {
  cds.Last();
  log.Take();
  // The grid moving down from the last row appends, then looks at the state.
  TDataSource gridSource;
  gridSource.SetDataSet(&cds);
  cds.Append();
  EXPECT_EQ(gridSource.State(), dsBrowse);
  EXPECT_EQ(cds.RecNo(), 3);
  EXPECT_TRUE(cds.Eof());
  EXPECT_EQ(cds.FieldByName("NRORDEMFAT").AsString(), "003");
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Log{"001", "002", "003"}));
  // And the dataset is fully usable afterwards.
  cds.Edit();
  cds.FieldByName("VRFATPRECLIE").SetAsFloat(30);
  cds.Post();
  EXPECT_EQ(cds.ChangeCount(), 1);
}

TEST_F(StateRule, InsertIntoAnEmptyDataSetLeavesItEmpty) {
  cds.EmptyDataSet();
  cds.Insert();
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_TRUE(cds.IsEmpty());
  EXPECT_EQ(cds.RecNo(), 0);
  EXPECT_TRUE(cds.Bof() && cds.Eof());
  cds.Edit();  // an edit of an empty dataset is an insert: cancelled too
  EXPECT_TRUE(cds.IsEmpty());
}

TEST_F(StateRule, InsertIntoAnOrderedDataSetLeavesTheOrder) {
  cds.SetIndexFieldNames("SGFATPRECO");
  cds.SetRecNo(2);
  cds.Insert();
  EXPECT_EQ(ColumnTexts(cds, "SGFATPRECO"), (Log{"A", "B", "C"}));
  EXPECT_EQ(cds.FieldByName("SGFATPRECO").AsString(), "B");
}

TEST_F(StateRule, EditOnTheCodeColumnIsCancelledBeforeAfterEdit) {
  codeColumnSelected = true;
  cds.Edit();
  EXPECT_EQ(log.Take(), (Log{"BeforeEdit", "state:dsEdit", "BeforeCancel", "state:dsBrowse", "AfterCancel"}));
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_THROW(cds.FieldByName("VRFATPRECLIE").SetAsFloat(5), EDatabaseError);
}

TEST_F(StateRule, EditOnAnotherColumnProceeds) {
  cds.Edit();
  EXPECT_EQ(log.Take(), (Log{"BeforeEdit", "state:dsEdit", "AfterEdit"}));
  cds.FieldByName("VRFATPRECLIE").SetAsFloat(5);
  cds.Post();
  EXPECT_EQ(cds.ChangeCount(), 1);
}

TEST_F(StateRule, DeleteCommandDetachesTheRuleAndPostsOnce) {
  // The price screen's delete: detach the state handler, edit, clear, post, re-attach.
  codeColumnSelected = true;
  int posts = 0;
  cds.AfterPost = [&posts](TDataSet&) { ++posts; };
  const auto rule = source.OnStateChange;
  source.OnStateChange = nullptr;
  try {
    cds.Edit();
    cds.FieldByName("VRFATPRECLIE").Clear();
    cds.FieldByName("SGFATPRECO").Clear();
    cds.Post();
  } catch (...) {
    source.OnStateChange = rule;
    throw;
  }
  source.OnStateChange = rule;
  EXPECT_EQ(posts, 1);
  EXPECT_TRUE(cds.FieldByName("VRFATPRECLIE").IsNull());
  EXPECT_EQ(cds.RecordCount(), 3);
  cds.Edit();  // the rule is back
  EXPECT_EQ(cds.State(), dsBrowse);
}

TEST_F(StateRule, ASecondSourceNeverSeesTheCancelledState) {
  TDataSource second;
  second.SetDataSet(&cds);
  Log seen;
  second.OnStateChange = [&seen](TDataSource& s) { seen.push_back(DataSetStateName(s.State())); };
  cds.Insert();
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(second.State(), dsBrowse);
}

TEST(Reentrancy, CancelFromOnNewRecordEndsTheInsertQuietly) {
  TClientDataSet cds;
  cds.SetData(FormulaPacket({{"001", "A", 1.0}}));
  EventLog log;
  log.Watch(cds);
  cds.OnNewRecord = [&log](TDataSet& d) {
    log.Add("OnNewRecord");
    d.Cancel();
  };
  cds.Append();
  EXPECT_EQ(log.Take(), (Log{"BeforeInsert", "BeforeScroll", "OnNewRecord", "BeforeCancel", "AfterCancel"}));
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecordCount(), 1);
}

TEST(Reentrancy, CancelFromBeforePostEndsThePostQuietly) {
  TClientDataSet cds;
  cds.SetData(FormulaPacket({{"001", "A", 1.0}}));
  cds.BeforePost = [](TDataSet& d) { d.Cancel(); };
  bool afterPost = false;
  cds.AfterPost = [&afterPost](TDataSet&) { afterPost = true; };
  cds.Append();
  cds.FieldByName("NRORDEMFAT").SetAsString("002");
  cds.Post();
  EXPECT_FALSE(afterPost);
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecordCount(), 1);
  EXPECT_EQ(cds.ChangeCount(), 0);
}

TEST(Reentrancy, PostFromAfterInsertKeepsTheRow) {
  TClientDataSet cds;
  cds.SetData(FormulaPacket({{"001", "A", 1.0}}));
  cds.AfterInsert = [](TDataSet& d) {
    d.FieldByName("NRORDEMFAT").SetAsString("002");
    d.Post();
  };
  cds.Append();
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecordCount(), 2);
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_EQ(cds.ChangeCount(), 1);
}

TEST(Reentrancy, ScrollHandlerThatMovesAgainLeavesAConsistentCursor) {
  TClientDataSet cds;
  cds.SetData(ThreeFormulaRows());
  int depth = 0;
  cds.AfterScroll = [&depth](TDataSet& d) {
    if (depth++ == 0 && d.RecNo() == 2) d.Next();  // skip row 2
  };
  cds.Next();
  EXPECT_EQ(cds.RecNo(), 3);
}

}  // namespace
