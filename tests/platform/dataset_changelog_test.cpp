// The change log of TClientDataSet: ChangeCount, Delta, MergeChangeLog, CancelUpdates,
// EmptyDataSet and Data.
#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using namespace platform;
using namespace vqr::test;
using Texts = std::vector<std::string>;

class ChangeLog : public FormulaDataSetTest {
 protected:
  void SetUp() override { cds.SetData(ThreeFormulaRows()); }
  void AppendRow(const char* order, const char* factor, double value) {
    cds.Append();
    Order().SetAsString(order);
    Factor().SetAsString(factor);
    Value().SetAsFloat(value);
    cds.Post();
  }
  void EditValue(int recNo, double value) {
    cds.SetRecNo(recNo);
    cds.Edit();
    Value().SetAsFloat(value);
    cds.Post();
  }
  const DataPacket& Delta() {
    delta = cds.Delta();
    return delta.asPacket();
  }

  Variant delta;
};

TEST_F(ChangeLog, PostedNewRowIsOneInsertedRow) {
  AppendRow("004", "D", 4);
  EXPECT_EQ(cds.ChangeCount(), 1);
  const DataPacket& d = Delta();
  ASSERT_TRUE(d.isDelta());
  ASSERT_EQ(d.rowCount(), 1u);
  EXPECT_EQ(d.changeKind(0), ChangeKind::Inserted);
  EXPECT_TRUE(d.originalValues(0).empty());
  EXPECT_EQ(d.value(0, 0), Variant("004"));
  EXPECT_EQ(d.value(0, 2), Variant(4.0));
  EXPECT_EQ(d.columns(), cds.Data().asPacket().columns());
}

TEST_F(ChangeLog, InsertedThenModifiedStaysOneInsertedRow) {
  AppendRow("004", "D", 4);
  EditValue(4, 40);
  EXPECT_EQ(cds.ChangeCount(), 1);
  const DataPacket& d = Delta();
  ASSERT_EQ(d.rowCount(), 1u);
  EXPECT_EQ(d.changeKind(0), ChangeKind::Inserted);
  EXPECT_EQ(d.value(0, 2), Variant(40.0));
}

TEST_F(ChangeLog, InsertedThenDeletedLeavesNothing) {
  AppendRow("004", "D", 4);
  cds.Last();
  cds.Delete();
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_EQ(Delta().rowCount(), 0u);
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"001", "002", "003"}));
}

TEST_F(ChangeLog, ModifiedTwiceKeepsTheFirstOriginals) {
  EditValue(2, 20);
  EditValue(2, 200);
  EXPECT_EQ(cds.ChangeCount(), 1);
  const DataPacket& d = Delta();
  ASSERT_EQ(d.rowCount(), 1u);
  EXPECT_EQ(d.changeKind(0), ChangeKind::Modified);
  EXPECT_EQ(d.value(0, 2), Variant(200.0));
  EXPECT_EQ(d.originalValues(0), (Row{"002", "B", 2.0}));
}

TEST_F(ChangeLog, ModifiedThenDeletedCarriesTheOriginalValues) {
  EditValue(2, 20);
  cds.SetRecNo(2);
  cds.Delete();
  const DataPacket& d = Delta();
  ASSERT_EQ(d.rowCount(), 1u);
  EXPECT_EQ(d.changeKind(0), ChangeKind::Deleted);
  EXPECT_EQ(d.originalValues(0), (Row{"002", "B", 2.0}));
  EXPECT_EQ(d.value(0, 2), Variant(2.0));
}

TEST_F(ChangeLog, PostThatChangesNothingLogsNothing) {
  cds.Edit();
  Value().SetAsFloat(1);
  cds.Post();
  EXPECT_EQ(cds.ChangeCount(), 0);
}

TEST_F(ChangeLog, CancelledEditRestoresTheRowAndCancelledInsertLeavesNoTrace) {
  cds.Edit();
  Value().SetAsFloat(99);
  Factor().Clear();
  cds.Cancel();
  EXPECT_EQ(Value().AsFloat(), 1);
  EXPECT_EQ(Factor().AsString(), "A");
  cds.Insert();
  Order().SetAsString("000");
  cds.Cancel();
  EXPECT_EQ(cds.RecordCount(), 3);
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_EQ(Delta().rowCount(), 0u);
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"001", "002", "003"}));
}

TEST_F(ChangeLog, DeltaListsRowsInTheOrderOfTheirFirstChange) {
  EditValue(3, 30);
  AppendRow("004", "D", 4);
  cds.First();
  cds.Delete();
  EditValue(2, 31);  // row 3 again, now at position 2
  const DataPacket& d = Delta();
  ASSERT_EQ(d.rowCount(), 3u);
  EXPECT_EQ(d.changeKind(0), ChangeKind::Modified);
  EXPECT_EQ(d.value(0, 2), Variant(31.0));
  EXPECT_EQ(d.changeKind(1), ChangeKind::Inserted);
  EXPECT_EQ(d.changeKind(2), ChangeKind::Deleted);
  EXPECT_EQ(d.value(2, 0), Variant("001"));
}

TEST_F(ChangeLog, DeltaKeepsNullApartFromEmptyText) {
  cds.Edit();
  Factor().SetAsString("");
  Order().Clear();
  cds.Post();
  const DataPacket& d = Delta();
  EXPECT_EQ(d.value(0, 1), Variant(""));
  EXPECT_TRUE(d.isNull(0, 0));
}

