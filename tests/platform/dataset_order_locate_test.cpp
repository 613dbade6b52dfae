// IndexFieldNames ordering (a posted row moves to its place, the cursor follows) and
// Locate with exact, case- and accent-insensitive and partial keys.
#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using namespace platform;
using namespace vqr::test;
using Texts = std::vector<std::string>;

class Ordered : public FormulaDataSetTest {
 protected:
  void SetUp() override {
    cds.SetIndexFieldNames("NRORDEMFAT");
    cds.SetData(FormulaPacket({{"030", "C", 3.0}, {"010", "A", 1.0}, {"020", "B", 2.0}}));
  }
};

TEST_F(Ordered, RowsArriveSortedWhateverTheServerOrder) {
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"010", "020", "030"}));
  EXPECT_EQ(Order().AsString(), "010");
}

TEST_F(Ordered, APostedRowMovesToItsPlaceAndTheCursorFollows) {
  cds.First();
  cds.Edit();
  Order().SetAsString("025");
  cds.Post();
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"020", "025", "030"}));
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_EQ(Factor().AsString(), "A");
}

TEST_F(Ordered, AnInsertedRowTakesItsPlaceOnPost) {
  cds.Last();
  cds.Insert();
  Order().SetAsString("015");
  Factor().SetAsString("N");
  EXPECT_EQ(cds.RecNo(), 3);  // shown where it was inserted until posted
  cds.Post();
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"010", "015", "020", "030"}));
  EXPECT_EQ(cds.RecNo(), 2);
  EXPECT_EQ(Factor().AsString(), "N");
}

TEST_F(Ordered, ARowThatStillSortsInPlaceStaysAmongItsEquals) {
  cds.SetData(FormulaPacket({{"010", "A", 1.0}, {"010", "B", 2.0}, {"010", "C", 3.0}}));
  EXPECT_EQ(ColumnTexts(cds, "SGFATPRECO"), (Texts{"A", "B", "C"}));  // ties keep the load order
  cds.SetRecNo(2);
  cds.Edit();
  cds.FieldByName("VRFATPRECLIE").SetAsFloat(9);
  cds.Post();
  EXPECT_EQ(ColumnTexts(cds, "SGFATPRECO"), (Texts{"A", "B", "C"}));
  EXPECT_EQ(cds.RecNo(), 2);
}

TEST_F(Ordered, TextsSortByByteOrderNumbersByValueAndNullsFirst) {
  cds.SetIndexFieldNames("VRFATPRECLIE");
  cds.SetData(FormulaPacket({{"a", "x", 10.0}, {"b", "y", 9.5}, {"c", "z", Variant::Null()}, {"d", "w", -1.0}}));
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"c", "d", "b", "a"}));
  cds.SetIndexFieldNames("NRORDEMFAT");
  cds.SetData(FormulaPacket({{"9", "", 0.0}, {"10", "", 0.0}, {"Á", "", 0.0}, {"B", "", 0.0}, {"a", "", 0.0}}));
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"10", "9", "B", "a", "Á"}));
}

TEST_F(Ordered, SeveralFieldsOrderByEachInTurn) {
  cds.SetIndexFieldNames("SGFATPRECO; VRFATPRECLIE");
  cds.SetData(FormulaPacket({{"1", "B", 2.0}, {"2", "A", 3.0}, {"3", "B", 1.0}, {"4", "A", 1.0}}));
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"4", "2", "3", "1"}));
}

TEST_F(Ordered, DatesSortByValue) {
  cds.Close();
  cds.SetIndexFieldNames("DT");
  cds.SetData(MakePacket({{"DT", FieldType::DateTime, 0}},
                         {{EncodeDate(2026, 1, 2)}, {EncodeDate(2025, 12, 31)}, {EncodeDate(2026, 1, 1)}}));
  EXPECT_EQ(ColumnTexts(cds, "DT"), (Texts{"31/12/2025", "01/01/2026", "02/01/2026"}));
}

TEST_F(Ordered, ChangingTheIndexKeepsTheCursorOnItsRow) {
  cds.SetRecNo(3);  // "030", factor C
  cds.SetIndexFieldNames("VRFATPRECLIE");
  EXPECT_EQ(Factor().AsString(), "C");
  cds.SetIndexFieldNames("SGFATPRECO");
  EXPECT_EQ(Factor().AsString(), "C");
  EXPECT_EQ(cds.RecNo(), 3);
}

TEST_F(Ordered, AnUnknownIndexFieldIsRefusedAndTheOrderKept) {
  EXPECT_THROW(cds.SetIndexFieldNames("NAOEXISTE"), EDatabaseError);
  EXPECT_EQ(cds.IndexFieldNames(), "NRORDEMFAT");
  cds.Edit();
  Order().SetAsString("000");
  cds.Post();
  EXPECT_EQ(cds.RecNo(), 1);
}

