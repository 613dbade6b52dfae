#include "platform/ui/keyboard.h"

#include <cwctype>

#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/menus.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"

namespace platform {

static bool menuTakesKey(TCustomForm* form, std::uint16_t key, TShiftState shift) {
  if (TMainMenu* menu = form->Menu(); menu && menu->HandleKey(key, shift)) return true;
  if (form->FormStyle() != fsMDIChild) return false;
  TCustomForm* frame = Application().MainForm();
  TMainMenu* frameMenu = frame ? frame->Menu() : nullptr;
  return frameMenu && frameMenu->HandleKey(key, shift);
}

// Tab, Enter and Escape the focused control leaves to the form; true when used.
static bool formNavigation(TCustomForm* form, TControl* target, std::uint16_t key,
                           TShiftState shift) {
  if (target && target->WantsKey(key, shift)) return false;
  if (key == VK_TAB && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
    form->SelectNext(target, !shift.Contains(ssShift));
    return true;
  }
  if (key == VK_RETURN && shift.Empty()) {
    if (TButton* b = form->DefaultButton()) {
      b->Click();
      return true;
    }
  }
  if (key == VK_ESCAPE && shift.Empty()) {
    if (TButton* b = form->CancelButton()) {
      b->Click();
      return true;
    }
  }
  return false;
}

void DispatchKey(std::uint16_t vk, TShiftState shift, std::optional<char32_t> ch) {
  TCustomForm* form = Screen().ActiveForm();
  if (!form) return;
  std::uint16_t key = vk;
  if (key != 0) {
    if (menuTakesKey(form, key, shift)) return;
    TControl* target = form->ActiveControl();
    if (form->KeyPreview || !target) form->DoKeyDown(key, shift);
    // A preview handler that moved the focus (or removed the control) keeps the key.
    if (target && form->ActiveControl() != target) return;
    if (key != 0 && target) target->DoKeyDown(key, shift);
    if (key != 0 && target && form->ActiveControl() == target) target->DefaultKeyDown(key, shift);
    if (key != 0 && Screen().ActiveForm() == form && formNavigation(form, target, key, shift))
      return;
  }
  if (!ch || *ch == 0 || Screen().ActiveForm() != form) return;
  char32_t c = *ch;
  TControl* target = form->ActiveControl();
  if (form->KeyPreview || !target) form->DoKeyPress(c);
  if (c == 0 || !target || form->ActiveControl() != target) return;
  target->DoKeyPress(c);
  if (c != 0) target->DefaultKeyPress(c);
}

TKeyStroke KeyForChar(char32_t ch) {
  TKeyStroke k;
  if (ch >= U'0' && ch <= U'9') k.vk = static_cast<std::uint16_t>(ch);
  else if (ch >= U'a' && ch <= U'z') k.vk = static_cast<std::uint16_t>(ch - U'a' + U'A');
  else if (ch >= U'A' && ch <= U'Z') {
    k.vk = static_cast<std::uint16_t>(ch);
    k.shift.Include(ssShift);
  } else {
    switch (ch) {
      case U',': k.vk = 188; break;
      case U'-': k.vk = 189; break;
      case U'.': k.vk = 190; break;
      case U'/': k.vk = 191; break;
      case U' ': k.vk = VK_SPACE; break;
      case U'\t': k.vk = VK_TAB; break;
      case U'\r': case U'\n': k.vk = VK_RETURN; break;
      case 8: k.vk = VK_BACK; break;
      case 27: k.vk = VK_ESCAPE; break;
      default: break;
    }
  }
  return k;
}

void TypeText(const std::string& text) {
  for (char32_t ch : Utf8Decode(text)) {
    TKeyStroke k = KeyForChar(ch);
    if (ch == U'\n') ch = U'\r';
    DispatchKey(k.vk, k.shift, ch);
  }
}

}  // namespace platform
