#include "tests/support/dataset_fixtures.h"

namespace vqr::test {

using namespace platform;

std::shared_ptr<const DataPacket> MakePacket(std::vector<ColumnDef> columns, const std::vector<Row>& rows) {
  auto packet = std::make_shared<DataPacket>(std::move(columns));
  for (const Row& row : rows) packet->appendRow(row);
  return packet;
}

std::shared_ptr<const DataPacket> FormulaPacket(const std::vector<Row>& rows) {
  return MakePacket({{"NRORDEMFAT", FieldType::String, 3},
                     {"SGFATPRECO", FieldType::String, 4},
                     {"VRFATPRECLIE", FieldType::Float, 0}},
                    rows);
}

std::shared_ptr<const DataPacket> ThreeFormulaRows() {
  return FormulaPacket({{"001", "A", 1.0}, {"002", "B", 2.0}, {"003", "C", 3.0}});
}

std::vector<std::string> ColumnTexts(TDataSet& dataSet, const std::string& field) {
  std::vector<std::string> texts;
  for (int recNo = 1; recNo <= dataSet.RecordCount(); ++recNo)
    texts.push_back(dataSet.DisplayTextAt(recNo, dataSet.FieldByName(field)));
  return texts;
}

void EventLog::Watch(TDataSet& d) {
  auto record = [this](const char* name) { return [this, name](TDataSet&) { Add(name); }; };
  d.BeforeOpen = record("BeforeOpen");
  d.AfterOpen = record("AfterOpen");
  d.BeforeClose = record("BeforeClose");
  d.AfterClose = record("AfterClose");
  d.BeforeInsert = record("BeforeInsert");
  d.AfterInsert = record("AfterInsert");
  d.OnNewRecord = record("OnNewRecord");
  d.BeforeEdit = record("BeforeEdit");
  d.AfterEdit = record("AfterEdit");
  d.BeforePost = record("BeforePost");
  d.AfterPost = record("AfterPost");
  d.BeforeCancel = record("BeforeCancel");
  d.AfterCancel = record("AfterCancel");
  d.BeforeDelete = record("BeforeDelete");
  d.AfterDelete = record("AfterDelete");
  d.BeforeScroll = record("BeforeScroll");
  d.AfterScroll = record("AfterScroll");
}

void EventLog::Watch(TDataSource& source) {
  source.OnStateChange = [this](TDataSource& s) { Add(std::string("state:") + DataSetStateName(s.State())); };
  source.OnDataChange = [this](TDataSource&, TField* field) {
    Add(std::string("data:") + (field ? field->FieldName() : "*"));
  };
}

std::vector<std::string> EventLog::Take() {
  std::vector<std::string> out;
  out.swap(entries);
  return out;
}

void RecordingLink::ActiveChanged() { log_.Add(Active() ? "link:Active" : "link:Inactive"); }

void RecordingLink::EditingChanged() { log_.Add(Editing() ? "link:Editing" : "link:NotEditing"); }

void RecordingLink::DataSetChanged() { log_.Add("link:DataSetChanged"); }

void RecordingLink::DataSetScrolled(int distance) { log_.Add("link:Scrolled(" + std::to_string(distance) + ")"); }

void RecordingLink::RecordChanged(TField* field) {
  log_.Add("link:RecordChanged(" + (field ? field->FieldName() : std::string("*")) + ")");
}

void RecordingLink::LayoutChanged() { log_.Add("link:LayoutChanged"); }

void RecordingLink::UpdateData() {
  ++updateDataCalls;
  log_.Add("link:UpdateData");
  if (pendingField) {
    TField* field = pendingField;
    pendingField = nullptr;
    field->SetText(pendingText);
  }
}

void RecordingLink::FocusControl(TField* field, bool& handled) {
  focused = field;
  handled = true;
  log_.Add("link:Focus(" + field->FieldName() + ")");
}

}  // namespace vqr::test
