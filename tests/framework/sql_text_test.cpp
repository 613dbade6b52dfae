// The read-only statement check: one statement that reads, whatever literals and
// comments hold.
#include "framework/sql_text.h"

#include <gtest/gtest.h>

#include "platform/data/database_error.h"

namespace {

using framework::sql::CheckReadOnlyStatement;
using framework::sql::ReadStatementShape;

TEST(StatementShape, FirstKeywordSkipsCommentsAndParentheses) {
  EXPECT_EQ(ReadStatementShape("-- note\n/* DELETE */ (select 1)").firstWord, "SELECT");
  EXPECT_EQ(ReadStatementShape("'DELETE' SELECT").firstWord, "SELECT");
  EXPECT_EQ(ReadStatementShape("").firstWord, "");
}

TEST(CheckReadOnlyStatement, ReadsPassEverythingElseIsRefused) {
  for (const char* sql : {"SELECT 1", "  select 1;", "(SELECT 1)", "-- note\nSELECT 1",
                          "/* x */ WITH a AS (SELECT 1) SELECT * FROM a", "SELECT 1 ; -- end\n ;"})
    EXPECT_NO_THROW(CheckReadOnlyStatement(sql)) << sql;
  for (const char* sql : {"INSERT INTO T VALUES (1)", "UPDATE T SET A = 1", "DELETE FROM T", "DROP TABLE T",
                          "PRAGMA query_only = OFF", "ATTACH 'x.db' AS x", "SELECT 1; DROP TABLE T",
                          "SELECT 1; -- fine\n DELETE FROM T", "", "   ", "VACUUM", "COPY T TO '/tmp/x'",
                          "SET TRANSACTION READ WRITE"})
    EXPECT_THROW(CheckReadOnlyStatement(sql), platform::EDatabaseError) << sql;
}

TEST(CheckReadOnlyStatement, SemicolonInsideALiteralOrCommentIsNotASecondStatement) {
  EXPECT_NO_THROW(CheckReadOnlyStatement("SELECT 'a; DROP TABLE T' ;  "));
  EXPECT_NO_THROW(CheckReadOnlyStatement("SELECT \"a;b\" FROM T /* ; DELETE */"));
  EXPECT_NO_THROW(CheckReadOnlyStatement("SELECT 1 -- ; DELETE FROM T"));
}

TEST(CheckReadOnlyStatement, UnclosedLiteralHidesNothing) {
  EXPECT_NO_THROW(CheckReadOnlyStatement("SELECT 'abc; DELETE FROM T"));  // the database refuses the text
}

}  // namespace
