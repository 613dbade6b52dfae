// Key delivery: preview order, keys and characters set to zero, default handling of
// edits (max length, read-only, caret), dialog keys, accelerators, the search key, the
// keypad's decimal key and menu keys.
#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/ui/buttons.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/edit.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/menus.h"
#include "platform/ui/std_controls.h"
#include "tests/support/ui_driver.h"

using namespace platform;

namespace {

struct KeyForm : TForm {
  std::string log;
  TEdit* edit;
  TEdit* other;
  explicit KeyForm(TComponent* owner) : TForm(owner) {
    SetName("frmKeys");
    edit = new TEdit(this);
    edit->SetName("edit");
    edit->SetParent(this);
    other = new TEdit(this);
    other->SetName("other");
    other->SetParent(this);
    OnKeyDown = [this](TObject*, std::uint16_t& k, TShiftState) { log += "F.down" + std::to_string(k) + " "; };
    OnKeyPress = [this](TObject*, char32_t& c) { log += "F.press" + Utf8Encode(c) + " "; };
    edit->OnKeyDown = [this](TObject*, std::uint16_t& k, TShiftState) { log += "E.down" + std::to_string(k) + " "; };
    edit->OnKeyPress = [this](TObject*, char32_t& c) { log += "E.press" + Utf8Encode(c) + " "; };
  }
};

struct Keys : testsupport::UiTest {
  KeyForm* form = nullptr;
  void SetUp() override {
    form = NewForm<KeyForm>(&Application());
    form->Show();
  }
};

}  // namespace

TEST_F(Keys, WithoutPreviewOnlyTheControlSeesTheKey) {
  DispatchKey('A', {}, U'a');
  EXPECT_EQ(form->log, "E.down65 E.pressa ");
  EXPECT_EQ(form->edit->Text(), "a");
}

TEST_F(Keys, PreviewRunsTheFormFirstForKeyDownAndKeyPress) {
  form->KeyPreview = true;
  DispatchKey('A', {}, U'a');
  EXPECT_EQ(form->log, "F.down65 E.down65 F.pressa E.pressa ");
}

TEST_F(Keys, KeyZeroAtTheFormStopsKeyDownButTheCharacterStillComes) {
  form->KeyPreview = true;
  form->OnKeyDown = [](TObject*, std::uint16_t& k, TShiftState) { k = 0; };
  DispatchKey('A', {}, U'a');
  EXPECT_EQ(form->log, "F.pressa E.pressa ");
  EXPECT_EQ(form->edit->Text(), "a");
}

TEST_F(Keys, KeyZeroStopsTheDefaultHandlingOfThatKey) {
  form->edit->SetText("abc");
  form->edit->SetSelStart(3);
  form->edit->OnKeyDown = [](TObject*, std::uint16_t& k, TShiftState) { k = 0; };
  DispatchKey(VK_LEFT, {}, std::nullopt);
  DispatchKey(VK_TAB, {}, U'\t');
  EXPECT_EQ(form->edit->SelStart(), 3);
  EXPECT_EQ(Screen().ActiveControl(), form->edit);  // Tab navigation was stopped too
}

TEST_F(Keys, CharacterZeroAtTheFormNeverReachesTheControl) {
  form->KeyPreview = true;
  form->OnKeyPress = [](TObject*, char32_t& c) {
    if (c == U'x') c = 0;
  };
  TypeText("axb");
  EXPECT_EQ(form->edit->Text(), "ab");
  EXPECT_EQ(form->log.find("E.pressx"), std::string::npos);
}

TEST_F(Keys, PreviewHandlerThatMovesTheFocusEndsTheKeyThere) {
  form->KeyPreview = true;
  form->OnKeyDown = [this](TObject*, std::uint16_t& k, TShiftState) {
    if (k == VK_RETURN) form->SelectNext(form->edit, true);  // Enter as Tab
  };
  DispatchKey(VK_RETURN, {}, U'\r');
  EXPECT_EQ(Screen().ActiveControl(), form->other);
  EXPECT_EQ(form->log.find("E.down"), std::string::npos);
  delete form->other;  // a handler removing the focused control must not crash the key
  form->edit->SetFocus();
  form->OnKeyDown = [this](TObject*, std::uint16_t&, TShiftState) { delete form->edit; form->edit = nullptr; };
  form->edit->OnKeyDown = nullptr;
  DispatchKey('A', {}, U'a');
  EXPECT_EQ(Screen().ActiveControl(), nullptr);
}

