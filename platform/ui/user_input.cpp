#include "platform/ui/user_input.h"

#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/form.h"
#include "platform/ui/menus.h"
#include "platform/ui/screen.h"

namespace platform {

void CloseOpenMenus() {
  for (TCustomForm* form : Screen().Forms())
    if (TMainMenu* menu = form->Menu()) menu->SetOpenItem(nullptr);
}

static void bringForward(TControl* control) {
  TCustomForm* form = control->ParentForm();
  if (form && !form->Active() && form->Visible()) form->BringToFront();
}

void FocusControlByUser(TControl* control) {
  CloseOpenMenus();
  bringForward(control);
  if (!control->Focused()) control->SetFocus();
}

void ClickControl(TControl* control) {
  CloseOpenMenus();
  bringForward(control);
  if (control->Focusable()) {
    if (!control->Focused()) control->SetFocus();
    if (!control->Focused()) return;
  }
  control->Click();
}

void ClickMenuItem(TMenuItem* item) {
  CloseOpenMenus();
  item->Click();
}

void CloseWindow(TCustomForm* form) {
  CloseOpenMenus();
  form->Close();
}

// The smallest window a person can drag: its title bar, its menu and a little room.
static constexpr int kMinWindowWidth = 120;
static constexpr int kMinWindowHeight = 60;

void SetWindowBoundsByUser(TCustomForm* form, int left, int top, int width, int height) {
  CloseOpenMenus();
  form->SetBounds(left, top, std::max(width, kMinWindowWidth), std::max(height, kMinWindowHeight));
}

void SetWindowStateByUser(TCustomForm* form, TWindowState state) {
  CloseOpenMenus();
  if (!form->Active() && form->Visible()) form->BringToFront();
  form->SetWindowState(state);
}

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

std::optional<std::string> WindowBoundsRefusal(const TCustomForm* form, int width, int height) {
  if (auto refusal = windowRefusal(form)) return refusal;
  if (form->WindowState() == wsMaximized) return "A janela " + form->Name() + " está maximizada.";
  const bool resized = width != form->Width() || height != form->Height();
  if (resized && !form->Sizeable()) return "A janela " + form->Name() + " não pode ser redimensionada.";
  return std::nullopt;
}

std::optional<std::string> WindowStateRefusal(const TCustomForm* form, TWindowState state) {
  if (auto refusal = windowRefusal(form)) return refusal;
  if (state == wsMaximized && !form->Sizeable()) return "A janela " + form->Name() + " não pode ser maximizada.";
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
