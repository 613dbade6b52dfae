#include "tests/testmodule/grid_form.h"

#include <memory>

#include "platform/core/exceptions.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/db_controls.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/screen.h"
#include "platform/ui/std_controls.h"
#include "platform/variant/data_packet.h"
#include "tests/testmodule/test_forms.h"

namespace testmodule {

using namespace platform;

namespace {

const char* const kCodes[] = {"M", "N", "P"};
const char* const kTexts[] = {"Moeda", "Número", "Percentual"};

std::shared_ptr<const DataPacket> makeRows(int rows) {
  auto packet = std::make_shared<DataPacket>(std::vector<ColumnDef>{
      {"NRORDEMFAT", FieldType::String, 3},
      {"SGFATPRECO", FieldType::String, 4},
      {"IDDETFATPRE", FieldType::String, 1},
      {"VRFATPRECLIE", FieldType::Float, 0},
      {"DTVALINI", FieldType::DateTime, 0}});
  packet->reserve(static_cast<std::size_t>(rows));
  for (int i = 1; i <= rows; ++i) {
    std::string order = std::to_string(i);
    packet->appendString(std::string(order.size() < 3 ? 3 - order.size() : 0, '0') + order);
    packet->appendString("F" + std::to_string(i % 1000));
    packet->appendString(kCodes[i % 3]);
    packet->appendFloat(i * 1.5);
    packet->appendDateTime(EncodeDate(2026, 1 + i % 12, 1));
    packet->endRow();
  }
  return packet;
}

// A grid over formula-like rows: the order column is typed only on new rows, the
// factor has an ellipsis button, the determination a pick list shown as texts, the
// date a mask. Posting refuses a value not above zero; a check box makes the data
// source cancel every insert from its state handler.
class TfrmGrade : public TForm {
 public:
  TfrmGrade(TComponent* owner, int rows) : TForm(owner) {
    SetName("frmGrade");
    SetCaption("Grade de Teste");
    SetFormStyle(fsMDIChild);
    SetBounds(40, 40, 620, 420);
    KeyPreview = true;

    cds = new TClientDataSet(this);
    cds->SetName("cdsGrade");
    auto& ordem = cds->AddField<TStringField>("NRORDEMFAT", 3);
    ordem.SetDisplayLabel("Ordem");
    cds->AddField<TStringField>("SGFATPRECO", 4).SetDisplayLabel("Fator");
    auto& det = cds->AddField<TStringField>("IDDETFATPRE", 1);
    det.SetDisplayLabel("Determinação");
    auto& valor = cds->AddField<TFloatField>("VRFATPRECLIE");
    valor.SetDisplayLabel("Valor");
    valor.SetDisplayFormat("#,###0.000");
    auto& data = cds->AddField<TDateTimeField>("DTVALINI");
    data.SetDisplayLabel("Início");
    data.SetEditMask("!99/99/9999;1;_");
    det.OnGetText = [](TField& f, std::string& text, bool) {
      for (int i = 0; i < 3; ++i)
        if (f.AsString() == kCodes[i]) text = kTexts[i];
    };
    det.OnSetText = [](TField& f, const std::string& text) {
      for (int i = 0; i < 3; ++i)
        if (text == kTexts[i]) f.SetAsString(kCodes[i]);
    };
    cds->BeforePost = [this](TDataSet& ds) {
      if (ds.FieldByName("VRFATPRECLIE").AsFloat() <= 0) {
        ds.FieldByName("VRFATPRECLIE").FocusControl();
        MessageDlg("Valor deve ser maior que zero.", mtError, {mbOK}, 0);
        Abort();
      }
    };
    cds->AfterPost = [this](TDataSet&) { Log(lblLog, "AfterPost"); };
    cds->AfterDelete = [this](TDataSet&) { Log(lblLog, "AfterDelete"); };
    cds->AfterCancel = [this](TDataSet&) { Log(lblLog, "AfterCancel"); };

    dts = new TDataSource(this);
    dts->SetName("dtsGrade");
    dts->SetDataSet(cds);
    dts->OnStateChange = [this](TDataSource&) {
      if (chkSemInclusao->Checked() && cds->State() == dsInsert) cds->Cancel();
    };

    lblLog = new TLabel(this);
    lblLog->SetName("lblLog");
    lblLog->SetParent(this);
    lblLog->SetBounds(8, 380, 600, 13);
    chkSemInclusao = new TCheckBox(this);
    chkSemInclusao->SetName("chkSemInclusao");
    chkSemInclusao->SetParent(this);
    chkSemInclusao->SetCaption("Sem inclusão");
    chkSemInclusao->SetBounds(8, 350, 120, 17);

    dbgGrade = new TDBGrid(this);
    dbgGrade->SetName("dbgGrade");
    dbgGrade->SetParent(this);
    dbgGrade->SetBounds(8, 8, 600, 300);
    dbgGrade->SetColor(clInfoBk);
    dbgGrade->SetDataSource(dts);
    auto addColumn = [this](const char* field, int width) -> TColumn& {
      TColumn& c = dbgGrade->Columns.Add();
      c.FieldName = field;
      c.Width = width;
      return c;
    };
    addColumn("NRORDEMFAT", 41);
    addColumn("SGFATPRECO", 38).ButtonStyle = cbsEllipsis;
    addColumn("IDDETFATPRE", 85).PickList = {"Moeda", "Número", "Percentual"};
    addColumn("VRFATPRECLIE", 56).TitleAlignment = taRightJustify;
    addColumn("DTVALINI", 78);
    dbgGrade->OnColEnter = [this](TObject*) { Log(lblLog, "ColEnter." + std::to_string(dbgGrade->SelectedIndex())); };
    dbgGrade->OnColExit = [this](TObject*) { Log(lblLog, "ColExit." + std::to_string(dbgGrade->SelectedIndex())); };
    dbgGrade->OnEditButtonClick = [this](TObject*) {
      if (MessageDlg("Escolher o fator ABC?", mtConfirmation, {mbYes, mbNo}, 0) != mrYes) return;
      if (!cds->IsEditing()) cds->Edit();
      cds->FieldByName("SGFATPRECO").SetAsString("ABC");
    };

    dbnGrade = new TDBNavigator(this);
    dbnGrade->SetName("dbnGrade");
    dbnGrade->SetParent(this);
    dbnGrade->SetBounds(8, 315, 240, 25);
    dbnGrade->SetDataSource(dts);
    dbtFator = new TDBText(this);
    dbtFator->SetName("dbtFator");
    dbtFator->SetParent(this);
    dbtFator->SetBounds(260, 315, 100, 17);
    dbtFator->SetDataSource(dts);
    dbtFator->DataField = "SGFATPRECO";

    cds->SetData(makeRows(rows));
    SetActiveControl(dbgGrade);
  }

  TClientDataSet* cds;
  TDataSource* dts;
  TDBGrid* dbgGrade;
  TDBNavigator* dbnGrade;
  TDBText* dbtFator;
  TLabel* lblLog;
  TCheckBox* chkSemInclusao;
};

}  // namespace

void ShowGridForm(int rows) {
  if (TCustomForm* open = Screen().FindWindow("frmGrade")) open->Release();
  auto* form = NewForm<TfrmGrade>(&Application(), rows);
  form->Show();
}

}  // namespace testmodule
