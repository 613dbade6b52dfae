// Data sources and data links: DisableControls, enabling and switching sources,
// random row access for grids, links driving edits, and objects destroyed while linked.
#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "platform/data/field_data_link.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using namespace platform;
using namespace vqr::test;
using Log = std::vector<std::string>;

class Links : public LinkedFormulaDataSetTest {
 protected:
  void SetUp() override {
    cds.SetData(ThreeFormulaRows());
    log.Watch(source);
    log.Take();
  }
};

TEST_F(Links, DisableControlsSilencesLinksUntilTheLastEnable) {
  cds.DisableControls();
  cds.DisableControls();
  for (cds.First(); !cds.Eof(); cds.Next()) {
    cds.Edit();
    Value().SetAsFloat(Value().AsFloat() * 10);
    cds.Post();
  }
  cds.EnableControls();
  // Only the posts' requests for pending editor text got through.
  EXPECT_EQ(log.Take(), (Log{"link:UpdateData", "link:UpdateData", "link:UpdateData"}));
  cds.EnableControls();
  EXPECT_EQ(log.Take(), (Log{"link:DataSetChanged", "data:*"}));
  cds.EnableControls();  // unbalanced: ignored
  EXPECT_TRUE(log.Take().empty());
  EXPECT_EQ(cds.ChangeCount(), 3);
}

TEST_F(Links, AStateChangeWhileDisabledIsReportedOnEnable) {
  cds.DisableControls();
  cds.Edit();
  EXPECT_TRUE(log.Take().empty());
  EXPECT_EQ(source.State(), dsBrowse);  // the source has not been told yet
  cds.EnableControls();
  EXPECT_EQ(log.Take(), (Log{"link:Editing", "state:dsEdit", "link:DataSetChanged", "data:*"}));
  EXPECT_TRUE(link.Editing());
}

TEST_F(Links, EditorTextIsStillCollectedWhileDisabled) {
  cds.Edit();
  link.pendingField = &Value();
  link.pendingText = "7,5";
  cds.DisableControls();
  cds.Post();
  cds.EnableControls();
  EXPECT_EQ(Value().AsFloat(), 7.5);
}

TEST_F(Links, ADisabledSourceReportsAnInactiveDataSet) {
  source.SetEnabled(false);
  EXPECT_EQ(log.Take(), (Log{"link:Inactive", "state:dsInactive"}));
  EXPECT_FALSE(link.Active());
  cds.Next();
  EXPECT_TRUE(log.Take().empty());
  source.SetEnabled(true);
  EXPECT_EQ(log.Take(), (Log{"link:Active", "state:dsBrowse", "data:*"}));
  EXPECT_EQ(link.ActiveRecord(), 1);
  EXPECT_EQ(link.RecordCount(), 3);
}

TEST_F(Links, SwitchingTheSourceToAnotherDataSetReactivatesTheLinks) {
  TClientDataSet other;
  other.SetData(FormulaPacket({{"009", "Z", 9.0}}));
  source.SetDataSet(&other);
  EXPECT_EQ(log.Take(), (Log{"link:Inactive", "state:dsInactive", "link:Active", "state:dsBrowse", "data:*"}));
  EXPECT_EQ(link.RecordCount(), 1);
  cds.Next();
  EXPECT_TRUE(log.Take().empty());
  source.SetDataSet(nullptr);
  EXPECT_EQ(link.DataSet(), nullptr);
  EXPECT_EQ(link.ActiveRecord(), -1);
}

TEST_F(Links, LinkEditFollowsAutoEditAndReadOnly) {
  link.SetReadOnly(true);
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(cds.State(), dsBrowse);
  link.SetReadOnly(false);
  source.SetAutoEdit(false);
  EXPECT_FALSE(link.Edit());
  source.SetAutoEdit(true);
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(cds.State(), dsEdit);
  cds.Cancel();
  source.OnStateChange = [](TDataSource& s) {
    if (s.State() == dsEdit) s.DataSet()->Cancel();
  };
  EXPECT_FALSE(link.Edit());  // a state handler refused the edit
}

