#include "platform/ui/user_input.h"

#include "platform/core/exceptions.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/form.h"
#include "platform/ui/menus.h"
#include "platform/ui/screen.h"

namespace platform {

static void bringForward(TControl* control) {
  TCustomForm* form = control->ParentForm();
  if (form && !form->Active() && form->Visible()) form->BringToFront();
}

void FocusControlByUser(TControl* control) {
  bringForward(control);
  if (!control->Focused()) control->SetFocus();
}

void ClickControl(TControl* control) {
  bringForward(control);
  if (control->Focusable()) {
    if (!control->Focused()) control->SetFocus();
    if (!control->Focused()) return;
  }
  control->Click();
}

void ClickMenuItem(TMenuItem* item) { item->Click(); }

void CloseWindow(TCustomForm* form) { form->Close(); }

void ChooseComboItem(TComboBox* combo, int index) {
  if (index < 0 || index >= static_cast<int>(combo->Items.size()))
    throw Exception("Item inexistente na lista: " + std::to_string(index) + ".");
  FocusControlByUser(combo);
  if (combo->Focused()) combo->SelectItem(index);
}

static std::optional<std::string> windowRefusal(const TCustomForm* form) {
  if (!form || !form->Visible()) return "A janela não está aberta.";
  if (!Screen().AcceptsInput(form))
    return "A janela " + form->Name() + " está atrás de uma janela modal.";
  return std::nullopt;
}

std::optional<std::string> InputRefusal(const TControl* control) {
  const TCustomForm* form = control->ParentForm();
  if (auto refusal = windowRefusal(form)) return refusal;
  if (control == form) return std::nullopt;
  if (!control->Showing()) return "O controle " + control->Name() + " não está visível.";
  if (!control->EffectiveEnabled()) return "O controle " + control->Name() + " está desabilitado.";
  return std::nullopt;
}

std::optional<std::string> InputRefusal(const TMenuItem* item, const TCustomForm* form) {
  if (auto refusal = windowRefusal(form)) return refusal;
  for (const TMenuItem* i = item; i; i = i->Parent()) {
    if (!i->Visible) return "O item de menu " + item->Name() + " não está visível.";
    if (!i->Enabled) return "O item de menu " + item->Name() + " está desabilitado.";
  }
  return std::nullopt;
}

}  // namespace platform