TEST_F(ChangeLog, MergeMakesTheCurrentRowsTheSavedState) {
  EditValue(1, 10);
  AppendRow("004", "D", 4);
  cds.SetRecNo(2);
  cds.Delete();
  cds.MergeChangeLog();
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_EQ(Delta().rowCount(), 0u);
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"001", "003", "004"}));
  cds.CancelUpdates();  // nothing to undo any more
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"001", "003", "004"}));
  EXPECT_EQ(ColumnTexts(cds, "VRFATPRECLIE"), (Texts{"10", "3", "4"}));
  // A later change is logged against the merged values.
  EditValue(3, 44);
  const DataPacket& d = Delta();
  ASSERT_EQ(d.rowCount(), 1u);
  EXPECT_EQ(d.changeKind(0), ChangeKind::Modified);
  EXPECT_EQ(d.originalValues(0), (Row{"004", "D", 4.0}));
}

TEST_F(ChangeLog, EachSaveCarriesExactlyTheChangeJustMade) {
  // The formula screen: every post sends the delta and merges it at once.
  std::vector<std::size_t> sent;
  cds.AfterPost = [&sent](TDataSet& d) {
    auto& c = static_cast<TClientDataSet&>(d);
    if (c.ChangeCount() == 0) return;
    sent.push_back(c.Delta().asPacket().rowCount());
    c.MergeChangeLog();
  };
  AppendRow("004", "D", 4);
  EditValue(1, 10);
  EditValue(1, 10);  // no change: nothing to send
  EXPECT_EQ(sent, (std::vector<std::size_t>{1, 1}));
}

TEST_F(ChangeLog, CancelUpdatesUndoesEveryKindOfChange) {
  EditValue(1, 10);
  AppendRow("004", "D", 4);
  cds.SetRecNo(2);
  cds.Delete();
  EditValue(1, 11);
  cds.SetRecNo(2);  // on "003"
  cds.CancelUpdates();
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"001", "002", "003"}));  // deleted row back in place
  EXPECT_EQ(ColumnTexts(cds, "VRFATPRECLIE"), (Texts{"1", "2", "3"}));
  EXPECT_EQ(Order().AsString(), "003");  // the cursor stayed on its row
}

TEST_F(ChangeLog, CancelUpdatesWhileEditingCancelsTheEditFirst) {
  cds.Append();
  Order().SetAsString("004");
  cds.CancelUpdates();
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecordCount(), 3);
}

TEST_F(ChangeLog, CancelUpdatesOnTheInsertedCurrentRowMovesToANeighbour) {
  AppendRow("004", "D", 4);
  EXPECT_EQ(cds.RecNo(), 4);
  cds.CancelUpdates();
  EXPECT_EQ(cds.RecNo(), 3);
  EXPECT_EQ(Order().AsString(), "003");
}

TEST_F(ChangeLog, EmptyDataSetDropsRowsAndLogButStaysOpen) {
  EditValue(1, 10);
  cds.EmptyDataSet();
  EXPECT_TRUE(cds.Active());
  EXPECT_TRUE(cds.IsEmpty());
  EXPECT_EQ(cds.ChangeCount(), 0);
  EXPECT_TRUE(cds.Bof() && cds.Eof());
  AppendRow("001", "Z", 9);
  EXPECT_EQ(cds.RecordCount(), 1);
  EXPECT_EQ(cds.Delta().asPacket().changeKind(0), ChangeKind::Inserted);
  EXPECT_THROW(TClientDataSet().EmptyDataSet(), EDatabaseError);
}

TEST_F(ChangeLog, DataAppliesPendingChangesAndLoadsElsewhere) {
  EditValue(2, 20);
  AppendRow("004", "D", 4);
  cds.First();
  cds.Delete();
  // The formula screen's snapshot: the current rows into an auxiliary dataset.
  TClientDataSet aux;
  aux.SetData(cds.Data());
  EXPECT_EQ(ColumnTexts(aux, "NRORDEMFAT"), (Texts{"002", "003", "004"}));
  EXPECT_EQ(ColumnTexts(aux, "VRFATPRECLIE"), (Texts{"20", "3", "4"}));
  EXPECT_EQ(aux.ChangeCount(), 0);
  EXPECT_EQ(cds.ChangeCount(), 3);
}

TEST_F(ChangeLog, DataLeavesOutAnUnpostedRow) {
  cds.Append();
  Order().SetAsString("004");
  EXPECT_EQ(cds.Data().asPacket().rowCount(), 3u);
  cds.Cancel();
  cds.Edit();
  Value().SetAsFloat(50);
  EXPECT_EQ(cds.Data().asPacket().value(0, 2), Variant(1.0));  // as last posted
}

TEST(ClientDataSetData, UnchangedDataIsTheLoadedPacketItself) {
  auto packet = FormulaPacket({{"001", "A", 1.0}, {"002", "B", 2.0}});
  TClientDataSet cds;
  cds.SetData(packet);
  EXPECT_EQ(cds.DataPacketPtr().get(), packet.get());
  cds.Edit();
  cds.Cancel();
  EXPECT_EQ(cds.DataPacketPtr().get(), packet.get());
  cds.SetIndexFieldNames("SGFATPRECO");  // already in that order
  EXPECT_EQ(cds.DataPacketPtr().get(), packet.get());
  cds.SetIndexFieldNames("VRFATPRECLIE");
  cds.SetIndexFieldNames("NRORDEMFAT");
  EXPECT_EQ(cds.DataPacketPtr().get(), packet.get());
}

}  // namespace
