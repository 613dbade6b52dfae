// Tabvalid.ValidEx: codes checked against the product picture.
#include "contracts/framework/tabvalid.h"

#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using Picture::ptProduto;
using Tabvalid::EInvalidCode;
using Tabvalid::ValidEx;

std::string Refusal(std::string code, Tabvalid::TValidOptions options = 0) {
  try {
    ValidEx(nullptr, ptProduto, code, options, "", true);
  } catch (const EInvalidCode& error) {
    return error.what();
  }
  return "";
}

TEST(ValidEx, CodesOfEveryLevelPassAndAreNormalised) {
  for (const auto& [typed, stored] : std::vector<std::pair<std::string, std::string>>{
           {"1", "1"}, {"101", "101"}, {"101001", "101001"}, {"1.01.001", "101001"}, {"101001   ", "101001"},
           {"  1.01", "101"}}) {
    std::string code = typed;
    EXPECT_TRUE(ValidEx(nullptr, ptProduto, code, 0, "", true)) << typed;
    EXPECT_EQ(code, stored) << typed;
  }
}

TEST(ValidEx, WrongCharactersAreRefusedWithAClearText) {
  for (const char* code : {"10a001", "1-01-001", "1 01001", "１01001", "10100.1x"}) {
    const std::string message = Refusal(code);
    EXPECT_NE(message.find("somente dígitos"), std::string::npos) << code << ": " << message;
    EXPECT_NE(message.find(code), std::string::npos) << message;
  }
}

TEST(ValidEx, LengthsOfNoLevelAreRefused) {
  for (const char* code : {"10", "1010", "10100", "1010011", "1010010000"}) {
    const std::string message = Refusal(code);
    EXPECT_NE(message.find("1, 3 ou 6 dígitos"), std::string::npos) << code << ": " << message;
  }
}

TEST(ValidEx, RefusedCodeIsLeftAsTyped) {
  std::string code = "1.0a";
  EXPECT_THROW(ValidEx(nullptr, ptProduto, code, 0, "", true), EInvalidCode);
  EXPECT_EQ(code, "1.0a");
  EXPECT_FALSE(ValidEx(nullptr, ptProduto, code, 0, "", false));
  EXPECT_EQ(code, "1.0a");
}

TEST(ValidEx, EmptyCodeNeedsItsOption) {
  EXPECT_NE(Refusal("   ").find("deve ser informado"), std::string::npos);
  std::string code = "   ";
  EXPECT_TRUE(ValidEx(nullptr, ptProduto, code, Tabvalid::voEmptyAllowed, "", true));
  EXPECT_EQ(code, "");
}

TEST(ValidEx, LastLevelOptionRefusesGroups) {
  EXPECT_NE(Refusal("101", Tabvalid::voLastLevel).find("último nível"), std::string::npos);
  EXPECT_EQ(Refusal("101001", Tabvalid::voLastLevel), "");
}

TEST(ValidEx, WithADataSourceTheCodeMustBeRegistered) {
  platform::TClientDataSet products;
  products.SetData(vqr::test::MakePacket({{"CDARVPROD", platform::FieldType::String, 20}},
                                         {{platform::Variant("101001")}, {platform::Variant("101002")}}));
  platform::TDataSource source;
  source.SetDataSet(&products);
  std::string code = "1.01.002";
  EXPECT_TRUE(ValidEx(&source, ptProduto, code, 0, "CDARVPROD", true));
  EXPECT_EQ(products.FieldByName("CDARVPROD").AsString(), "101002");
  code = "101003";
  try {
    ValidEx(&source, ptProduto, code, 0, "", true);
    ADD_FAILURE();
  } catch (const EInvalidCode& error) {
    EXPECT_NE(std::string(error.what()).find("não cadastrado"), std::string::npos);
  }
}

}  // namespace
