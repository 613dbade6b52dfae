// The routine base screen: modal, closed by its close button, keys seen by the screen
// first, Enter as next field, release with the unit told.
#include "contracts/framework/frmrotgeral.h"

#include <gtest/gtest.h>

#include "platform/ui/edit.h"
#include "platform/ui/screen.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/user_input.h"
#include "tests/framework/ui_steps.h"

namespace {

using testsupport::ClickIn;
using testsupport::ModalScript;

class TfrmRotina : public Frmrotgeral::TfrmRotiGeral {
 public:
  TfrmRotina(platform::TComponent* owner, std::vector<std::string>& log) : Frmrotgeral::TfrmRotiGeral(owner), log_(log) {
    SetName("frmRotina");
    SetCaption("Rotina de Teste");
    edtA = AddEdit("edtA", 8);
    edtB = AddEdit("edtB", 40);
    edtA->OnKeyDown = [this](platform::TObject*, std::uint16_t& key, platform::TShiftState) {
      log_.push_back("edtA.KeyDown " + std::to_string(key));
    };
  }
  platform::TEdit* edtA;
  platform::TEdit* edtB;

  void FormActivate(platform::TObject* Sender) override {
    TfrmRotiGeral::FormActivate(Sender);
    log_.push_back("FormActivate");
    edtA->SetFocus();
  }
  void FormKeyDown(platform::TObject* Sender, std::uint16_t& Key, platform::TShiftState Shift) override {
    TfrmRotiGeral::FormKeyDown(Sender, Key, Shift);
    log_.push_back("FormKeyDown " + std::to_string(Key));
  }
  void FormClose(platform::TObject* Sender, platform::TCloseAction& Action) override {
    log_.push_back("FormClose");
    TfrmRotiGeral::FormClose(Sender, Action);
  }
  void sbtConfirmaClick(platform::TObject*) override { log_.push_back("sbtConfirmaClick"); }

 private:
  platform::TEdit* AddEdit(const std::string& name, int top) {
    auto* edit = new platform::TEdit(this);
    edit->SetName(name);
    edit->SetParent(grbDadosRel);
    edit->SetBounds(8, top, 120, 21);
    return edit;
  }
  std::vector<std::string>& log_;
};

class RoutineBaseScreen : public testsupport::UiTest {
 protected:
  TfrmRotina* create() {
    auto* frm = platform::NewForm<TfrmRotina>(&platform::Application(), log);
    frm->OnRelease = [this] { ++released; };
    return frm;
  }
  std::vector<std::string> log;
  int released = 0;
};

TEST_F(RoutineBaseScreen, ModalUntilTheCloseButtonThenReleased) {
  TfrmRotina* frm = create();
  nlohmann::json window;
  ModalScript script({fwtest::Do([&] { window = platform::SnapshotState()["windows"].back(); }),
                      ClickIn("frmRotina", "sbtCancel")});
  frm->ShowModal();
  EXPECT_TRUE(window["modal"].get<bool>());
  for (const char* name : {"grbDadosRel", "panMenu"}) {
    bool found = false;
    for (const auto& control : window["controls"]) found = found || control["name"] == name;
    EXPECT_TRUE(found) << name;
  }
  for (const char* name : {"lblCodTela", "panHelp", "sbtHelp", "panBotoes", "sbtCancel", "sbtConfirma"})
    EXPECT_NE(frm->FindByName(name), nullptr) << name;
  EXPECT_EQ(log, (std::vector<std::string>{"FormActivate", "FormClose"}));
  EXPECT_EQ(released, 0);
  platform::Application().ProcessMessages();
  EXPECT_EQ(released, 1);
}

TEST_F(RoutineBaseScreen, ScreenSeesKeysBeforeTheFocusedControl) {
  TfrmRotina* frm = create();
  ModalScript script({fwtest::KeyStep(platform::VK_F2), ClickIn("frmRotina", "sbtCancel")});
  frm->ShowModal();
  const std::vector<std::string> expected{"FormActivate", "FormKeyDown 113", "edtA.KeyDown 113", "FormClose"};
  EXPECT_EQ(log, expected);
}

TEST_F(RoutineBaseScreen, EnterMovesToTheNextFieldUnlessSwitchedOff) {
  TfrmRotina* frm = create();
  std::string afterEnter;
  std::string afterSwitchOff;
  ModalScript script({fwtest::KeyStep(platform::VK_RETURN),
                      fwtest::Do([&] { afterEnter = frm->ActiveControl()->Name(); }),
                      fwtest::Do([&] {
                        frm->OnKeyPress = nullptr;
                        frm->edtA->SetFocus();
                      }),
                      fwtest::KeyStep(platform::VK_RETURN),
                      fwtest::Do([&] { afterSwitchOff = frm->ActiveControl()->Name(); }),
                      ClickIn("frmRotina", "sbtCancel")});
  frm->ShowModal();
  EXPECT_EQ(afterEnter, "edtB");
  EXPECT_EQ(afterSwitchOff, "edtA");
}

TEST_F(RoutineBaseScreen, ConfirmButtonReachesTheScreensHandler) {
  TfrmRotina* frm = create();
  ModalScript script({ClickIn("frmRotina", "sbtConfirma"), ClickIn("frmRotina", "sbtCancel")});
  frm->ShowModal();
  EXPECT_NE(std::find(log.begin(), log.end(), "sbtConfirmaClick"), log.end());
}

TEST_F(RoutineBaseScreen, CloseBoxClosesLikeTheButton) {
  TfrmRotina* frm = create();
  ModalScript script({fwtest::Do([&] { platform::CloseWindow(frm); })});
  frm->ShowModal();
  EXPECT_EQ(log.back(), "FormClose");
  platform::Application().ProcessMessages();
  EXPECT_EQ(released, 1);
}

}  // namespace
