// The order of dataset events, data source events and data link callbacks for every
// operation, and what an exception from a handler leaves behind.
#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using namespace platform;
using namespace vqr::test;
using Log = std::vector<std::string>;

class DataSetEvents : public LinkedFormulaDataSetTest {
 protected:
  void SetUp() override {
    cds.SetData(ThreeFormulaRows());
    log.Watch(cds);
    log.Watch(source);
    log.Take();
  }
};

TEST_F(DataSetEvents, OpenFromClosed) {
  cds.Close();
  log.Take();
  cds.Open();
  EXPECT_EQ(log.Take(), (Log{"BeforeOpen", "link:Active", "state:dsBrowse", "data:*", "AfterOpen", "AfterScroll"}));
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_TRUE(cds.Bof());
  EXPECT_FALSE(cds.Eof());
}

TEST_F(DataSetEvents, Close) {
  cds.Close();
  EXPECT_EQ(log.Take(), (Log{"BeforeClose", "link:Inactive", "state:dsInactive", "AfterClose"}));
  EXPECT_EQ(cds.RecordCount(), 0);
  EXPECT_TRUE(cds.IsEmpty());
  EXPECT_THROW(cds.Next(), EDatabaseError);
}

TEST_F(DataSetEvents, Insert) {
  cds.Next();
  log.Take();
  cds.Insert();
  EXPECT_EQ(log.Take(), (Log{"BeforeInsert", "BeforeScroll", "link:Editing", "state:dsInsert", "OnNewRecord",
                             "link:DataSetChanged", "data:*", "AfterInsert", "AfterScroll"}));
  EXPECT_EQ(cds.State(), dsInsert);
  EXPECT_EQ(cds.RecNo(), 2);  // before the row that was current
  EXPECT_EQ(cds.RecordCount(), 4);
  EXPECT_TRUE(Order().IsNull());
  EXPECT_EQ(cds.DisplayTextAt(3, Order()), "002");
}

TEST_F(DataSetEvents, AppendPutsTheNewRowLast) {
  cds.Append();
  EXPECT_EQ(log.Take(), (Log{"BeforeInsert", "BeforeScroll", "link:Editing", "state:dsInsert", "OnNewRecord",
                             "link:DataSetChanged", "data:*", "AfterInsert", "AfterScroll"}));
  EXPECT_EQ(cds.RecNo(), 4);
}

TEST_F(DataSetEvents, EditThenPost) {
  cds.Edit();
  EXPECT_EQ(log.Take(), (Log{"BeforeEdit", "link:Editing", "state:dsEdit", "link:RecordChanged(*)", "data:*",
                             "AfterEdit"}));
  Value().SetAsFloat(9);
  EXPECT_EQ(log.Take(), (Log{"link:RecordChanged(VRFATPRECLIE)", "data:VRFATPRECLIE"}));
  cds.Post();
  EXPECT_EQ(log.Take(), (Log{"link:UpdateData", "BeforePost", "link:NotEditing", "state:dsBrowse",
                             "link:DataSetChanged", "data:*", "AfterPost"}));
  EXPECT_EQ(Value().AsFloat(), 9);
}

TEST_F(DataSetEvents, Cancel) {
  cds.Edit();
  Value().SetAsFloat(9);
  log.Take();
  cds.Cancel();
  EXPECT_EQ(log.Take(), (Log{"BeforeCancel", "link:NotEditing", "state:dsBrowse", "link:DataSetChanged", "data:*",
                             "AfterCancel"}));
  EXPECT_EQ(Value().AsFloat(), 1);
}

TEST_F(DataSetEvents, DeleteKeepsBrowseStateAndScrolls) {
  cds.Next();
  log.Take();
  cds.Delete();
  EXPECT_EQ(log.Take(), (Log{"BeforeDelete", "BeforeScroll", "link:DataSetChanged", "data:*", "AfterDelete",
                             "AfterScroll"}));
  EXPECT_EQ(cds.RecordCount(), 2);
  EXPECT_EQ(Order().AsString(), "003");  // the next row takes its place
}

TEST_F(DataSetEvents, DeleteOfTheRowBeingEditedEndsTheEdit) {
  cds.Edit();
  Value().SetAsFloat(9);
  log.Take();
  cds.Delete();
  EXPECT_EQ(log.Take(), (Log{"BeforeDelete", "BeforeScroll", "link:NotEditing", "state:dsBrowse",
                             "link:DataSetChanged", "data:*", "AfterDelete", "AfterScroll"}));
  EXPECT_EQ(Order().AsString(), "002");
}

