#pragma once
// Reading the SQL text of a read-only query: named parameters (":P_CDARVPROD") and
// the checks made before anything reaches the database.
//
// ParseSql walks the text once, skipping string literals ('...' with '' inside),
// quoted identifiers ("..."), line comments (-- ...) and block comments (/* ... */),
// and PostgreSQL casts (::). Every other ":name" is a parameter occurrence; each
// occurrence becomes its own placeholder (placeholder(1), placeholder(2), ...), so a
// parameter used twice is bound twice. Values never enter the text.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace framework::sql {

struct ParsedSql {
  std::string text;                      // the SQL with placeholders instead of names
  std::vector<std::string> occurrences;  // parameter name of each placeholder, in order
  std::vector<std::string> names;        // distinct names (case ignored), in order of first use
  std::string firstWord;                 // first keyword, upper case ("SELECT")
  bool severalStatements = false;        // a ";" outside literals is followed by more text
};

ParsedSql ParseSql(std::string_view sql, const std::function<std::string(int index)>& placeholder);

// Raises platform::EDatabaseError unless the text is one statement that reads: it
// must begin with SELECT or WITH (the connection itself refuses any write as well).
void CheckReadOnlyStatement(const ParsedSql& parsed);

}  // namespace framework::sql
