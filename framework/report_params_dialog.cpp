#include "framework/report_params_dialog.h"

#include <charconv>
#include <memory>

#include "contracts/framework/dateeditplus.h"
#include "framework/local_time.h"
#include "framework/report_parameters.h"
#include "platform/core/exceptions.h"
#include "platform/text/ascii_text.h"
#include "platform/text/date_time.h"
#include "platform/text/float_format.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/edit.h"
#include "platform/ui/form.h"
#include "platform/ui/screen.h"
#include "platform/ui/std_controls.h"

namespace framework::report {

namespace {

constexpr int kWidth = 400;
constexpr int kRowHeight = 28;
constexpr int kEntryLeft = 176;
constexpr int kEntryWidth = 200;

// An entry the person left wrong: the message and the control to focus.
struct BadEntry {
  std::string message;
  platform::TControl* control;
};

class ParamsDialog : public platform::TForm {
 public:
  ParamsDialog(platform::TComponent* owner, const std::vector<const Parameter*>& missing) : platform::TForm(owner) {
    SetName("dlgParametros");
    SetCaption("Parâmetros do relatório");
    SetBorderStyle(platform::bsDialog);
    const int height = 24 + static_cast<int>(missing.size()) * kRowHeight + 76;
    SetBounds((platform::Screen().Width() - kWidth) / 2, (platform::Screen().Height() - height) / 2, kWidth, height);
    int top = 12;
    for (const Parameter* param : missing) {
      addRow(*param, top);
      top += kRowHeight;
    }
    auto* ok = platform::NewControl<platform::TButton>(this, this, "btnOK", kWidth - 174, top + 10, 75, 25);
    ok->SetCaption("OK");
    ok->Default = true;
    ok->OnClick = [this](platform::TObject*) { confirm(); };
    auto* cancel = platform::NewControl<platform::TButton>(this, this, "btnCancel", kWidth - 91, top + 10, 75, 25);
    cancel->SetCaption("Cancelar");
    cancel->Cancel = true;
    cancel->ModalResult = platform::mrCancel;
    if (!rows_.empty()) SetActiveControl(rows_.front().entry);
  }

  // The values read on OK.
  const std::vector<std::pair<const Parameter*, platform::Variant>>& Values() const { return values_; }

 private:
  struct Row {
    const Parameter* param;
    platform::TControl* entry;
  };

  void addRow(const Parameter& param, int top) {
    auto* label =
        platform::NewControl<platform::TLabel>(this, this, "lbl" + param.name, 8, top + 4, kEntryLeft - 16, 13);
    label->SetCaption(param.prompt);
    platform::TControl* entry = nullptr;
    if (param.kind == ParamKind::Flag) {
      auto* check =
          platform::NewControl<platform::TCheckBox>(this, this, "chk" + param.name, kEntryLeft, top + 2, kEntryWidth,
                                                    17);
      check->SetCaption(param.prompt);
      entry = check;
    } else if (param.kind == ParamKind::Date) {
      auto* date =
          platform::NewControl<Dateeditplus::TDateEditPlus>(this, this, "edt" + param.name, kEntryLeft, top, 90, 21);
      if (param.todayByDefault) date->SetDate(*platform::TryISOToDateTime(FormatLocalNow("%Y-%m-%d")));
      entry = date;
    } else {
      entry = platform::NewControl<platform::TEdit>(this, this, "edt" + param.name, kEntryLeft, top, kEntryWidth, 21);
    }
    label->FocusControl = entry;
    rows_.push_back(Row{&param, entry});
  }

  void confirm() {
    std::vector<std::pair<const Parameter*, platform::Variant>> values;
    for (const Row& row : rows_) {
      try {
        values.emplace_back(row.param, read(row));
      } catch (const BadEntry& bad) {
        platform::MessageDlg(bad.message, platform::mtError, {platform::mbOK}, 0);
        if (bad.control->CanFocus()) bad.control->SetFocus();
        return;
      }
    }
    values_ = std::move(values);
    SetModalResult(platform::mrOk);
  }

  static platform::Variant read(const Row& row) {
    const Parameter& param = *row.param;
    if (param.kind == ParamKind::Flag)
      return platform::Variant(std::string(static_cast<platform::TCheckBox*>(row.entry)->Checked() ? "T" : ""));
    if (param.kind == ParamKind::Date) {
      auto* edit = static_cast<Dateeditplus::TDateEditPlus*>(row.entry);
      if (edit->IsEmpty()) throw BadEntry{param.prompt + " deve ser informado.", edit};
      try {
        return platform::Variant(edit->GetDate());
      } catch (const platform::EConvertError& e) {
        throw BadEntry{param.prompt + ": " + e.what(), edit};
      }
    }
    const std::string text = static_cast<platform::TEdit*>(row.entry)->Text();
    const std::string_view trimmed = platform::TrimBlanks(text);
    if (param.kind == ParamKind::Text || param.kind == ParamKind::List) return platform::Variant(text);
    if (trimmed.empty()) throw BadEntry{param.prompt + " deve ser informado.", row.entry};
    if (param.kind == ParamKind::Integer) {
      std::int64_t value = 0;
      auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
      if (ec != std::errc() || end != trimmed.data() + trimmed.size())
        throw BadEntry{param.prompt + ": '" + text + "' não é um número inteiro válido.", row.entry};
      if (const std::string fault = RangeFault(param, value); !fault.empty())
        throw BadEntry{param.prompt + ": " + fault, row.entry};
      return platform::Variant(value);
    }
    const std::optional<double> value = platform::TryStrToFloat(trimmed);
    if (!value) throw BadEntry{param.prompt + ": '" + text + "' não é um valor numérico válido.", row.entry};
    return platform::Variant(*value);
  }

  std::vector<Row> rows_;
  std::vector<std::pair<const Parameter*, platform::Variant>> values_;
};

}  // namespace

bool AskParameters(const std::vector<const Parameter*>& missing, platform::TParams& params) {
  std::unique_ptr<ParamsDialog> dialog(platform::NewForm<ParamsDialog>(&platform::Application(), missing));
  if (dialog->ShowModal() != platform::mrOk) return false;
  for (const auto& [param, value] : dialog->Values()) params.ParamByName(param->name).SetValue(value);
  return true;
}

}  // namespace framework::report
