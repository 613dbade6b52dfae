// Focus rules of the toolkit: handler order across nested containers, exit handlers
// that refuse, controls that cannot take the focus, and focus across windows.
#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/ui/buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/edit.h"
#include "platform/ui/std_controls.h"
#include "platform/ui/user_input.h"
#include "tests/support/ui_driver.h"

using namespace platform;

namespace {

struct FocusForm : TForm {
  std::string log;
  TPanel* p1;
  TPanel* p2;
  TPanel* p3;
  TEdit* a;
  TEdit* b;
  TEdit* c;
  explicit FocusForm(TComponent* owner) : TForm(owner) {
    SetName("frmFocus");
    p1 = add<TPanel>("p1", this);
    p2 = add<TPanel>("p2", p1);
    a = add<TEdit>("a", p2);
    p3 = add<TPanel>("p3", p1);
    b = add<TEdit>("b", p3);
    c = add<TEdit>("c", this);
  }
  template <class T>
  T* add(const char* name, TControl* parent) {
    auto* x = new T(this);
    x->SetName(name);
    x->SetParent(parent);
    x->OnEnter = [this, x](TObject*) { log += x->Name() + "+ "; };
    x->OnExit = [this, x](TObject*) { log += x->Name() + "- "; };
    return x;
  }
};

struct Focus : testsupport::UiTest {
  FocusForm* form = nullptr;
  void SetUp() override {
    form = NewForm<FocusForm>(&Application());
    form->Show();
    form->log.clear();
  }
};

}  // namespace

TEST_F(Focus, ShowingAFormEntersItsFirstControlOutermostFirst) {
  auto* other = NewForm<FocusForm>(&Application());
  other->Show();
  EXPECT_EQ(other->log, "p1+ p2+ a+ ");
  EXPECT_EQ(Screen().ActiveControl(), other->a);
}

TEST_F(Focus, SiblingContainersExitUpToTheCommonParentOnly) {
  form->b->SetFocus();
  EXPECT_EQ(form->log, "a- p2- p3+ b+ ");
  form->log.clear();
  form->c->SetFocus();
  EXPECT_EQ(form->log, "b- p3- p1- c+ ");
}

TEST_F(Focus, ExitHandlerThatAbortsKeepsFocusAndRunsAgainNextTime) {
  int refusals = 0;
  form->a->OnExit = [&](TObject*) {
    ++refusals;
    Abort();
  };
  EXPECT_THROW(form->c->SetFocus(), EAbort);
  EXPECT_EQ(Screen().ActiveControl(), form->a);
  EXPECT_TRUE(form->a->Focused());
  EXPECT_THROW(form->c->SetFocus(), EAbort);
  EXPECT_EQ(refusals, 2);  // the chain was not left half-exited
  form->a->OnExit = nullptr;
  form->c->SetFocus();
  EXPECT_EQ(form->log, "p2- p1- c+ ");
}

TEST_F(Focus, ContainerExitThatAbortsPutsTheFocusBack) {
  form->p2->OnExit = [](TObject*) { Abort(); };
  EXPECT_THROW(form->b->SetFocus(), EAbort);
  EXPECT_EQ(Screen().ActiveControl(), form->a);
  EXPECT_EQ(form->log, "a- ");
}

TEST_F(Focus, ExitHandlerThatFocusesAnotherControlEndsTheChangeThere) {
  form->a->OnExit = [this](TObject*) { form->b->SetFocus(); };
  form->c->SetFocus();
  EXPECT_EQ(Screen().ActiveControl(), form->b);
  EXPECT_EQ(form->log, "p2- p3+ b+ ");
}

TEST_F(Focus, ExitHandlerThatRefocusesItselfAndAbortsStaysAndReenters) {
  form->a->OnExit = [this](TObject*) {
    form->a->SetFocus();
    Abort();
  };
  EXPECT_THROW(form->c->SetFocus(), EAbort);
  EXPECT_EQ(Screen().ActiveControl(), form->a);
  EXPECT_EQ(form->log, "a+ ");
}

