#include "framework/sql_text.h"

#include <cctype>

#include "platform/data/database_error.h"

namespace framework::sql {

namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Index just past a quoted run that starts at `pos` (a doubled quote stays inside);
// the end of the text when it is not closed.
std::size_t SkipQuoted(std::string_view sql, std::size_t pos) {
  const char quote = sql[pos];
  for (std::size_t i = pos + 1; i < sql.size(); ++i) {
    if (sql[i] != quote) continue;
    if (i + 1 < sql.size() && sql[i + 1] == quote) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return sql.size();
}

bool StartsComment(std::string_view sql, std::size_t pos) {
  return sql.compare(pos, 2, "--") == 0 || sql.compare(pos, 2, "/*") == 0;
}

std::size_t SkipComment(std::string_view sql, std::size_t pos) {
  if (sql.compare(pos, 2, "--") == 0) {
    const std::size_t end = sql.find('\n', pos);
    return end == std::string_view::npos ? sql.size() : end + 1;
  }
  const std::size_t end = sql.find("*/", pos + 2);
  return end == std::string_view::npos ? sql.size() : end + 2;
}

// Whether only blanks, comments and ";" follow `pos`.
bool OnlyTrailing(std::string_view sql, std::size_t pos) {
  while (pos < sql.size()) {
    if (IsSpace(sql[pos]) || sql[pos] == ';')
      ++pos;
    else if (StartsComment(sql, pos))
      pos = SkipComment(sql, pos);
    else
      return false;
  }
  return true;
}

}  // namespace

StatementShape ReadStatementShape(std::string_view sql) {
  StatementShape shape;
  std::size_t pos = 0;
  while (pos < sql.size()) {
    const char c = sql[pos];
    if (c == '\'' || c == '"') {
      pos = SkipQuoted(sql, pos);
    } else if (StartsComment(sql, pos)) {
      pos = SkipComment(sql, pos);
    } else if (c == ';') {
      if (!OnlyTrailing(sql, pos)) shape.severalStatements = true;
      ++pos;
    } else if (IsNameStart(c)) {
      std::size_t end = pos;
      while (end < sql.size() && IsNameChar(sql[end])) ++end;
      if (shape.firstWord.empty())
        for (std::size_t i = pos; i < end; ++i)
          shape.firstWord += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i])));
      pos = end;
    } else {
      ++pos;
    }
  }
  return shape;
}

void CheckReadOnlyStatement(std::string_view sql) {
  const StatementShape shape = ReadStatementShape(sql);
  if (shape.severalStatements)
    throw platform::EDatabaseError("Consulta recusada: informe um único comando SQL.");
  if (shape.firstWord != "SELECT" && shape.firstWord != "WITH")
    throw platform::EDatabaseError(
        "Consulta recusada: a conexão de consulta é somente leitura e aceita apenas SELECT" +
        (shape.firstWord.empty() ? std::string(".") : " (recebido " + shape.firstWord + ")."));
}

}  // namespace framework::sql