TEST_F(Keys, AbortInAKeyHandlerStopsTheWholeKey) {
  form->KeyPreview = true;
  form->OnKeyDown = [](TObject*, std::uint16_t&, TShiftState) { Abort(); };
  EXPECT_THROW(DispatchKey('A', {}, U'a'), EAbort);
  EXPECT_EQ(form->edit->Text(), "");
}

TEST_F(Keys, TabMovesFocusAndItsCharacterIsNotTyped) {
  DispatchKey(VK_TAB, {}, U'\t');
  EXPECT_EQ(Screen().ActiveControl(), form->other);
  EXPECT_EQ(form->other->Text(), "");
  EXPECT_EQ(form->log, "E.down9 ");
}

TEST_F(Keys, MaxLengthRefusesTheExtraCharacterButNotAReplacement) {
  form->edit->SetMaxLength(3);
  TypeText("abcd");
  EXPECT_EQ(form->edit->Text(), "abc");
  form->edit->SelectAll();
  TypeText("z");
  EXPECT_EQ(form->edit->Text(), "z");
}

TEST_F(Keys, ReadOnlyEditTakesNoCharactersNorDeletes) {
  form->edit->SetText("fixo");
  form->edit->ReadOnly = true;
  form->edit->SelectAll();
  TypeText("x\b");
  DispatchKey(VK_DELETE, {}, std::nullopt);
  EXPECT_EQ(form->edit->Text(), "fixo");
}

TEST_F(Keys, CaretEditingWithBackspaceDeleteAndArrows) {
  TypeText("abcd");
  DispatchKey(VK_LEFT, {}, std::nullopt);
  DispatchKey(VK_LEFT, {}, std::nullopt);
  DispatchKey(VK_BACK, {}, U'\b');
  DispatchKey(VK_DELETE, {}, std::nullopt);
  TypeText("X");
  EXPECT_EQ(form->edit->Text(), "aXd");
  DispatchKey(VK_HOME, {}, std::nullopt);
  DispatchKey(VK_BACK, {}, U'\b');  // nothing before the caret
  EXPECT_EQ(form->edit->Text(), "aXd");
}

TEST_F(Keys, OnChangeRunsOncePerEffectiveChange) {
  int changes = 0;
  form->edit->OnChange = [&](TObject*) { ++changes; };
  TypeText("ab");
  DispatchKey(VK_BACK, {}, U'\b');
  form->edit->SetText("a");  // same text: no change
  EXPECT_EQ(changes, 3);
}

TEST_F(Keys, AcceleratedUtf8TextSurvivesTyping) {
  TypeText("ção");
  EXPECT_EQ(form->edit->Text(), "ção");
}

TEST_F(Keys, MenuShortCutRunsBeforeTheControlSeesTheKey) {
  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  auto* item = new TMenuItem(form);
  item->SetName("mnuIncluir");
  item->ShortCutKey = VK_F2;
  menu->Items()->Add(item);
  int clicks = 0;
  item->OnClick = [&](TObject*) { ++clicks; };
  DispatchKey(VK_F2, {}, std::nullopt);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form->log, "");
  item->Enabled = false;
  DispatchKey(VK_F2, {}, std::nullopt);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form->log, "E.down113 ");
}

TEST_F(Keys, EnterAndEscapeInAMessageBoxAnswerWithDefaultAndCancel) {
  testsupport::ModalScript script({[] { DispatchKey(VK_RETURN, {}, U'\r'); },
                                   [] { DispatchKey(VK_ESCAPE, {}, U'\x1b'); },
                                   [] { DispatchKey(VK_ESCAPE, {}, U'\x1b'); }});
  EXPECT_EQ(MessageDlg("?", mtConfirmation, {mbYes, mbNo}, 0), mrYes);
  EXPECT_EQ(MessageDlg("?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  EXPECT_EQ(MessageDlg("?", mtConfirmation, {mbYes, mbNo, mbCancel}, 0), mrCancel);
  EXPECT_TRUE(script.Done());
}

TEST_F(Keys, EnterClicksTheFocusedButtonEvenWhenAnotherIsTheDefault) {
  auto* focused = new TButton(form);
  focused->SetParent(form);
  auto* byDefault = new TButton(form);
  byDefault->SetParent(form);
  byDefault->Default = true;
  std::string clicked;
  focused->OnClick = [&](TObject*) { clicked += "focused "; };
  byDefault->OnClick = [&](TObject*) { clicked += "default "; };
  focused->SetFocus();
  DispatchKey(VK_RETURN, {}, U'\r');
  form->edit->SetFocus();
  DispatchKey(VK_RETURN, {}, U'\r');
  EXPECT_EQ(clicked, "focused default ");
}

TEST_F(Keys, DropDownListSelectsByArrowsAndFirstLetterAndReportsChanges) {
  auto* combo = new TComboBox(form);
  combo->SetParent(form);
  combo->Style = csDropDownList;
  combo->Items = {"Moeda", "Número", "Percentual"};
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  combo->SetItemIndex(0);
  EXPECT_EQ(changes, 0);  // code does not count as a person's choice
  combo->SetFocus();
  DispatchKey(VK_DOWN, {}, std::nullopt);
  EXPECT_EQ(combo->Text(), "Número");
  TypeText("p");
  EXPECT_EQ(combo->ItemIndex(), 2);
  DispatchKey(VK_DOWN, {}, std::nullopt);  // already last
  EXPECT_EQ(changes, 2);
  combo->SetText("Moeda");  // a drop-down list chooses by text
  EXPECT_EQ(combo->ItemIndex(), 0);
  combo->SetText("Dólar");
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), "");
  EXPECT_THROW(combo->SetItemIndex(3), Exception);
}