TEST_F(Focus, EnterHandlerFailureLeavesTheFocusOnTheTarget) {
  form->p3->OnEnter = [](TObject*) { throw Exception("falhou"); };
  EXPECT_THROW(form->b->SetFocus(), Exception);
  EXPECT_EQ(Screen().ActiveControl(), form->b);
  form->log.clear();
  form->c->SetFocus();
  EXPECT_EQ(form->log, "b- p3- p1- c+ ");
}

TEST_F(Focus, DisabledContainerDisablesItsChildrenForFocusAndTab) {
  form->p3->SetEnabled(false);
  EXPECT_TRUE(form->b->Enabled());
  EXPECT_FALSE(form->b->EffectiveEnabled());
  EXPECT_FALSE(form->b->CanFocus());
  EXPECT_THROW(form->b->SetFocus(), Exception);
  EXPECT_EQ(form->FindNextControl(form->a, true), form->c);
  EXPECT_EQ(form->FindNextControl(form->c, false), form->a);
}

TEST_F(Focus, HiddenControlsAndHiddenContainersAreSkipped) {
  form->p2->SetVisible(false);  // holds the focused control
  EXPECT_EQ(Screen().ActiveControl(), nullptr);
  EXPECT_FALSE(form->a->CanFocus());
  EXPECT_EQ(form->FindNextControl(nullptr, true), form->b);
}

TEST_F(Focus, DestroyingTheFocusedControlLeavesNoDanglingFocus) {
  delete form->p2;
  EXPECT_EQ(form->ActiveControl(), nullptr);
  form->c->SetFocus();
  EXPECT_EQ(form->log, "p1- c+ ");
}

TEST_F(Focus, TabOrderDecidesTheOrderNotCreation) {
  form->c->SetTabOrder(0);
  EXPECT_EQ(form->FindNextControl(nullptr, true), form->c);
  EXPECT_EQ(form->FindNextControl(form->c, true), form->a);
  EXPECT_EQ(form->FindNextControl(form->b, true), form->c);  // wraps
}

TEST_F(Focus, SetFocusOnAnInactiveFormWaitsForItsActivation) {
  auto* second = NewForm<FocusForm>(&Application());
  second->Show();
  second->log.clear();
  form->b->SetFocus();  // form is behind `second`
  EXPECT_EQ(form->log, "");
  EXPECT_EQ(Screen().ActiveControl(), second->a);
  form->BringToFront();
  EXPECT_EQ(Screen().ActiveForm(), form);
  EXPECT_EQ(second->log, "");  // switching windows runs no exit handlers
}

TEST_F(Focus, ActivateRunsOnShowAndSwitchButNotWhenAModalAboveCloses) {
  int activations = 0;
  form->OnActivate = [&](TObject*) { ++activations; };
  auto* second = NewForm<FocusForm>(&Application());
  second->Show();
  form->BringToFront();
  EXPECT_EQ(activations, 1);
  testsupport::ModalScript script({testsupport::ClickIn("dlgMessage", "btnOK")});
  ShowMessage("aviso");
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(Screen().ActiveForm(), form);
  EXPECT_EQ(activations, 1);
}

TEST_F(Focus, ClickOnAFocusableButtonAfterARefusedExitDoesNotClick) {
  auto* button = new TButton(form);
  button->SetParent(form);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  form->a->OnExit = [](TObject*) { Abort(); };
  EXPECT_THROW(ClickControl(button), EAbort);
  EXPECT_EQ(clicks, 0);
  auto* speed = new TSpeedButton(form);
  speed->SetParent(form);
  speed->OnClick = [&](TObject*) { ++clicks; };
  ClickControl(speed);  // a toolbar button never takes the focus
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Screen().ActiveControl(), form->a);
}
