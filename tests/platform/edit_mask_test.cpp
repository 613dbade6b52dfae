// Edit masks: parsing, laying values into them, and the editing model of a masked edit.
#include <gtest/gtest.h>

#include "platform/text/edit_mask.h"

namespace {

using namespace platform;

constexpr const char* kLegalPerson = "00.000.000/0000-00;0;_";
constexpr const char* kNaturalPerson = "000.000.000-00;0;_";
constexpr const char* kDate = "!99/99/9999;1;_";
constexpr const char* kProduct = "0.00.000;0;_";

// What Consiste.EmptyString does with a text: strip "/" and blanks.
bool Blank(std::string text) {
  std::erase(text, '/');
  return text.find_first_not_of(' ') == std::string::npos;
}

TEST(EditMaskParse, ReadsFieldsFlagsAndDefaults) {
  const EditMask date(kDate);
  EXPECT_TRUE(date.saveLiterals());
  EXPECT_TRUE(date.justifyFlag());
  EXPECT_EQ(date.size(), 10u);
  EXPECT_FALSE(date.positions()[2].editable());
  EXPECT_FALSE(date.positions()[0].required());

  const EditMask product(kProduct);
  EXPECT_FALSE(product.saveLiterals());
  EXPECT_EQ(product.blank(), U'_');
  EXPECT_TRUE(product.positions()[0].required());

  const EditMask plain("000");
  EXPECT_TRUE(plain.saveLiterals());  // literals are saved unless field 2 says "0"
  EXPECT_EQ(plain.blank(), U'_');

  const EditMask spaced("99:99;1; ");
  EXPECT_EQ(spaced.blank(), U' ');

  const EditMask escaped("\\0\\;0;0;*");
  ASSERT_EQ(escaped.size(), 3u);
  EXPECT_FALSE(escaped.positions()[0].editable());
  EXPECT_EQ(escaped.positions()[1].literal, U';');
  EXPECT_EQ(escaped.blank(), U'*');
  EXPECT_TRUE(EditMask("").empty());
}

TEST(FormatMaskText, LaysUnformattedValuesIntoTheDefaultMasks) {
  EXPECT_EQ(FormatMaskText(kLegalPerson, "12345678000195"), "12.345.678/0001-95");
  EXPECT_EQ(FormatMaskText(kNaturalPerson, "12345678909"), "123.456.789-09");
  EXPECT_EQ(FormatMaskText(kProduct, "101001"), "1.01.001");
  EXPECT_EQ(FormatMaskText(kDate, "31/12/2026"), "31/12/2026");
}

TEST(FormatMaskText, ShortLongAndEmptyValues) {
  EXPECT_EQ(FormatMaskText(kProduct, "1"), "1.  .   ");
  EXPECT_EQ(FormatMaskText(kProduct, "101"), "1.01.   ");
  EXPECT_EQ(FormatMaskText(kProduct, "10100199"), "1.01.001");
  EXPECT_EQ(FormatMaskText(kNaturalPerson, ""), "   .   .   -  ");
  EXPECT_EQ(FormatMaskText("", "anything"), "anything");
  // A value that already carries the literals is laid the same way.
  EXPECT_EQ(FormatMaskText(kProduct, "1.01.001"), "1.01.001");
}

TEST(FormatMaskText, AppliesCaseConversion) {
  EXPECT_EQ(FormatMaskText(">LL<ll;0;_", "abCD"), "ABcd");
  EXPECT_EQ(FormatMaskText(">L<>l;0;_", "ab"), "Ab");
  EXPECT_EQ(FormatMaskText(">LL;0;_", "çã"), "ÇÃ");
}

TEST(MaskedText, EmptyEditShowsBlanksAndReadsEmpty) {
  MaskedText legal{EditMask(kLegalPerson)};
  EXPECT_EQ(legal.EditText(), "__.___.___/____-__");
  EXPECT_EQ(legal.Text(), std::string(14, ' '));
  EXPECT_TRUE(Blank(legal.Text()));
  EXPECT_TRUE(legal.IsBlank());

  MaskedText date{EditMask(kDate)};
  EXPECT_EQ(date.EditText(), "__/__/____");
  EXPECT_EQ(date.Text(), "  /  /    ");
  EXPECT_TRUE(Blank(date.Text()));
}

TEST(MaskedText, TypingFillsEditablePositionsAndSkipsLiterals) {
  MaskedText legal{EditMask(kLegalPerson)};
  EXPECT_EQ(legal.TypeText("12345678000195"), 14u);
  EXPECT_EQ(legal.EditText(), "12.345.678/0001-95");
  EXPECT_EQ(legal.Text(), "12345678000195");
  EXPECT_TRUE(legal.IsComplete());
  EXPECT_EQ(legal.Cursor(), legal.size());

  MaskedText date{EditMask(kDate)};
  date.TypeText("3112");
  EXPECT_EQ(date.EditText(), "31/12/____");
  EXPECT_EQ(date.Cursor(), 6u);  // past the second "/"
  EXPECT_EQ(date.Text(), "31/12/    ");
}

TEST(MaskedText, TypedLiteralsAreAcceptedWithoutShiftingDigits) {
  MaskedText date{EditMask(kDate)};
  EXPECT_EQ(date.TypeText("31/12/2026"), 10u);
  EXPECT_EQ(date.EditText(), "31/12/2026");
}

TEST(MaskedText, RefusesCharactersTheMaskDoesNotAccept) {
  MaskedText product{EditMask(kProduct)};
  EXPECT_FALSE(product.TypeChar(U'a'));
  EXPECT_FALSE(product.TypeChar(U'-'));
  EXPECT_FALSE(product.TypeChar(U' '));
  EXPECT_EQ(product.EditText(), "_.__.___");
  EXPECT_EQ(product.Cursor(), 0u);
  EXPECT_TRUE(product.TypeChar(U'1'));
  EXPECT_FALSE(product.TypeChar(U'x'));
  EXPECT_EQ(product.EditText(), "1.__.___");

  MaskedText letters{EditMask("LL-00;1;_")};
  EXPECT_FALSE(letters.TypeChar(U'1'));
  EXPECT_TRUE(letters.TypeChar(U'é'));
  EXPECT_TRUE(letters.TypeChar(U'Z'));
  EXPECT_FALSE(letters.TypeChar(U'q'));  // digits now
  EXPECT_EQ(letters.EditText(), "éZ-__");

  MaskedText sign{EditMask("#00;0;_")};
  EXPECT_TRUE(sign.TypeChar(U'-'));
  EXPECT_FALSE(sign.TypeChar(U'-'));
}

TEST(MaskedText, TypingPastTheEndIsRefused) {
  MaskedText code{EditMask("00;0;_")};
  EXPECT_EQ(code.TypeText("123"), 2u);
  EXPECT_EQ(code.Text(), "12");
  EXPECT_FALSE(code.TypeChar(U'4'));
}

TEST(MaskedText, TypingOverwritesAtTheCursor) {
  MaskedText product{EditMask(kProduct)};
  product.SetText("101001");
  product.SetCursor(2);  // on the first digit after the dot
  EXPECT_TRUE(product.TypeChar(U'9'));
  EXPECT_EQ(product.EditText(), "1.91.001");
  EXPECT_EQ(product.Cursor(), 3u);
}

TEST(MaskedText, BackspaceAndDeleteEmptyPositionsWithoutShifting) {
  MaskedText product{EditMask(kProduct)};
  product.TypeText("101001");
  product.Backspace();
  EXPECT_EQ(product.EditText(), "1.01.00_");
  product.SetCursor(5);  // just after the second dot
  product.Backspace();   // skips the literal, empties the digit before it
  EXPECT_EQ(product.EditText(), "1.0_.00_");
  EXPECT_EQ(product.Cursor(), 3u);
  product.SetCursor(1);  // on the first dot
  product.Delete();      // empties the next editable position
  EXPECT_EQ(product.EditText(), "1.__.00_");
  product.SetCursor(0);
  for (int i = 0; i < 20; ++i) product.Backspace();  // nothing before the start
  EXPECT_EQ(product.Cursor(), 0u);
}

TEST(MaskedText, SelectAllThenTypeReplacesEverything) {
  MaskedText natural{EditMask(kNaturalPerson)};
  natural.TypeText("12345678909");
  natural.SelectAll();
  EXPECT_TRUE(natural.TypeChar(U'9'));
  EXPECT_EQ(natural.EditText(), "9__.___.___-__");
  EXPECT_EQ(natural.Cursor(), 1u);
}

TEST(MaskedText, InvalidCharacterKeepsTheSelection) {
  MaskedText natural{EditMask(kNaturalPerson)};
  natural.TypeText("12345678909");
  natural.SelectAll();
  EXPECT_FALSE(natural.TypeChar(U'x'));
  EXPECT_EQ(natural.Text(), "12345678909");
  EXPECT_EQ(natural.SelLength(), natural.size());
}

TEST(MaskedText, BackspaceOnASelectionEmptiesIt) {
  MaskedText date{EditMask(kDate)};
  date.SetText("31/12/2026");
  date.Select(3, 2);
  date.Backspace();
  EXPECT_EQ(date.EditText(), "31/__/2026");
  EXPECT_EQ(date.Cursor(), 3u);
  EXPECT_FALSE(date.IsBlank());
}

TEST(MaskedText, SetTextLaysProgramTextsAndDropsInvalidCharacters) {
  MaskedText date{EditMask(kDate)};
  date.SetText("01/02/2026");
  EXPECT_EQ(date.EditText(), "01/02/2026");
  date.SetText("01022026");  // literals missing: still laid in order
  EXPECT_EQ(date.EditText(), "01/02/2026");
  date.SetText("  /  /    ");
  EXPECT_TRUE(date.IsBlank());
  date.SetText("ab/cd/2026");
  EXPECT_EQ(date.EditText(), "__/__/2026");
  date.SetText("");
  EXPECT_EQ(date.EditText(), "__/__/____");
}

TEST(MaskedText, CompletenessChecksRequiredPositionsOnly) {
  EXPECT_TRUE(MaskTextComplete(EditMask(kProduct), "101001"));
  EXPECT_FALSE(MaskTextComplete(EditMask(kProduct), "1010"));
  EXPECT_FALSE(MaskTextComplete(EditMask(kProduct), "10100a"));
  EXPECT_TRUE(MaskTextComplete(EditMask(kDate), ""));  // every date position is optional
  MaskedText legal{EditMask(kLegalPerson)};
  legal.TypeText("1234");
  EXPECT_EQ(legal.FirstMissing(), 5);  // "12.34_": the fifth digit sits after a dot
}

}  // namespace
