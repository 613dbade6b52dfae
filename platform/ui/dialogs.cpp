#include "platform/ui/dialogs.h"

#include <algorithm>
#include <memory>

#include <nlohmann/json.hpp>

#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/screen.h"
#include "platform/ui/std_controls.h"

namespace platform {

const char* DlgTypeName(TMsgDlgType type) noexcept {
  switch (type) {
    case mtWarning: return "warning";
    case mtError: return "error";
    case mtInformation: return "information";
    case mtConfirmation: return "confirmation";
    default: return "custom";
  }
}

static const char* captionOf(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return "Aviso";
    case mtError: return "Erro";
    case mtInformation: return "Informação";
    case mtConfirmation: return "Confirmação";
    default: return "Mensagem";
  }
}

struct ButtonSpec {
  TMsgDlgBtn button;
  const char* name;
  const char* caption;
  TModalResult result;
};

static constexpr ButtonSpec kButtons[] = {
    {mbYes, "btnYes", "&Sim", mrYes},          {mbNo, "btnNo", "&Não", mrNo},
    {mbOK, "btnOK", "OK", mrOk},               {mbCancel, "btnCancel", "Cancelar", mrCancel},
    {mbAbort, "btnAbort", "&Abortar", mrAbort}, {mbRetry, "btnRetry", "&Repetir", mrRetry},
    {mbIgnore, "btnIgnore", "&Ignorar", mrIgnore},
};

TMessageForm::TMessageForm(TComponent* owner, std::string text, TMsgDlgType type,
                           TMsgDlgButtons buttons)
    : TForm(owner), text_(std::move(text)), type_(type) {
  SetName("dlgMessage");
  SetWindowKind("message");
  SetCaption(captionOf(type));
  SetBorderStyle(bsDialog);
  if (buttons.Empty()) buttons << mbOK;
  int count = 0;
  for (const ButtonSpec& entry : kButtons) count += buttons.Contains(entry.button) ? 1 : 0;
  int width = std::max(300, count * 83 + 16);
  int height = 130;
  SetBounds((Screen().Width() - width) / 2, (Screen().Height() - height) / 2, width, height);

  auto* label = new TLabel(this);
  label->SetName("lblMessage");
  label->SetParent(this);
  label->SetCaption(text_);
  label->SetBounds(16, 16, width - 32, 50);

  TButton* defaultButton = nullptr;
  TButton* cancelButton = nullptr;
  TButton* byKind[7] = {};
  int left = (width - count * 83) / 2;
  for (const ButtonSpec& entry : kButtons) {
    if (!buttons.Contains(entry.button)) continue;
    auto* b = new TButton(this);
    b->SetName(entry.name);
    b->SetParent(this);
    b->SetCaption(entry.caption);
    b->ModalResult = entry.result;
    b->SetBounds(left, height - 40, 75, 25);
    left += 83;
    byKind[entry.button] = b;
  }
  defaultButton = byKind[mbOK] ? byKind[mbOK] : byKind[mbYes];
  cancelButton = byKind[mbCancel] ? byKind[mbCancel] : byKind[mbNo] ? byKind[mbNo] : byKind[mbOK];
  if (!defaultButton)
    for (TButton* b : byKind)
      if (b && !defaultButton) defaultButton = b;
  if (defaultButton) {
    defaultButton->Default = true;
    SetActiveControl(defaultButton);
  }
  if (cancelButton) cancelButton->Cancel = true;
}

void TMessageForm::WriteFields(nlohmann::json& out) const {
  TForm::WriteFields(out);
  out["dlgType"] = DlgTypeName(type_);
  out["text"] = text_;
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int) {
  std::unique_ptr<TMessageForm> box(new TMessageForm(&Application(), text, type, buttons));
  return box->ShowModal();
}

void ShowMessage(const std::string& text) { MessageDlg(text, mtInformation, {mbOK}, 0); }

}  // namespace platform