TEST_F(DataSetEvents, DeleteOfTheLastRowMovesToTheNewLast) {
  cds.Last();
  cds.Delete();
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_EQ(Order().AsString(), "002");
  EXPECT_TRUE(cds.Eof());
}

TEST_F(DataSetEvents, DeleteWhileInsertingCancelsTheInsert) {
  cds.Insert();
  log.Take();
  cds.Delete();
  EXPECT_EQ(log.Take(), (Log{"BeforeCancel", "link:NotEditing", "state:dsBrowse", "link:DataSetChanged", "data:*",
                             "AfterCancel"}));
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.ChangeCount(), 0);
}

TEST_F(DataSetEvents, DeleteOnAnEmptyDataSetRaises) {
  cds.EmptyDataSet();
  EXPECT_THROW(cds.Delete(), EDatabaseError);
}

TEST_F(DataSetEvents, ScrollEventsOnlyWhenTheCursorMoves) {
  cds.Next();
  EXPECT_EQ(log.Take(), (Log{"BeforeScroll", "link:Scrolled(1)", "data:*", "AfterScroll"}));
  cds.Last();
  EXPECT_EQ(log.Take(), (Log{"BeforeScroll", "link:Scrolled(1)", "data:*", "AfterScroll"}));
  EXPECT_TRUE(cds.Eof());
  cds.Next();
  cds.Last();
  EXPECT_TRUE(log.Take().empty());
  EXPECT_EQ(cds.MoveBy(-10), -2);
  EXPECT_EQ(log.Take(), (Log{"BeforeScroll", "link:Scrolled(-2)", "data:*", "AfterScroll"}));
  EXPECT_TRUE(cds.Bof());
  cds.Prior();
  cds.First();
  EXPECT_TRUE(log.Take().empty());
}

TEST_F(DataSetEvents, BofAndEofFollowTheMoves) {
  EXPECT_TRUE(cds.Bof());
  EXPECT_FALSE(cds.Eof());
  cds.Next();
  EXPECT_FALSE(cds.Bof());
  cds.Next();
  EXPECT_FALSE(cds.Eof());  // on the last row, not past it
  cds.Next();
  EXPECT_TRUE(cds.Eof());
  EXPECT_EQ(cds.RecNo(), 3);
  cds.SetRecNo(2);
  EXPECT_FALSE(cds.Bof() || cds.Eof());
  EXPECT_THROW(cds.SetRecNo(4), EDatabaseError);
  EXPECT_THROW(cds.SetRecNo(0), EDatabaseError);
  EXPECT_EQ(cds.RecNo(), 2);
}

TEST_F(DataSetEvents, WalkingTheRowsVisitsEachOnce) {
  std::vector<std::string> seen;
  for (cds.First(); !cds.Eof(); cds.Next()) seen.push_back(Order().AsString());
  EXPECT_EQ(seen, (Log{"001", "002", "003"}));
  cds.EmptyDataSet();
  int visits = 0;
  for (cds.First(); !cds.Eof(); cds.Next()) ++visits;
  EXPECT_EQ(visits, 0);
  EXPECT_TRUE(cds.Bof());
}

TEST_F(DataSetEvents, MovingWhileEditingPostsAModifiedRowFirst) {
  cds.Edit();
  Value().SetAsFloat(9);
  log.Take();
  cds.Next();
  EXPECT_EQ(log.Take(), (Log{"link:UpdateData", "link:UpdateData", "BeforePost", "link:NotEditing",
                             "state:dsBrowse", "link:DataSetChanged", "data:*", "AfterPost", "BeforeScroll",
                             "link:Scrolled(1)", "data:*", "AfterScroll"}));
  EXPECT_EQ(cds.DisplayTextAt(1, Value()), "9");
  EXPECT_EQ(cds.ChangeCount(), 1);
}

TEST_F(DataSetEvents, MovingWhileEditingCancelsAnUntouchedRow) {
  cds.Edit();
  log.Take();
  cds.Next();
  EXPECT_EQ(log.Take(), (Log{"link:UpdateData", "BeforeCancel", "link:NotEditing", "state:dsBrowse",
                             "link:DataSetChanged", "data:*", "AfterCancel", "BeforeScroll", "link:Scrolled(1)",
                             "data:*", "AfterScroll"}));
  EXPECT_EQ(cds.ChangeCount(), 0);
}

