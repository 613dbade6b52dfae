#pragma once
// Small helpers for the framework's in-process screen tests: a test form and its
// controls, keys as a keyboard sends them, and modal-script steps built from them.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/form.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/ui_types.h"
#include "tests/support/ui_driver.h"

namespace fwtest {

// A form "frmTeste" owned by the application, for the controls under test.
platform::TForm* NewTestForm();
// A control of kind T named `name` on `form` (owned by it).
template <class T>
T* NewOn(platform::TForm* form, const char* name) {
  auto* control = new T(form);
  control->SetName(name);
  control->SetParent(form);
  return control;
}

// One key press on the active window; Tab, Enter, Escape, Backspace and Space make
// their characters, letters and digits the character given.
void PressKey(std::uint16_t vk, platform::TShiftState shift = {}, char32_t ch = 0);
// Types a text on the active window, key by key.
void Type(const std::string& text);

testsupport::ModalScript::Step KeyStep(std::uint16_t vk, platform::TShiftState shift = {}, char32_t ch = 0);
testsupport::ModalScript::Step TypeStep(const std::string& text);
// A step that runs `action` and then answers nothing (the modal loop goes on).
testsupport::ModalScript::Step Do(std::function<void()> action);

}  // namespace fwtest
