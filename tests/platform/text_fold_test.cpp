// Case- and accent-insensitive comparison of Portuguese texts.
#include <gtest/gtest.h>

#include "platform/text/text_fold.h"

namespace {

using namespace platform;

TEST(TextFold, FoldsEveryAccentedVowelAndCedilla) {
  EXPECT_EQ(FoldForCompare("ÁÀÂÃÄáàâãä"), "aaaaaaaaaa");
  EXPECT_EQ(FoldForCompare("ÉÊÈËéêèë"), "eeeeeeee");
  EXPECT_EQ(FoldForCompare("ÍÌÎÏíìîï"), "iiiiiiii");
  EXPECT_EQ(FoldForCompare("ÓÒÔÕÖóòôõö"), "oooooooooo");
  EXPECT_EQ(FoldForCompare("ÚÙÛÜúùûü"), "uuuuuuuu");
  EXPECT_EQ(FoldForCompare("ÇçÑñ"), "ccnn");
  EXPECT_EQ(FoldForCompare("JOÃO da Silva"), "joao da silva");
}

TEST(TextFold, KeepsWhatItDoesNotKnow) {
  EXPECT_EQ(FoldForCompare("R$ 1.500,00 ÷ x"), "r$ 1.500,00 ÷ x");
  EXPECT_EQ(FoldForCompare("€ ✓"), "€ ✓");
  EXPECT_EQ(FoldForCompare(""), "");
  // A truncated sequence is read as one code point and never swallows what follows.
  EXPECT_EQ(FoldForCompare("\xC3" "B"), "ab");
}

TEST(TextFold, ComparesAndMatchesPrefixes) {
  EXPECT_TRUE(SameTextFolded("Açúcar União", "ACUCAR UNIAO"));
  EXPECT_FALSE(SameTextFolded("Acucar", "Acucares"));
  EXPECT_TRUE(StartsWithFolded("Pão de Açúcar", "PAO DE"));
  EXPECT_FALSE(StartsWithFolded("Pão", "Pão de Açúcar"));
  EXPECT_TRUE(StartsWithFolded("qualquer", ""));
  EXPECT_EQ(CompareTextFolded("Ábaco", "ABADE"), -1);
  EXPECT_EQ(CompareTextFolded("ÉRICA", "erica"), 0);
}

}  // namespace
