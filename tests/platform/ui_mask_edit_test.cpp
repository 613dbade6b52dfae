// The masked edit: typing that follows the mask, texts with and without literals,
// changing masks, and leaving a partly filled edit.
#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/ui/edit.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/mask_edit.h"
#include "tests/support/ui_driver.h"

using namespace platform;

namespace {
struct MaskForm : TForm {
  TMaskEdit* med;
  TEdit* other;
  explicit MaskForm(TComponent* owner) : TForm(owner) {
    med = new TMaskEdit(this);
    med->SetName("medCdClie");
    med->SetParent(this);
    other = new TEdit(this);
    other->SetParent(this);
  }
};
struct Mask : testsupport::UiTest {
  MaskForm* form = nullptr;
  void SetUp() override {
    form = NewForm<MaskForm>(&Application());
    form->Show();
  }
  TMaskEdit* med() { return form->med; }
};
}  // namespace

TEST_F(Mask, TypingFillsTheEditableCellsAndSkipsLiterals) {
  med()->SetEditMask("00.000.000/0000-00;0;_");
  TypeText("12345678000199");
  EXPECT_EQ(med()->EditText(), "12.345.678/0001-99");
  EXPECT_EQ(med()->Text(), "12345678000199");
}

TEST_F(Mask, RefusedCharactersChangeNothingAndRaiseNoChange) {
  med()->SetEditMask("000.000.000-00;0;_");
  int changes = 0;
  med()->OnChange = [&](TObject*) { ++changes; };
  TypeText("1a2-b3");
  EXPECT_EQ(med()->EditText(), "123.___.___-__");
  EXPECT_EQ(changes, 3);
}

TEST_F(Mask, SavedLiteralsStayInTheTextAndBlanksReadAsSpaces) {
  med()->SetEditMask("!99/99/9999;1;_");
  EXPECT_EQ(med()->Text(), "  /  /    ");
  EXPECT_TRUE(med()->IsBlank());
  TypeText("3112");
  EXPECT_EQ(med()->Text(), "31/12/    ");
  EXPECT_EQ(med()->EditText(), "31/12/____");
}

TEST_F(Mask, BackspaceEmptiesACellWithoutShiftingTheOthers) {
  med()->SetEditMask("0.00.000;0;_");
  TypeText("101001");
  DispatchKey(VK_LEFT, {}, std::nullopt);
  DispatchKey(VK_LEFT, {}, std::nullopt);
  DispatchKey(VK_BACK, {}, U'\b');
  EXPECT_EQ(med()->EditText(), "1.01._01");
  EXPECT_EQ(med()->Text(), "101 01");
}

TEST_F(Mask, ChangingTheMaskKeepsTheTextThatFits) {
  TypeText("12345678000199");
  med()->SetEditMask("00.000.000/0000-00;0;_");
  EXPECT_EQ(med()->EditText(), "12.345.678/0001-99");
  med()->SetEditMask("");
  EXPECT_EQ(med()->Text(), "12345678000199");
  med()->SetMaxLength(20);
  EXPECT_EQ(med()->EditText(), "12345678000199");
}

TEST_F(Mask, SetTextLaysAStoredValueIntoTheMask) {
  med()->SetEditMask("00.000.000/0000-00;0;_");
  med()->SetText("12345678000199");
  EXPECT_EQ(med()->EditText(), "12.345.678/0001-99");
  EXPECT_EQ(FormatMaskText("000.000.000-00;0;_", "12345678901"), "123.456.789-01");
}

TEST_F(Mask, PartlyFilledEditCannotBeLeftButABlankOneCan) {
  med()->SetEditMask("00.000.000/0000-00;0;_");  // every digit required
  TypeText("12");
  EXPECT_THROW(form->other->SetFocus(), Exception);
  EXPECT_EQ(Screen().ActiveControl(), med());
  med()->SelectAll();
  DispatchKey(VK_DELETE, {}, std::nullopt);
  EXPECT_TRUE(med()->IsBlank());
  form->other->SetFocus();
  EXPECT_EQ(Screen().ActiveControl(), form->other);
}

TEST_F(Mask, EnteringSelectsAllSoTypingReplaces) {
  med()->SetEditMask("0.00.000;0;_");
  med()->SetText("101001");
  form->other->SetFocus();
  med()->SetFocus();
  TypeText("2");
  EXPECT_EQ(med()->EditText(), "2.__.___");
}