TEST_F(DataSetEvents, PendingEditorTextIsWrittenBeforeThePost) {
  cds.Edit();
  link.pendingField = &Value();
  link.pendingText = "1.234,5";
  cds.Post();
  EXPECT_EQ(Value().AsFloat(), 1234.5);
  EXPECT_EQ(cds.State(), dsBrowse);
}

TEST_F(DataSetEvents, EditorTextThatDoesNotConvertRefusesThePost) {
  cds.Edit();
  link.pendingField = &Value();
  link.pendingText = "12,,5";
  EXPECT_THROW(cds.Post(), EConvertError);
  EXPECT_EQ(cds.State(), dsEdit);
  EXPECT_EQ(Value().AsFloat(), 1);
}

TEST_F(DataSetEvents, AbortInBeforePostKeepsTheRowInEditWithItsValues) {
  cds.BeforePost = [](TDataSet&) { Abort(); };
  cds.Edit();
  Value().SetAsFloat(0);
  Order().SetAsString("009");
  log.Take();
  EXPECT_THROW(cds.Post(), EAbort);
  EXPECT_EQ(cds.State(), dsEdit);
  EXPECT_TRUE(cds.Modified());
  EXPECT_EQ(Value().AsFloat(), 0);
  EXPECT_EQ(Order().AsString(), "009");
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_EQ(log.Take(), (Log{"link:UpdateData"}));  // no state change, no AfterPost
  // A refused post also keeps the cursor when the move triggered it.
  EXPECT_THROW(cds.Next(), EAbort);
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_EQ(cds.State(), dsEdit);
  cds.BeforePost = nullptr;
  cds.Post();
  EXPECT_EQ(cds.ChangeCount(), 1);
}

TEST_F(DataSetEvents, ExceptionInABeforeHandlerChangesNothing) {
  cds.BeforeInsert = [](TDataSet&) { Abort(); };
  EXPECT_THROW(cds.Insert(), EAbort);
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecordCount(), 3);

  cds.BeforeEdit = [](TDataSet&) { Abort(); };
  EXPECT_THROW(cds.Edit(), EAbort);
  EXPECT_EQ(cds.State(), dsBrowse);

  cds.BeforeDelete = [](TDataSet&) { Abort(); };
  EXPECT_THROW(cds.Delete(), EAbort);
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.ChangeCount(), 0);

  cds.BeforeScroll = [](TDataSet&) { Abort(); };
  EXPECT_THROW(cds.Next(), EAbort);
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_THROW(cds.Append(), EAbort);  // BeforeScroll is part of an insert
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.State(), dsBrowse);
}

TEST_F(DataSetEvents, DeleteNeverRemovesARowOtherThanTheOneAskedFor) {
  cds.BeforeDelete = [](TDataSet& d) { d.Next(); };
  EXPECT_THROW(cds.Delete(), EDatabaseError);
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.ChangeCount(), 0);
}

TEST_F(DataSetEvents, ABeforeScrollHandlerThatEmptiesTheRowsLeavesAValidCursor) {
  cds.BeforeScroll = [](TDataSet& d) { static_cast<TClientDataSet&>(d).EmptyDataSet(); };
  cds.Last();
  EXPECT_EQ(cds.RecNo(), 0);
  EXPECT_TRUE(cds.Bof() && cds.Eof());
}

TEST_F(DataSetEvents, ExceptionInBeforeCancelKeepsTheEdit) {
  cds.Edit();
  Value().SetAsFloat(7);
  cds.BeforeCancel = [](TDataSet&) { Abort(); };
  EXPECT_THROW(cds.Cancel(), EAbort);
  EXPECT_EQ(cds.State(), dsEdit);
  EXPECT_EQ(Value().AsFloat(), 7);
}

TEST_F(DataSetEvents, ExceptionInOnNewRecordCancelsTheInsert) {
  cds.Next();
  cds.OnNewRecord = [](TDataSet&) { throw EConvertError("falhou"); };
  EXPECT_THROW(cds.Insert(), EConvertError);
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_EQ(Order().AsString(), "002");
}

TEST_F(DataSetEvents, DefaultsSetInOnNewRecordDoNotMarkTheRowModified) {
  cds.OnNewRecord = [this](TDataSet&) { Value().SetAsFloat(1); };
  cds.Append();
  EXPECT_FALSE(cds.Modified());
  EXPECT_EQ(Value().AsFloat(), 1);
  cds.Prior();  // an untouched new row is dropped
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.ChangeCount(), 0);
}

