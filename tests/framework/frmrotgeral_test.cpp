// The routine base screen: modal, closed by its close button, keys seen by the screen
// first, Enter as next field, release with the unit told.
#include "contracts/framework/frmrotgeral.h"

#include <gtest/gtest.h>

#include "contracts/framework/consiste.h"
#include "platform/ui/animate.h"
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

// The wait panel of a long call: up and playing, repainted, while the call blocks;
// away after it on every path; a server text with "@" reaches the person as its
// catalog text, any other error unchanged.
TEST_F(RoutineBaseScreen, WaitPanelShowsDuringTheCallAndTheAtRuleTranslatesItsFailure) {
  struct TfrmEspera : TfrmRotina {
    using TfrmRotina::TfrmRotina;
    using TfrmRotina::RunBehindWaitPanel;
  };
  auto* frm = platform::NewForm<TfrmEspera>(&platform::Application(), log);
  frm->msgPadrao->Add("@PrecoZerNeg", "Operação Cancelada.");
  auto* panel = new platform::TPanel(frm);
  panel->SetParent(frm->grbDadosRel);
  panel->SetVisible(false);
  auto* animation = new platform::TAnimate(frm);
  animation->SetParent(panel);
  int pushed = 0;
  const int presenter = platform::Application().AddPresenter([&](bool idle) { pushed += idle ? 0 : 1; });
  bool shownDuring = false;
  frm->RunBehindWaitPanel(*panel, *animation, [&] { shownDuring = panel->Visible() && animation->Active && pushed == 1; });
  EXPECT_TRUE(shownDuring) << "shown, playing and pushed to the screen before the call";
  EXPECT_FALSE(panel->Visible());
  EXPECT_FALSE(animation->Active);
  EXPECT_EQ(pushed, 2);

  try {
    frm->RunBehindWaitPanel(*panel, *animation, [] { throw Consiste::EServerRefusal("@PrecoZerNeg"); });
    ADD_FAILURE() << "no exception";
  } catch (const Consiste::EServerRefusal& e) {
    EXPECT_STREQ(e.what(), "Operação Cancelada.");
  }
  EXPECT_FALSE(panel->Visible());
  EXPECT_FALSE(animation->Active);
  EXPECT_THROW(frm->RunBehindWaitPanel(*panel, *animation, [] { throw platform::EAbort(); }), platform::EAbort);
  try {
    frm->RunBehindWaitPanel(*panel, *animation, [] { throw std::runtime_error("Conexão perdida."); });
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Conexão perdida.") << "no @: unchanged, of its own kind";
  }
  EXPECT_FALSE(panel->Visible());
  platform::Application().RemovePresenter(presenter);
}

// Opening a routine screen: the hourglass while it is made ready; a failure frees the
// screen never shown and leaves the default cursor.
TEST_F(RoutineBaseScreen, OpenModalPreparesUnderTheHourglassAndFreesAScreenThatFailed) {
  struct TfrmPronta : Frmrotgeral::TfrmRotiGeral {
    explicit TfrmPronta(platform::TComponent* owner) : TfrmRotiGeral(owner) { SetName("frmPronta"); }
  };
  platform::TCursor during = platform::crDefault;
  int released = 0;
  EXPECT_THROW(Frmrotgeral::OpenModal<TfrmPronta>([&](TfrmPronta& screen) {
                 screen.OnRelease = [&] { ++released; };
                 during = platform::Screen().Cursor();
                 throw platform::Exception("Servidor indisponível.");
               }),
               platform::Exception);
  EXPECT_EQ(during, platform::crHourGlass);
  EXPECT_EQ(released, 1) << "freed at once, never shown";
  EXPECT_EQ(platform::Screen().Cursor(), platform::crDefault);
  EXPECT_EQ(platform::Screen().FindWindow("frmPronta"), nullptr);

  bool modal = false;
  ModalScript script({fwtest::Do([&] { modal = platform::Screen().FindWindow("frmPronta")->Modal(); }),
                      ClickIn("frmPronta", "sbtCancel")});
  Frmrotgeral::OpenModal<TfrmPronta>([](TfrmPronta&) {});
  EXPECT_TRUE(modal);
  EXPECT_EQ(platform::Screen().Cursor(), platform::crDefault);
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
