// Reading query texts: parameters found only where they are parameters, each
// occurrence its own placeholder, and the read-only statement check.
#include "framework/sql_text.h"

#include <gtest/gtest.h>

#include "platform/data/database_error.h"

namespace {

using framework::sql::ParseSql;

std::string Dollar(int index) { return "$" + std::to_string(index); }

TEST(ParseSql, EachOccurrenceGetsItsOwnPlaceholder) {
  const auto parsed = ParseSql("SELECT 1 WHERE ((:P_T = 'T') OR (:P_CD = X) OR (:p_t = 'S'))", Dollar);
  EXPECT_EQ(parsed.text, "SELECT 1 WHERE (($1 = 'T') OR ($2 = X) OR ($3 = 'S'))");
  EXPECT_EQ(parsed.occurrences, (std::vector<std::string>{"P_T", "P_CD", "p_t"}));
  EXPECT_EQ(parsed.names, (std::vector<std::string>{"P_T", "P_CD"}));
}

TEST(ParseSql, LiteralsCommentsAndCastsAreNotParameters) {
  const auto parsed = ParseSql(
      "SELECT ':NOT1', \"col:NOT2\", 'it''s :NOT3', x::text -- :NOT4\n"
      "/* :NOT5 */ FROM T WHERE a = :REAL",
      Dollar);
  EXPECT_EQ(parsed.names, (std::vector<std::string>{"REAL"}));
  EXPECT_NE(parsed.text.find("x::text"), std::string::npos);
  EXPECT_NE(parsed.text.find("a = $1"), std::string::npos);
}

TEST(ParseSql, UnclosedLiteralSwallowsTheRest) {
  const auto parsed = ParseSql("SELECT 'abc :P1", Dollar);
  EXPECT_TRUE(parsed.names.empty());
}

TEST(ParseSql, ColonWithoutANameStaysText) {
  const auto parsed = ParseSql("SELECT '10:30', 1 : 2, :1 FROM T", Dollar);
  EXPECT_TRUE(parsed.names.empty());
  EXPECT_EQ(parsed.text, "SELECT '10:30', 1 : 2, :1 FROM T");
}

TEST(CheckReadOnlyStatement, ReadsPassEverythingElseIsRefused) {
  for (const char* sql : {"SELECT 1", "  select 1;", "(SELECT 1)", "-- note\nSELECT 1", "/* x */ WITH a AS (SELECT 1) SELECT * FROM a"})
    EXPECT_NO_THROW(framework::sql::CheckReadOnlyStatement(ParseSql(sql, Dollar))) << sql;
  for (const char* sql : {"INSERT INTO T VALUES (1)", "UPDATE T SET A = 1", "DELETE FROM T", "DROP TABLE T",
                          "PRAGMA query_only = OFF", "ATTACH 'x.db' AS x", "SELECT 1; DROP TABLE T",
                          "SELECT 1; -- fine\n DELETE FROM T", "", "   ", "VACUUM"})
    EXPECT_THROW(framework::sql::CheckReadOnlyStatement(ParseSql(sql, Dollar)), platform::EDatabaseError) << sql;
}

TEST(CheckReadOnlyStatement, SemicolonInsideALiteralIsNotASecondStatement) {
  EXPECT_NO_THROW(framework::sql::CheckReadOnlyStatement(ParseSql("SELECT 'a; DROP TABLE T' ;  ", Dollar)));
}

}  // namespace