TEST_F(Links, RandomAccessReadsAnyRowWithoutMovingOrNotifying) {
  EXPECT_EQ(cds.DisplayTextAt(3, Value()), "3");
  EXPECT_EQ(cds.TextAt(2, cds.FieldByName("SGFATPRECO")), "B");
  EXPECT_EQ(cds.ValueAt(2, Value()), Variant(2.0));
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_TRUE(log.Take().empty());
  EXPECT_THROW(cds.DisplayTextAt(0, Value()), EDatabaseError);
  EXPECT_THROW(cds.DisplayTextAt(4, Value()), EDatabaseError);
  TClientDataSet other;
  other.SetData(FormulaPacket({{"009", "Z", 9.0}}));
  EXPECT_THROW(cds.DisplayTextAt(1, other.FieldByName("NRORDEMFAT")), EDatabaseError);
}

TEST_F(Links, RandomAccessShowsTheEditBufferOfTheRowBeingEdited) {
  cds.SetRecNo(2);
  cds.Edit();
  Value().SetAsFloat(22);
  EXPECT_EQ(cds.DisplayTextAt(2, Value()), "22");
  EXPECT_EQ(cds.DisplayTextAt(1, Value()), "1");
  EXPECT_EQ(Value().AsFloat(), 22);  // the current row is back after reading another
}

TEST_F(Links, AGetTextHandlerCannotWriteWhileAnotherRowIsRead) {
  cds.Edit();
  Value().OnGetText = [](TField& sender, std::string& text, bool) {
    text = sender.AsString();
    sender.SetAsFloat(0);
  };
  EXPECT_THROW(cds.DisplayTextAt(2, Value()), EDatabaseError);
  Value().OnGetText = nullptr;
  EXPECT_EQ(cds.DisplayTextAt(2, Value()), "2");
  EXPECT_EQ(Value().AsFloat(), 1);
}

// A single-field control (a data text or data edit) on TFieldDataLink.
class FieldControl : public Links {
 protected:
  void SetUp() override {
    Links::SetUp();
    control.OnDataChange = [this] { shown = control.Field() ? control.Field()->DisplayText() : "-"; };
    control.OnUpdateData = [this] { control.Field()->SetText(typed); };
    control.OnFocusRequest = [this] { return focused = true; };
    control.SetDataSource(&source);
    control.SetFieldName("sgfatpreco");
  }
  TFieldDataLink control;
  std::string shown;
  std::string typed;
  bool focused = false;
};

TEST_F(FieldControl, ShowsTheFieldOfTheCurrentRow) {
  EXPECT_EQ(control.Field(), &cds.FieldByName("SGFATPRECO"));
  EXPECT_EQ(shown, "A");
  cds.Next();
  EXPECT_EQ(shown, "B");
  cds.Close();
  EXPECT_EQ(shown, "-");
  EXPECT_EQ(control.Field(), nullptr);
  cds.Open();
  EXPECT_EQ(shown, "A");
}

TEST_F(FieldControl, WritesItsTextOnlyWhenChanged) {
  cds.Edit();
  typed = "Z";
  cds.Post();
  EXPECT_EQ(cds.FieldByName("SGFATPRECO").AsString(), "A");
  cds.Edit();
  control.SetModified();
  cds.Post();
  EXPECT_EQ(cds.FieldByName("SGFATPRECO").AsString(), "Z");
  EXPECT_FALSE(control.Modified());
  EXPECT_EQ(shown, "Z");
}

TEST_F(FieldControl, OtherFieldsDoNotRedisplayIt) {
  cds.Edit();
  shown = "?";
  Value().SetAsFloat(5);
  EXPECT_EQ(shown, "?");
  cds.FieldByName("SGFATPRECO").SetAsString("Q");
  EXPECT_EQ(shown, "Q");
}

TEST_F(FieldControl, TakesTheFocusForItsField) {
  link.SetDataSource(nullptr);
  Value().FocusControl();
  EXPECT_FALSE(focused);
  cds.FieldByName("SGFATPRECO").FocusControl();
  EXPECT_TRUE(focused);
  RecordingLink later(log);
  later.SetDataSource(&source);
  cds.FieldByName("SGFATPRECO").FocusControl();
  EXPECT_EQ(later.focused, nullptr);  // handled before the next link was asked
}

