#pragma once
// The shape of the SQL text of a read-only query, checked before anything reaches the
// database: its first keyword and whether more than one statement follows. String
// literals ('...' with '' inside), quoted identifiers ("...") and comments (-- and
// /* */) are skipped. Parameters are found by platform/data/sql_params.h.
#include <string>
#include <string_view>

namespace framework::sql {

struct StatementShape {
  std::string firstWord;           // first keyword, upper case ("SELECT"); "" when none
  bool severalStatements = false;  // a ";" outside literals is followed by more text
};

StatementShape ReadStatementShape(std::string_view sql);

// Whether `name` is a plain SQL name: a letter or '_', then letters, digits and '_'.
// Only such names (of tables and columns) are ever written into SQL text.
bool IsSqlName(std::string_view name);

// Raises platform::EDatabaseError unless the text is one statement that reads: it
// must begin with SELECT or WITH (the connection itself refuses any write as well).
void CheckReadOnlyStatement(std::string_view sql);

}  // namespace framework::sql
