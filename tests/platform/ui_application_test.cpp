// The application object: error display, modal windows, close actions, deferred
// release, form creation failures and the input queue fed from other threads.
#include <gtest/gtest.h>

#include <thread>

#include "platform/core/exceptions.h"
#include "platform/ui/buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/edit.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/user_input.h"
#include "tests/support/ui_driver.h"

using namespace platform;
using testsupport::ClickIn;
using testsupport::ModalScript;

namespace {
struct App : testsupport::UiTest {};

struct FailingForm : TForm {
  explicit FailingForm(TComponent* owner) : TForm(owner) {
    OnCreate = [](TObject*) { throw Exception("sem conexão"); };
  }
};
}  // namespace

TEST_F(App, AbortIsSilentAndOtherErrorsShowAnErrorBox) {
  std::string shown;
  auto readAndClose = [&] {
    shown = testsupport::TopMessageText();
    ClickIn("dlgMessage", "btnOK")();
  };
  ModalScript script({readAndClose, readAndClose});
  Application().Guard([] { Abort(); });
  EXPECT_TRUE(script.Seen().empty());
  Application().Guard([] { throw Exception("Cliente não cadastrado."); });
  EXPECT_EQ(shown, "Cliente não cadastrado.");
  Application().Guard([] { throw 42; });  // not even an exception class
  EXPECT_EQ(shown, "Erro desconhecido.");
  EXPECT_TRUE(script.Done());
}

TEST_F(App, TheLoopGoesOnAfterAHandlerFails) {
  std::vector<std::string> shown;
  Application().OnShowError = [&](const std::string& text) { shown.push_back(text); };
  Application().PostInput([] { throw Exception("um"); });
  Application().PostInput([] { Abort(); });
  Application().PostInput([] { throw std::runtime_error("dois"); });
  for (int i = 0; i < 3; ++i) Application().HandleMessage();
  EXPECT_EQ(shown, (std::vector<std::string>{"um", "dois"}));
}

TEST_F(App, FailingOnCreateDestroysTheFormAndLeavesNoWindow) {
  auto before = Screen().Forms().size();
  EXPECT_THROW(NewForm<FailingForm>(&Application()), Exception);
  EXPECT_EQ(Screen().Forms().size(), before);
}

TEST_F(App, ModalResultFromAButtonEndsTheLoopAndCloseActionNoneKeepsItOpen) {
  auto* dialog = NewForm<TForm>(&Application());
  dialog->SetName("frmDialog");
  auto* ok = new TButton(dialog);
  ok->SetName("btnOK");
  ok->SetParent(dialog);
  ok->ModalResult = mrOk;
  int closes = 0;
  dialog->OnClose = [&](TObject*, TCloseAction& action) {
    if (++closes == 1) action = caNone;
  };
  ModalScript script({ClickIn("frmDialog", "btnOK"), ClickIn("frmDialog", "btnOK")});
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(closes, 2);
  EXPECT_FALSE(dialog->Visible());
  EXPECT_TRUE(script.Done());
}

TEST_F(App, ReleaseDestroysTheFormAfterTheRunningInputOnlyOnce) {
  auto* form = NewForm<TForm>(&Application());
  int destroyed = 0;
  form->OnDestroy = [&](TObject*) { ++destroyed; };
  form->Show();
  Application().PostInput([form] {
    form->Release();
    form->Release();
    EXPECT_TRUE(form->Visible());  // still alive inside the input
  });
  Application().HandleMessage();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(Screen().ActiveForm(), nullptr);
}

TEST_F(App, ClosingAnMdiChildFreesItButANormalFormOnlyHides) {
  auto* child = NewForm<TForm>(&Application());
  child->SetFormStyle(fsMDIChild);
  auto* normal = NewForm<TForm>(&Application());
  child->Show();
  normal->Show();
  child->Close();
  normal->Close();
  Application().ProcessMessages();
  const auto& forms = Screen().Forms();
  EXPECT_EQ(std::count(forms.begin(), forms.end(), child), 0);
  EXPECT_EQ(std::count(forms.begin(), forms.end(), normal), 1);
  EXPECT_FALSE(normal->Visible());
}

TEST_F(App, ReleaseInsideAModalLoopWaitsForTheLoopToEnd) {
  auto* dialog = NewForm<TForm>(&Application());
  dialog->SetName("frmDialog");
  ModalScript script({[dialog] { dialog->Release(); }});
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  Application().ProcessMessages();
  const auto& forms = Screen().Forms();
  EXPECT_EQ(std::count(forms.begin(), forms.end(), dialog), 0);
}

TEST_F(App, InputsFromAnotherThreadAreHandledInOrderOnThisOne) {
  std::vector<int> order;
  auto ui = std::this_thread::get_id();
  std::thread producer([&] {
    for (int i = 0; i < 50; ++i)
      Application().PostInput([&, i] {
        EXPECT_EQ(std::this_thread::get_id(), ui);
        order.push_back(i);
      });
  });
  producer.join();
  for (int i = 0; i < 50; ++i) Application().HandleMessage();
  ASSERT_EQ(order.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST_F(App, OneIdleStatePerInputEvenWhenTheInputOpensAndClosesABox) {
  int idle = 0, busy = 0;
  int id = Application().AddPresenter([&](bool isIdle) { (isIdle ? idle : busy)++; });
  Application().PostInput([] { ShowMessage("olá"); });
  Application().PostInput(ClickIn("dlgMessage", "btnOK"));
  Application().HandleMessage();
  EXPECT_EQ(idle, 2);  // the box waiting, then the first input done
  Application().Repaint();
  Application().SetWaitKind(6);
  EXPECT_EQ(busy, 2);
  Application().RemovePresenter(id);
}

TEST_F(App, SnapshotListsWindowsBottomToTopWithTheMainFormFirst) {
  auto* frame = NewForm<TForm>(&Application());
  frame->SetName("frmHost");
  Application().SetMainForm(frame);
  auto* child = NewForm<TForm>(&Application());
  child->SetName("frmChild");
  child->SetFormStyle(fsMDIChild);
  child->Show();
  frame->Show();  // shown later, still at the bottom
  auto* edit = new TEdit(child);
  edit->SetName("edtNome");
  edit->SetParent(child);
  edit->SetFocus();
  Screen().SetCursor(crHourGlass);
  Application().SetWaitKind(6);
  nlohmann::json s = SnapshotState();
  ASSERT_EQ(s["windows"].size(), 2u);
  EXPECT_EQ(s["windows"][0]["name"], "frmHost");
  EXPECT_EQ(s["windows"][1]["name"], "frmChild");
  EXPECT_EQ(s["activeForm"], "frmChild");
  EXPECT_EQ(s["focus"], "frmChild.edtNome");
  EXPECT_EQ(s["cursor"], -11);
  EXPECT_EQ(s["wait"]["kind"], 6);
  EXPECT_TRUE(s["windows"][1]["mdiChild"].get<bool>());
  EXPECT_EQ(s["windows"][1]["controls"][0]["kind"], "edit");
}

TEST_F(App, DocumentsGetAUrlByPositionAndKeepTheirExtension) {
  std::size_t before = Application().Documents().size();
  const TDocumentEntry& d = Application().AddDocument({"Tabela", "", "/tmp/x/rel.pdf"});
  EXPECT_EQ(d.url, "/documents/" + std::to_string(before + 1) + ".pdf");
  EXPECT_EQ(SnapshotState()["documents"].back()["path"], "/tmp/x/rel.pdf");
}
