// Picture: one definition gives the mask, the level count and the code lengths.
#include "contracts/framework/picture.h"

#include <gtest/gtest.h>

#include "contracts/framework/norvexa.h"
#include "platform/text/edit_mask.h"

namespace {

TEST(ProductPicture, MaskAndLevelsComeFromOneDefinition) {
  const Picture::TDBPicture& product = Norvexa::DBPictObj(Picture::ptProduto);
  EXPECT_EQ(product.EditMask(), "0.99.999;0;_") << "a group's code fits it too";
  EXPECT_EQ(product.GetTtNiveis(), 3);
  EXPECT_EQ(product.CodeLength(1), 1);
  EXPECT_EQ(product.CodeLength(2), 3);
  EXPECT_EQ(product.CodeLength(3), 6);
  EXPECT_EQ(&product, &Picture::PictureOf(Picture::ptProduto));
}

TEST(ProductPicture, LevelOfCodeByLength) {
  const Picture::TDBPicture& product = Picture::PictureOf(Picture::ptProduto);
  EXPECT_EQ(product.LevelOfCode("1"), 1);
  EXPECT_EQ(product.LevelOfCode("101"), 2);
  EXPECT_EQ(product.LevelOfCode("101001"), 3);
  EXPECT_EQ(product.LevelOfCode(""), 0);
  EXPECT_EQ(product.LevelOfCode("10"), 0);
  EXPECT_EQ(product.LevelOfCode("1010011"), 0);
  EXPECT_THROW(product.CodeLength(0), Picture::EPictureError);
  EXPECT_THROW(product.CodeLength(4), Picture::EPictureError);
}

TEST(ProductPicture, FormatsStoredCodesForEachLevel) {
  const Picture::TDBPicture& product = Picture::PictureOf(Picture::ptProduto);
  EXPECT_EQ(product.FormatCode("101001"), "1.01.001");
  EXPECT_EQ(product.FormatCode("101"), "1.01");
  EXPECT_EQ(product.FormatCode("1"), "1");
  EXPECT_EQ(product.FormatCode("12"), "12");  // fits no level: shown as stored
  for (const char* code : {"101001", "101", "1"})
    EXPECT_EQ(product.FormatCode(code), platform::FormatMaskText(product.EditMask(), code)) << code;
}

TEST(PictureDefinition, OtherShapesDeriveTheirOwnLevels) {
  const Picture::TDBPicture fourLevels("00-000-0-00", "Código");
  EXPECT_EQ(fourLevels.GetTtNiveis(), 4);
  EXPECT_EQ(fourLevels.CodeLength(4), 8);
  EXPECT_EQ(fourLevels.EditMask(), "00-999-9-99;0;_");
  EXPECT_TRUE(fourLevels.IsSeparator('-'));
  EXPECT_FALSE(fourLevels.IsSeparator('.'));
}

TEST(PictureDefinition, UnusableDefinitionsAreRefused) {
  for (const char* bad : {"", ".", "0..0", ".0", "0.", "9.99", "0;0", "0\\.0"})
    EXPECT_THROW(Picture::TDBPicture(bad, "x"), Picture::EPictureError) << bad;
  EXPECT_THROW(Picture::PictureOf(static_cast<Picture::TPictType>(7)), Picture::EPictureError);
}

}  // namespace
