#include "platform/ui/keyboard.h"

#include <vector>

#include "platform/text/float_format.h"
#include "platform/ui/accelerator.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/menus.h"
#include "platform/ui/screen.h"
#include "platform/ui/std_controls.h"

namespace platform {

constexpr std::uint16_t kVkF10 = 121;

static bool altOnly(TShiftState shift) { return shift.Contains(ssAlt) && !shift.Contains(ssCtrl); }

// The menus an MDI child's keys reach, as one bar: the child's own, then its frame's.
// F10 opens the frame's first menu; Alt+letter shared by a top-level item of each bar
// goes from the open one to the other, so the child's menu never hides the frame's.
static bool menuTakesKey(TCustomForm* form, std::uint16_t key, TShiftState shift) {
  TMainMenu* own = form->Menu();
  TCustomForm* frame = form->FormStyle() == fsMDIChild ? Application().MainForm() : nullptr;
  TMainMenu* frameMenu = frame && frame != form ? frame->Menu() : nullptr;
  const bool ownOpen = own && own->OpenItem();
  const bool frameOpen = frameMenu && frameMenu->OpenItem();
  if (key == kVkF10 && shift.Empty() && !ownOpen && !frameOpen) {
    if (TMainMenu* bar = frameMenu ? frameMenu : own) {
      bar->OpenFirst();
      return true;
    }
    return false;
  }
  if (altOnly(shift) && own && frameMenu && (ownOpen || frameOpen)) {
    TMainMenu* open = ownOpen ? own : frameMenu;
    TMainMenu* other = ownOpen ? frameMenu : own;
    const TMenuItem* top = open->OpenItem();
    if (top->Parent() == open->Items() && top->Accelerator() == static_cast<char32_t>(key) &&
        other->HasAccelerator(key)) {
      open->SetOpenItem(nullptr);
      return other->HandleKey(key, shift);
    }
  }
  if (own && own->HandleKey(key, shift)) return true;
  return frameMenu && frameMenu->HandleKey(key, shift);
}

// Controls that never take characters, so a plain letter on them is a mnemonic.
static bool takesNoCharacters(const TControl* control) {
  return dynamic_cast<const TButton*>(control) || dynamic_cast<const TCheckControl*>(control);
}

// What a control's accelerator does: a label focuses its FocusControl; a button,
// check control or flat button takes the focus when it can and is clicked.
static bool runMnemonic(TControl* control) {
  if (auto* label = dynamic_cast<TLabel*>(control)) {
    if (!label->FocusControl || !label->FocusControl->CanFocus()) return false;
    label->FocusControl->SetFocus();
    return true;
  }
  if (!takesNoCharacters(control) && !dynamic_cast<TSpeedButton*>(control)) return false;
  if (control->CanFocus()) {
    control->SetFocus();
    if (!control->Focused()) return true;  // an exit handler kept the focus: no click
  }
  control->Click();
  return true;
}

// Alt+letter, or a plain letter on a button, runs the control whose caption has that
// accelerator; true when one did.
static bool controlMnemonic(TCustomForm* form, TControl* target, std::uint16_t key, TShiftState shift) {
  if (!altOnly(shift) && !(shift.Empty() && takesNoCharacters(target))) return false;
  std::vector<TControl*> controls;
  form->GetTabOrderList(controls);
  for (TControl* c : controls)
    if (c->Showing() && c->EffectiveEnabled() && IsAcceleratorKey(c->Caption(), key) && runMnemonic(c))
      return true;
  return false;
}

// The search key: Alt+Down in a control that a search button serves clicks that button.
static bool searchKey(TCustomForm* form, TControl* target, std::uint16_t key, TShiftState shift) {
  if (key != kSearchKey || !altOnly(shift) || shift.Contains(ssShift) || !target) return false;
  std::vector<TControl*> controls;
  form->GetTabOrderList(controls);
  for (TControl* c : controls)
    if (c->ServedControl() == target && c->Showing() && c->EffectiveEnabled()) {
      c->Click();
      return true;
    }
  return false;
}

// Tab, Enter, Escape, the search key and accelerators the focused control leaves to the
// form; true when used. Ctrl+Tab leaves even a control that keeps Tab for itself.
static bool formNavigation(TCustomForm* form, TControl* target, std::uint16_t key,
                           TShiftState shift) {
  if (key == VK_TAB && !shift.Contains(ssAlt) && (shift.Contains(ssCtrl) || !target || !target->WantsKey(key, shift))) {
    form->SelectNext(target, !shift.Contains(ssShift));
    return true;
  }
  if (searchKey(form, target, key, shift) || controlMnemonic(form, target, key, shift)) return true;
  if (target && target->WantsKey(key, shift)) return false;
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
    if (TControl* c = form->CancelControl; c && c->Showing() && c->EffectiveEnabled()) {
      c->Click();
      return true;
    }
  }
  return false;
}

void DispatchKey(std::uint16_t vk, TShiftState shift, std::optional<char32_t> ch) {
  TCustomForm* form = Screen().ActiveForm();
  if (!form) return;
  // The keypad's decimal key types the locale's separator, whatever the keyboard says.
  if (vk == VK_DECIMAL && ch && (*ch == U'.' || *ch == U',')) ch = static_cast<char32_t>(kDecimalSeparator);
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
