#include "tests/framework/ui_steps.h"

#include <optional>

#include "platform/ui/application.h"

namespace fwtest {

platform::TForm* NewTestForm() {
  platform::TForm* form = platform::NewForm<platform::TForm>(&platform::Application());
  form->SetName("frmTeste");
  return form;
}

void PressKey(std::uint16_t vk, platform::TShiftState shift, char32_t ch) {
  std::optional<char32_t> typed;
  if (ch) typed = ch;
  if (vk == platform::VK_TAB) typed = U'\t';
  if (vk == platform::VK_RETURN) typed = U'\r';
  if (vk == platform::VK_ESCAPE) typed = 27;
  if (vk == platform::VK_BACK) typed = 8;
  if (vk == platform::VK_SPACE) typed = U' ';
  platform::DispatchKey(vk, shift, typed);
}

void Type(const std::string& text) { platform::TypeText(text); }

testsupport::ModalScript::Step KeyStep(std::uint16_t vk, platform::TShiftState shift, char32_t ch) {
  return [=] { PressKey(vk, shift, ch); };
}

testsupport::ModalScript::Step TypeStep(const std::string& text) {
  return [text] { Type(text); };
}

testsupport::ModalScript::Step Do(std::function<void()> action) { return action; }

}  // namespace fwtest