TEST_F(DataSetEvents, DefaultsSetInAfterInsertDoMarkTheRowModified) {
  cds.AfterInsert = [this](TDataSet&) { Value().SetAsFloat(1); };
  cds.Append();
  EXPECT_TRUE(cds.Modified());
  cds.First();  // posted on the way
  EXPECT_EQ(cds.RecordCount(), 4);
  EXPECT_EQ(cds.ChangeCount(), 1);
}

TEST_F(DataSetEvents, AfterPostFailureThatUndoesTheChangeStillReportsTheError) {
  // The formula screen's save: the server refuses, the local change is undone and the
  // error goes on.
  cds.AfterPost = [](TDataSet& d) {
    static_cast<TClientDataSet&>(d).CancelUpdates();
    throw Exception("Recusado pelo servidor");
  };
  cds.Append();
  Order().SetAsString("004");
  Value().SetAsFloat(4);
  EXPECT_THROW(cds.Post(), Exception);
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_EQ(vqr::test::ColumnTexts(cds, "NRORDEMFAT"), (Log{"001", "002", "003"}));
}

TEST_F(DataSetEvents, APostWhoseSaveFailsIsTakenBackAndTheRowStaysInEditWithWhatWasTyped) {
  // The screens' saves: AfterPost sends the row and the server refuses it.
  bool refuse = true;
  cds.AfterPost = [&refuse](TDataSet&) {
    if (refuse) throw Exception("Servidor indisponível");
  };
  cds.SetIndexFieldNames("NRORDEMFAT");
  cds.SetRecNo(2);
  cds.Edit();
  Order().SetAsString("009");  // would sort last
  Value().SetAsFloat(20);
  EXPECT_THROW(cds.Post(), Exception);
  EXPECT_EQ(cds.State(), dsEdit);
  EXPECT_TRUE(cds.Modified());
  EXPECT_EQ(cds.RecNo(), 2) << "back on its row, in its old place";
  EXPECT_EQ(Order().AsString(), "009");
  EXPECT_EQ(Value().AsFloat(), 20);
  EXPECT_EQ(cds.ChangeCount(), 0);
  cds.Cancel();
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Log{"001", "002", "003"})) << "cancelling brings the stored row back";

  cds.SetRecNo(1);
  cds.Insert();
  Order().SetAsString("004");
  Value().SetAsFloat(4);
  EXPECT_THROW(cds.Post(), Exception);
  EXPECT_EQ(cds.State(), dsInsert);
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_EQ(cds.RecordCount(), 4);
  refuse = false;
  cds.Post();  // the second attempt is saved
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.ChangeCount(), 1);
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Log{"001", "002", "003", "004"}));
}

TEST_F(DataSetEvents, EditOnAnEmptyDataSetInserts) {
  cds.EmptyDataSet();
  log.Take();
  cds.Edit();
  EXPECT_EQ(cds.State(), dsInsert);
  EXPECT_EQ(log.Take().front(), "BeforeInsert");
}

TEST_F(DataSetEvents, InsertWhileEditingAnotherRowPostsItFirst) {
  cds.Edit();
  Value().SetAsFloat(5);
  cds.Insert();
  EXPECT_EQ(cds.State(), dsInsert);
  EXPECT_EQ(cds.ChangeCount(), 1);
  EXPECT_EQ(cds.DisplayTextAt(2, Value()), "5");
}

TEST_F(DataSetEvents, PostAndCancelOutsideEditDoNothing) {
  cds.Post();
  cds.Cancel();
  EXPECT_TRUE(log.Take().empty());
}

TEST_F(DataSetEvents, ReadOnlyDataSetRefusesChanges) {
  cds.SetReadOnly(true);
  EXPECT_THROW(cds.Edit(), EDatabaseError);
  EXPECT_THROW(cds.Insert(), EDatabaseError);
  EXPECT_THROW(cds.Delete(), EDatabaseError);
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_TRUE(log.Take().empty());
}

TEST_F(DataSetEvents, HandlersCanBeDetachedAndRestored) {
  auto saved = source.OnStateChange;
  source.OnStateChange = nullptr;
  cds.Edit();
  cds.Cancel();
  for (const auto& entry : log.Take()) EXPECT_NE(entry.rfind("state:", 0), 0u) << entry;
  source.OnStateChange = saved;
  cds.Edit();
  EXPECT_EQ(log.Take()[2], "state:dsEdit");
}

}  // namespace
