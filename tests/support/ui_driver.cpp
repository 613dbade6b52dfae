#include "tests/support/ui_driver.h"

#include "platform/ui/dialogs.h"
#include "platform/ui/user_input.h"

namespace testsupport {

using namespace platform;

void UiTest::TearDown() {
  Application().ProcessMessages();
  std::vector<TCustomForm*> forms = Screen().Forms();
  for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
    const auto& alive = Screen().Forms();
    if (std::find(alive.begin(), alive.end(), *it) != alive.end()) delete *it;
  }
  Application().SetMainForm(nullptr);
  Screen().SetCursor(crDefault);
  Application().SetWaitKind(std::nullopt);
  Application().OnShowError = nullptr;
}

ModalScript::ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
  presenter_ = Application().AddPresenter([this](bool idle) {
    if (!idle || Application().ModalDepth() == 0) return;
    TCustomForm* top = Screen().ActiveForm();
    seen_.push_back(top ? top->Name() : "");
    if (next_ < steps_.size()) {
      Application().PostInput(steps_[next_++]);
      return;
    }
    ADD_FAILURE() << "modal window " << (top ? top->Name() : "?") << " waited with no answer scripted";
    Application().PostInput([] {
      if (TCustomForm* modal = Screen().TopModal()) modal->SetModalResult(mrCancel);
    });
  });
}

ModalScript::~ModalScript() { Application().RemovePresenter(presenter_); }

ModalScript::Step ClickIn(const std::string& window, const std::string& name) {
  return [window, name] {
    TCustomForm* form = Screen().FindWindow(window);
    if (!form) {
      ADD_FAILURE() << "no window " << window;
      return;
    }
    auto* control = dynamic_cast<TControl*>(form->FindByName(name));
    if (!control) {
      ADD_FAILURE() << "no control " << window << "." << name;
      return;
    }
    ClickControl(control);
  };
}

std::string TopMessageText() {
  auto* box = dynamic_cast<TMessageForm*>(Screen().ActiveForm());
  return box ? box->Text() : std::string();
}

}  // namespace testsupport
