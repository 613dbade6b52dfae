// Query parameters by name and the ":NAME" references of SQL texts.
#include <gtest/gtest.h>

#include "platform/data/database_error.h"
#include "platform/data/params.h"
#include "platform/data/sql_params.h"

namespace {

using namespace platform;

constexpr const char* kFactorQuery =
    "SELECT F.CDFATPRECO,F.SGFATPRECO,F.NMFATPRECO\nFROM FATORPRECO F\nWHERE\n"
    "   ((:P_TCDFATPRECO = 'T')OR(:P_SGFATPRECO = F.SGFATPRECO))\nORDER BY F.SGFATPRECO";

TEST(SqlParams, FindsEveryReferenceInOrder) {
  const auto refs = FindSqlParams(kFactorQuery);
  ASSERT_EQ(refs.size(), 2u);
  EXPECT_EQ(refs[0].name, "P_TCDFATPRECO");
  EXPECT_EQ(std::string_view(kFactorQuery).substr(refs[0].offset, refs[0].length), ":P_TCDFATPRECO");
  EXPECT_EQ(refs[1].name, "P_SGFATPRECO");
}

TEST(SqlParams, SkipsQuotesCommentsAndCasts) {
  const auto refs = FindSqlParams(
      "SELECT ':NAO', \"col:nao\", x::text, 'it''s :nao' -- :nao\n/* :nao */ FROM T WHERE A = :SIM AND B=:sim2");
  ASSERT_EQ(refs.size(), 2u);
  EXPECT_EQ(refs[0].name, "SIM");
  EXPECT_EQ(refs[1].name, "sim2");
  EXPECT_TRUE(FindSqlParams("SELECT 1 WHERE ':").empty());
  EXPECT_TRUE(FindSqlParams("SELECT :1, : x").empty());
  EXPECT_TRUE(FindSqlParams("SELECT 'unterminated :X").empty());
}

TEST(SqlParams, RewritesReferencesIntoPlaceholders) {
  const std::string sql = ReplaceSqlParams(kFactorQuery, [](std::size_t i, const std::string&) {
    return "$" + std::to_string(i + 1);
  });
  EXPECT_NE(sql.find("(($1 = 'T')OR($2 = F.SGFATPRECO))"), std::string::npos) << sql;
  EXPECT_EQ(ReplaceSqlParams("A=:X OR B=:X", [](std::size_t, const std::string& n) { return "@" + n; }),
            "A=@X OR B=@X");
}

TEST(Params, ParseSQLDeclaresWhatTheTextUses) {
  TParams params;
  params.CreateParam("VELHO").SetAsString("x");
  params.CreateParam("p_sgfatpreco").SetAsString("MKP");
  params.ParseSQL(kFactorQuery);
  ASSERT_EQ(params.Count(), 2);
  EXPECT_EQ(params[0].Name(), "P_TCDFATPRECO");
  EXPECT_TRUE(params[0].IsNull());
  EXPECT_EQ(params.ParamByName("P_SGFATPRECO").AsString(), "MKP");  // kept with its value
  EXPECT_EQ(params.FindParam("VELHO"), nullptr);
}

TEST(Params, ByNameIgnoringCaseAndRefusingUnknownNames) {
  TParams params;
  params.CreateParam("P_CDARVPRODINI");
  params.ParamByName("p_cdarvprodini").SetAsString("101");
  EXPECT_EQ(params.ParamByName("P_CDARVPRODINI").AsString(), "101");
  EXPECT_THROW(params.CreateParam("P_CDARVPRODINI"), EDatabaseError);
  try {
    params.ParamByName("P_LISTACLIENTES");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Parâmetro 'P_LISTACLIENTES' não encontrado");
  }
}

TEST(Params, ValuesConvertLikeFields) {
  TParam p("X");
  EXPECT_TRUE(p.IsNull());
  EXPECT_EQ(p.AsString(), "");
  EXPECT_EQ(p.AsFloat(), 0);
  p.SetAsString("1.234,5");
  EXPECT_EQ(p.AsFloat(), 1234.5);
  EXPECT_EQ(p.AsInteger(), 1235);
  p.SetAsFloat(2.5);
  EXPECT_EQ(p.AsString(), "2,5");
  EXPECT_EQ(p.DataType(), FieldType::Float);
  p.SetAsString("31/12/2026");
  EXPECT_EQ(p.AsDateTime().value, EncodeDate(2026, 12, 31).value);
  p.SetAsString("");
  EXPECT_FALSE(p.IsNull());  // an empty text is a value ("" is not "no list")
  p.SetValue(Variant());
  EXPECT_TRUE(p.IsNull());
  p.SetAsString("abc");
  EXPECT_THROW(p.AsFloat(), EConvertError);
}

}  // namespace
