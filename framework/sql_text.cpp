#include "framework/sql_text.h"

#include <cctype>

#include "platform/data/database_error.h"
#include "platform/data/sql_params.h"

namespace framework::sql {

namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool IsQuote(char c) { return c == '\'' || c == '"'; }

// Whether only blanks, comments and ";" follow `pos`.
bool OnlyTrailing(std::string_view sql, std::size_t pos) {
  while (pos < sql.size()) {
    if (IsSpace(sql[pos]) || sql[pos] == ';') {
      ++pos;
      continue;
    }
    const std::size_t skipped = platform::SkipSqlQuotedOrComment(sql, pos);
    if (skipped == pos || IsQuote(sql[pos])) return false;  // more text, not a comment
    pos = skipped;
  }
  return true;
}

}  // namespace

StatementShape ReadStatementShape(std::string_view sql) {
  StatementShape shape;
  std::size_t pos = 0;
  while (pos < sql.size()) {
    const char c = sql[pos];
    if (const std::size_t skipped = platform::SkipSqlQuotedOrComment(sql, pos); skipped != pos) {
      pos = skipped;
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

bool IsSqlName(std::string_view name) {
  if (name.empty() || !IsNameStart(name.front())) return false;
  for (char c : name)
    if (!IsNameChar(c)) return false;
  return true;
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