TEST_F(Ordered, WithoutAnIndexRowsKeepTheLoadAndInsertOrder) {
  cds.SetIndexFieldNames("");
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"030", "010", "020"}));
  cds.SetRecNo(2);
  cds.Insert();
  Order().SetAsString("999");
  cds.Post();
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"030", "999", "010", "020"}));
  cds.SetIndexFieldNames("NRORDEMFAT");
  cds.SetIndexFieldNames("");
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"030", "999", "010", "020"}));
}

TEST_F(Ordered, CancelUpdatesRestoresTheSortedOrder) {
  cds.First();
  cds.Edit();
  Order().SetAsString("099");
  cds.Post();
  cds.CancelUpdates();
  EXPECT_EQ(ColumnTexts(cds, "NRORDEMFAT"), (Texts{"010", "020", "030"}));
}

class Locating : public ::testing::Test {
 protected:
  void SetUp() override {
    cds.SetData(MakePacket({{"NMRAZSOCCLIE", FieldType::String, 50}, {"CDCLIENTE", FieldType::String, 21},
                            {"VRLIMITE", FieldType::Float, 0}},
                           {{"Padaria Pão Quente", "C1", 1.5},
                            {"JOÃO DA SILVA", "C2", 2.0},
                            {"Açougue União", "C3", Variant::Null()},
                            {"João da Silva", "C4", 2.0}}));
    log.Watch(cds);
  }
  std::string Code() { return cds.FieldByName("CDCLIENTE").AsString(); }

  TClientDataSet cds;
  EventLog log;
};

TEST_F(Locating, ExactMatchIsCaseAndAccentSensitive) {
  EXPECT_TRUE(cds.Locate("NMRAZSOCCLIE", "João da Silva"));
  EXPECT_EQ(Code(), "C4");
  EXPECT_FALSE(cds.Locate("NMRAZSOCCLIE", "joao da silva"));
  EXPECT_EQ(Code(), "C4");  // not found: the cursor stays
}

TEST_F(Locating, CaseInsensitiveIgnoresAccentsToo) {
  EXPECT_TRUE(cds.Locate("NMRAZSOCCLIE", "joao da silva", loCaseInsensitive));
  EXPECT_EQ(Code(), "C2");  // the first match
  EXPECT_TRUE(cds.Locate("nmrazsocclie", "ACOUGUE UNIAO", loCaseInsensitive));
  EXPECT_EQ(Code(), "C3");
}

TEST_F(Locating, PartialKeyMatchesPrefixes) {
  EXPECT_TRUE(cds.Locate("NMRAZSOCCLIE", "Pada", loPartialKey));
  EXPECT_EQ(Code(), "C1");
  EXPECT_FALSE(cds.Locate("NMRAZSOCCLIE", "pada", loPartialKey));
  EXPECT_TRUE(cds.Locate("NMRAZSOCCLIE", "acou", loPartialKey | loCaseInsensitive));
  EXPECT_EQ(Code(), "C3");
  EXPECT_FALSE(cds.Locate("NMRAZSOCCLIE", "Padaria Pão Quente e Cia", loPartialKey));
}

TEST_F(Locating, SeveralFieldsTakeAnArrayOfValues) {
  EXPECT_TRUE(cds.Locate("NMRAZSOCCLIE;VRLIMITE", VarArrayOf({"joão da silva", 2.0}), loCaseInsensitive));
  EXPECT_EQ(Code(), "C2");
  EXPECT_TRUE(cds.Locate("VRLIMITE;CDCLIENTE", VarArrayOf({"2,0", "C4"})));  // a text converted like SetText
  EXPECT_EQ(Code(), "C4");
  EXPECT_TRUE(cds.Locate("VRLIMITE", Variant::Null()));
  EXPECT_EQ(Code(), "C3");
}

TEST_F(Locating, ScrollEventsOnlyWhenItMoves) {
  log.Take();
  EXPECT_TRUE(cds.Locate("CDCLIENTE", "C1"));
  EXPECT_TRUE(log.Take().empty());
  EXPECT_TRUE(cds.Locate("CDCLIENTE", "C3"));
  EXPECT_EQ(log.Take(), (Texts{"BeforeScroll", "AfterScroll"}));
}

TEST_F(Locating, BadArgumentsAreRefused) {
  EXPECT_THROW(cds.Locate("NAOEXISTE", "x"), EDatabaseError);
  EXPECT_THROW(cds.Locate("CDCLIENTE;VRLIMITE", "C1"), EDatabaseError);
  EXPECT_THROW(cds.Locate("", "C1"), EDatabaseError);
  EXPECT_THROW(cds.Locate("VRLIMITE", "muito"), EConvertError);
  cds.Close();
  EXPECT_THROW(cds.Locate("CDCLIENTE", "C1"), EDatabaseError);
}

TEST_F(Locating, LocateWhileEditingPostsFirst) {
  cds.Edit();
  cds.FieldByName("CDCLIENTE").SetAsString("C9");
  EXPECT_TRUE(cds.Locate("CDCLIENTE", "C9"));
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecNo(), 1);
}

}  // namespace
