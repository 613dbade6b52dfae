#pragma once
// Fixtures for the dataset engine's tests: packets built in one expression, a log that
// records every dataset event, data source event and data link callback as text, and
// the formula-row dataset most of those tests start from.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/data/client_dataset.h"
#include "platform/data/data_link.h"
#include "platform/data/data_source.h"
#include "platform/variant/data_packet.h"

namespace vqr::test {

using Row = std::vector<platform::Variant>;

std::shared_ptr<const platform::DataPacket> MakePacket(std::vector<platform::ColumnDef> columns,
                                                       const std::vector<Row>& rows);

// The formula-row shape: NRORDEMFAT (string 3), SGFATPRECO (string 4), VRFATPRECLIE (float).
std::shared_ptr<const platform::DataPacket> FormulaPacket(const std::vector<Row>& rows);

// The three formula rows the dataset tests start from: 001 A 1, 002 B 2, 003 C 3.
std::shared_ptr<const platform::DataPacket> ThreeFormulaRows();

// Values of one column over every row, in the dataset's order (moves the cursor).
std::vector<std::string> ColumnTexts(platform::TDataSet& dataSet, const std::string& field);

// Records events in order as "BeforePost", "state:dsEdit", "link:EditingChanged", ...
class EventLog {
 public:
  // Every TDataSet event handler of `dataSet` appends its name.
  void Watch(platform::TDataSet& dataSet);
  // OnStateChange appends "state:<state>", OnDataChange "data:<field or *>".
  void Watch(platform::TDataSource& source);
  void Add(std::string entry) { entries.push_back(std::move(entry)); }
  // Entries recorded since the last Take, then clears them.
  std::vector<std::string> Take();

  std::vector<std::string> entries;
};

// A data link that records its callbacks into a log ("link:DataSetChanged", ...).
class RecordingLink : public platform::TDataLink {
 public:
  explicit RecordingLink(EventLog& log) : log_(log) {}
  int updateDataCalls = 0;
  platform::TField* focused = nullptr;
  // Text written to `pendingField` by UpdateData, as a grid editor would.
  platform::TField* pendingField = nullptr;
  std::string pendingText;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void RecordChanged(platform::TField* field) override;
  void LayoutChanged() override;
  void UpdateData() override;
  void FocusControl(platform::TField* field, bool& handled) override;

 private:
  EventLog& log_;
};

// A client dataset of the formula-row shape and its three fields; SetUp loads it.
class FormulaDataSetTest : public ::testing::Test {
 protected:
  platform::TField& Order() { return cds.FieldByName("NRORDEMFAT"); }
  platform::TField& Factor() { return cds.FieldByName("SGFATPRECO"); }
  platform::TField& Value() { return cds.FieldByName("VRFATPRECLIE"); }

  platform::TClientDataSet cds;
};

// The same dataset with a data source and a recording link on it, both attached
// before anything is loaded; what the log watches is up to SetUp.
class LinkedFormulaDataSetTest : public FormulaDataSetTest {
 protected:
  LinkedFormulaDataSetTest() {
    source.SetDataSet(&cds);
    link.SetDataSource(&source);
  }

  platform::TDataSource source;
  EventLog log;
  RecordingLink link{log};
};

}  // namespace vqr::test
