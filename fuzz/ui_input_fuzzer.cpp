// The UI protocol's input messages as a browser or a script could send them: each
// line of the input one JSON message, applied to a live screen of the usual controls
// (edits, a masked date, a combo box, a check box, a button, a data grid with a pick
// list and an ellipsis, a navigator, a menu). A message is applied or refused with a
// text; nothing crashes, and the screen stays consistent for the next one. Modal
// windows the inputs open are cancelled as soon as they wait.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

#include <nlohmann/json.hpp>

#include "host/input_dispatcher.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/db_controls.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/edit.h"
#include "platform/ui/form.h"
#include "platform/ui/mask_edit.h"
#include "platform/ui/menus.h"
#include "platform/ui/screen.h"

using namespace platform;

namespace {

struct FuzzForm : TForm {
  explicit FuzzForm(TComponent* owner) : TForm(owner) {
    SetName("frmFuzz");
    add<TEdit>("edtNome");
    add<TMaskEdit>("medData")->SetEditMask("!99/99/9999;1;_");
    add<TComboBox>("cbbTipo")->Items = {"Percentual", "Número", "Moeda"};
    add<TCheckBox>("chkTodos");
    add<TButton>("btnOk");
    auto* cds = new TClientDataSet(this);
    cds->AddField<TStringField>("CODE", 3);
    cds->AddField<TFloatField>("VALOR").SetDisplayFormat("###,#0.000");
    cds->AddField<TDateTimeField>("DATA").SetEditMask("!99/99/9999;1;_");
    auto packet = std::make_shared<DataPacket>(std::vector<ColumnDef>{
        {"CODE", FieldType::String, 3}, {"VALOR", FieldType::Float, 0}, {"DATA", FieldType::DateTime, 0}});
    for (int row = 0; row < 30; ++row)
      packet->appendRow({Variant(std::to_string(100 + row)), Variant(1.5 * row), Variant::Null()});
    cds->SetData(Variant(std::shared_ptr<const DataPacket>(packet)));
    auto* dts = new TDataSource(this);
    dts->SetDataSet(cds);
    auto* grid = add<TDBGrid>("dbgGrade");
    grid->SetBounds(0, 0, 400, 200);
    grid->SetDataSource(dts);
    for (const char* field : {"CODE", "VALOR", "DATA"}) grid->Columns.Add().FieldName = field;
    grid->Columns[0].ButtonStyle = cbsEllipsis;
    grid->Columns[1].PickList = {"1,000", "2,500"};
    add<TDBNavigator>("dbnGrade")->SetDataSource(dts);
    auto* menu = new TMainMenu(this);
    auto* item = new TMenuItem(this);
    item->SetName("mnuAbrir");
    item->Caption = "&Abrir";
    menu->Items()->Add(item);
    SetMenu(menu);
  }
  template <class T>
  T* add(const char* name) {
    auto* control = new T(this);
    control->SetName(name);
    control->SetParent(this);
    return control;
  }
};

void CloseEveryForm() {
  Application().ProcessMessages();
  std::vector<TCustomForm*> forms = Screen().Forms();
  for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
    const auto& alive = Screen().Forms();
    if (std::find(alive.begin(), alive.end(), *it) != alive.end()) delete *it;
  }
}

int Setup() {
  Application().OnShowError = [](const std::string&) {};
  Application().AddPresenter([](bool idle) {
    if (!idle || Application().ModalDepth() == 0) return;
    Application().PostInput([] {
      if (TCustomForm* modal = Screen().TopModal()) modal->SetModalResult(mrCancel);
    });
  });
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int ready = Setup();
  (void)ready;
  auto* form = NewForm<FuzzForm>(&Application());
  form->Show();
  std::string_view lines(reinterpret_cast<const char*>(data), size);
  while (!lines.empty()) {
    const std::size_t end = std::min(lines.find('\n'), lines.size());
    const std::string_view line = lines.substr(0, end);
    lines.remove_prefix(std::min(end + 1, lines.size()));
    nlohmann::json message = nlohmann::json::parse(line, nullptr, false);
    if (message.is_discarded()) continue;
    try {
      host::DispatchInput(message);
    } catch (const std::exception&) {
      // Refused, or raised by the program's handlers: the input loop shows these.
    }
  }
  CloseEveryForm();
  return 0;
}
