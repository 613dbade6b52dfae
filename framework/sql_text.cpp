#include "framework/sql_text.h"

#include <cctype>

#include "platform/data/database_error.h"
#include "platform/data/field_names.h"

namespace framework::sql {

namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Index just past a quoted run that starts at `pos` with `quote` (a doubled quote
// stays inside); the end of the text when it is not closed.
std::size_t SkipQuoted(std::string_view sql, std::size_t pos, char quote) {
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

std::size_t SkipComment(std::string_view sql, std::size_t pos) {
  if (sql.compare(pos, 2, "--") == 0) {
    const std::size_t end = sql.find('\n', pos);
    return end == std::string_view::npos ? sql.size() : end + 1;
  }
  const std::size_t end = sql.find("*/", pos + 2);
  return end == std::string_view::npos ? sql.size() : end + 2;
}

bool StartsComment(std::string_view sql, std::size_t pos) {
  return sql.compare(pos, 2, "--") == 0 || sql.compare(pos, 2, "/*") == 0;
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

void NoteWord(ParsedSql& parsed, std::string_view sql, std::size_t pos, std::size_t& end) {
  end = pos;
  while (end < sql.size() && IsNameChar(sql[end])) ++end;
  if (parsed.firstWord.empty())
    for (std::size_t i = pos; i < end; ++i) parsed.firstWord += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i])));
}

}  // namespace

ParsedSql ParseSql(std::string_view sql, const std::function<std::string(int index)>& placeholder) {
  ParsedSql parsed;
  std::size_t pos = 0;
  while (pos < sql.size()) {
    const char c = sql[pos];
    std::size_t next = pos + 1;
    if (c == '\'' || c == '"') {
      next = SkipQuoted(sql, pos, c);
    } else if (StartsComment(sql, pos)) {
      next = SkipComment(sql, pos);
    } else if (c == ':' && pos + 1 < sql.size() && sql[pos + 1] == ':') {
      next = pos + 2;
    } else if (c == ':' && pos + 1 < sql.size() && IsNameStart(sql[pos + 1])) {
      next = pos + 1;
      while (next < sql.size() && IsNameChar(sql[next])) ++next;
      std::string name(sql.substr(pos + 1, next - pos - 1));
      parsed.occurrences.push_back(name);
      bool known = false;
      for (const std::string& seen : parsed.names) known = known || platform::SameFieldName(seen, name);
      if (!known) parsed.names.push_back(name);
      parsed.text += placeholder(static_cast<int>(parsed.occurrences.size()));
      pos = next;
      continue;
    } else if (c == ';') {
      if (!OnlyTrailing(sql, pos)) parsed.severalStatements = true;
    } else if (IsNameStart(c)) {
      NoteWord(parsed, sql, pos, next);
    }
    parsed.text.append(sql.substr(pos, next - pos));
    pos = next;
  }
  return parsed;
}

void CheckReadOnlyStatement(const ParsedSql& parsed) {
  if (parsed.severalStatements)
    throw platform::EDatabaseError("Consulta recusada: informe um único comando SQL.");
  if (parsed.firstWord != "SELECT" && parsed.firstWord != "WITH")
    throw platform::EDatabaseError(
        "Consulta recusada: a conexão de consulta é somente leitura e aceita apenas SELECT" +
        (parsed.firstWord.empty() ? std::string(".") : " (recebido " + parsed.firstWord + ")."));
}

}  // namespace framework::sql