TEST_F(FieldControl, ReadOnlyFieldOrLinkCannotModify) {
  EXPECT_TRUE(control.CanModify());
  cds.FieldByName("SGFATPRECO").SetReadOnly(true);
  EXPECT_FALSE(control.CanModify());
  control.SetFieldName("NAOEXISTE");
  EXPECT_EQ(control.Field(), nullptr);
  EXPECT_FALSE(control.CanModify());
}

TEST(LinkLifetime, DestroyingTheSourceLeavesLinksInactive) {
  TClientDataSet cds;
  cds.SetData(FormulaPacket({{"001", "A", 1.0}}));
  EventLog log;
  RecordingLink link(log);
  {
    TDataSource source;
    source.SetDataSet(&cds);
    link.SetDataSource(&source);
    EXPECT_TRUE(link.Active());
  }
  EXPECT_EQ(link.DataSource(), nullptr);
  EXPECT_FALSE(link.Active());
  cds.Next();  // the dataset no longer knows the source
  cds.Edit();
  cds.Post();
}

TEST(LinkLifetime, DestroyingTheDataSetLeavesSourcesAndLinksInactive) {
  TDataSource source;
  EventLog log;
  RecordingLink link(log);
  link.SetDataSource(&source);
  TStringField loose("NRORDEMFAT", 3);
  log.Watch(source);
  {
    TClientDataSet cds;
    loose.SetDataSet(&cds);
    source.SetDataSet(&cds);
    cds.SetData(FormulaPacket({{"001", "A", 1.0}}));
    log.Take();
  }
  EXPECT_EQ(log.Take(), (Log{"link:Inactive"}));  // no source events from a dying dataset
  EXPECT_EQ(source.DataSet(), nullptr);
  EXPECT_EQ(source.State(), dsInactive);
  EXPECT_EQ(loose.DataSet(), nullptr);
  EXPECT_THROW(loose.AsString(), EDatabaseError);
}

TEST(LinkLifetime, DestroyingALinkOrADeclaredFieldDetachesIt) {
  TClientDataSet cds;
  auto loose = std::make_unique<TStringField>("NRORDEMFAT", 3);
  loose->SetDataSet(&cds);
  cds.AddField<TStringField>("SGFATPRECO", 4);
  TDataSource source;
  source.SetDataSet(&cds);
  EventLog log;
  auto link = std::make_unique<RecordingLink>(log);
  link->SetDataSource(&source);
  cds.SetData(FormulaPacket({{"001", "A", 1.0}}));
  log.Take();
  link.reset();
  loose.reset();
  EXPECT_EQ(cds.FieldCount(), 1);
  cds.Next();
  EXPECT_TRUE(log.Take().empty());
}

TEST(LinkLifetime, ALinkMayDetachAnotherDuringACallback) {
  TClientDataSet cds;
  TDataSource source;
  source.SetDataSet(&cds);
  EventLog log;
  auto victim = std::make_unique<RecordingLink>(log);
  struct Killer : TDataLink {
    std::unique_ptr<RecordingLink>* target = nullptr;
    void DataSetChanged() override { target->reset(); }
  } killer;
  killer.target = &victim;
  killer.SetDataSource(&source);
  victim->SetDataSource(&source);
  cds.SetData(FormulaPacket({{"001", "A", 1.0}}));
  cds.SetData(FormulaPacket({{"002", "B", 2.0}}));  // DataSetChanged: the killer runs first
  EXPECT_EQ(victim, nullptr);
}

TEST(LinkLifetime, OwnedDataSetsAndSourcesGoWithTheirOwner) {
  auto owner = std::make_unique<TComponent>();
  auto* cds = new TClientDataSet(owner.get());
  cds->SetName("cdsPrecoClie");
  auto* source = new TDataSource(owner.get());
  source->SetDataSet(cds);
  EventLog log;
  RecordingLink link(log);
  link.SetDataSource(source);
  cds->SetData(FormulaPacket({{"001", "A", 1.0}}));
  EXPECT_EQ(owner->FindComponent("cdsPrecoClie"), cds);
  owner.reset();  // destroys the source first (newest first), then the dataset
  EXPECT_EQ(link.DataSource(), nullptr);
  EXPECT_FALSE(link.Active());
}

}  // namespace