TEST_F(Keys, KeypadDecimalKeyTypesTheLocaleSeparatorAndTheMainDotStaysADot) {
  DispatchKey(99, {}, U'3');  // keypad 3
  DispatchKey(VK_DECIMAL, {}, U'.');
  DispatchKey(101, {}, U'5');
  EXPECT_EQ(form->edit->Text(), "3,5");
  EXPECT_NE(form->log.find("E.press,"), std::string::npos) << "handlers see the separator, not the key's dot";
  DispatchKey(190, {}, U'.');
  EXPECT_EQ(form->edit->Text(), "3,5.");
}

TEST_F(Keys, MessageBoxButtonsAnswerTheirUnderlinedLettersAndTabMovesBetweenThem) {
  testsupport::ModalScript script({[] { DispatchKey('N', {}, U'n'); },           // plain letter on a button
                                   [] { DispatchKey('S', {ssAlt}, std::nullopt); },  // Alt+letter
                                   [] {
                                     DispatchKey(VK_TAB, {}, U'\t');  // Sim -> Não
                                     DispatchKey(VK_RETURN, {}, U'\r');
                                   }});
  EXPECT_EQ(MessageDlg("?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  EXPECT_EQ(MessageDlg("?", mtConfirmation, {mbYes, mbNo}, 0), mrYes);
  EXPECT_EQ(MessageDlg("?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  EXPECT_TRUE(script.Done());
  // In an edit a plain letter is typed, not taken as a button's accelerator.
  auto* sim = new TButton(form);
  sim->SetParent(form);
  sim->SetCaption("&Sim");
  int clicks = 0;
  sim->OnClick = [&](TObject*) { ++clicks; };
  TypeText("s");
  EXPECT_EQ(form->edit->Text(), "s");
  EXPECT_EQ(clicks, 0);
}

TEST_F(Keys, AltLetterOfALabelFocusesItsControl) {
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetCaption("&Outro");
  label->FocusControl = form->other;
  DispatchKey('O', {ssAlt}, std::nullopt);
  EXPECT_EQ(Screen().ActiveControl(), form->other);
}

// A button that serves an edit, as a search button does.
struct ServingButton : TControl {
  using TControl::TControl;
  TControl* served = nullptr;
  const char* Kind() const override { return "searchbutton"; }
  TControl* ServedControl() const noexcept override { return served; }
};

TEST_F(Keys, SearchKeyClicksTheButtonServingTheFocusedControlAfterTheScreenSawIt) {
  auto* search = new ServingButton(form);
  search->SetParent(form);
  search->served = form->edit;
  int clicks = 0;
  search->OnClick = [&](TObject*) { ++clicks; };
  DispatchKey(kSearchKey, {ssAlt}, std::nullopt);
  EXPECT_EQ(clicks, 1);
  DispatchKey(kSearchKey, {}, std::nullopt);  // Down alone is no search
  form->other->SetFocus();
  DispatchKey(kSearchKey, {ssAlt}, std::nullopt);  // nothing serves the other edit
  EXPECT_EQ(clicks, 1);
  form->edit->SetFocus();
  search->SetEnabled(false);
  DispatchKey(kSearchKey, {ssAlt}, std::nullopt);
  search->SetEnabled(true);
  form->KeyPreview = true;
  form->OnKeyDown = [](TObject*, std::uint16_t& k, TShiftState) { k = 0; };  // a screen key of its own
  DispatchKey(kSearchKey, {ssAlt}, std::nullopt);
  EXPECT_EQ(clicks, 1);
}
