#include "framework/export_choice_dialog.h"

#include <memory>

#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/screen.h"
#include "platform/ui/std_controls.h"

namespace framework {

namespace {

constexpr int kWidth = 330;
constexpr int kHeight = 150;
constexpr platform::TModalResult kXlsx = platform::mrYes;
constexpr platform::TModalResult kCsv = platform::mrNo;

class ExportChoice : public platform::TForm {
 public:
  explicit ExportChoice(platform::TComponent* owner) : platform::TForm(owner) {
    SetName("dlgExportar");
    SetCaption("Exportar planilha");
    SetBorderStyle(platform::bsDialog);
    SetBounds((platform::Screen().Width() - kWidth) / 2, (platform::Screen().Height() - kHeight) / 2, kWidth, kHeight);
    auto* prompt = platform::NewControl<platform::TLabel>(this, this, "lblFormato", 12, 10, kWidth - 24, 13);
    prompt->SetCaption("Escolha o formato da planilha:");
    auto* xlsx = platform::NewControl<platform::TButton>(this, this, "btnXlsx", 12, 30, kWidth - 24, 25);
    xlsx->SetCaption("Planilha (XLSX)");
    xlsx->Default = true;
    xlsx->ModalResult = kXlsx;
    auto* csv = platform::NewControl<platform::TButton>(this, this, "btnCsv", 12, 60, kWidth - 24, 25);
    csv->SetCaption("Texto separado por ponto e vírgula (CSV)");
    csv->ModalResult = kCsv;
    auto* cancel = platform::NewControl<platform::TButton>(this, this, "btnCancel", kWidth - 87, 92, 75, 25);
    cancel->SetCaption("Cancelar");
    cancel->Cancel = true;
    cancel->ModalResult = platform::mrCancel;
    SetActiveControl(xlsx);
  }
};

}  // namespace

std::optional<Qrddlgs::TReportOutput> ChooseExportFormat() {
  std::unique_ptr<ExportChoice> dialog(platform::NewForm<ExportChoice>(&platform::Application()));
  const platform::TModalResult result = dialog->ShowModal();
  if (result == kXlsx) return Qrddlgs::roXLSX;
  if (result == kCsv) return Qrddlgs::roCSV;
  return std::nullopt;
}

}  // namespace framework
