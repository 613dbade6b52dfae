#include "platform/data/sql_params.h"

namespace platform {
namespace {

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

}  // namespace

std::size_t SkipSqlQuotedOrComment(std::string_view sql, std::size_t i) {
  const char c = sql[i];
  if (c == '\'' || c == '"') {
    std::size_t j = i + 1;
    while (j < sql.size()) {
      if (sql[j] == c) {
        if (j + 1 < sql.size() && sql[j + 1] == c) {
          j += 2;  // doubled quote inside the text
          continue;
        }
        return j + 1;
      }
      ++j;
    }
    return sql.size();
  }
  if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
    const std::size_t end = sql.find('\n', i);
    return end == std::string_view::npos ? sql.size() : end + 1;
  }
  if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
    const std::size_t end = sql.find("*/", i + 2);
    return end == std::string_view::npos ? sql.size() : end + 2;
  }
  return i;
}

std::vector<SqlParamRef> FindSqlParams(std::string_view sql) {
  std::vector<SqlParamRef> refs;
  std::size_t i = 0;
  while (i < sql.size()) {
    const std::size_t skipped = SkipSqlQuotedOrComment(sql, i);
    if (skipped != i) {
      i = skipped;
      continue;
    }
    if (sql[i] == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
      i += 2;  // a cast
      continue;
    }
    if (sql[i] == ':' && i + 1 < sql.size() && IsNameStart(sql[i + 1])) {
      std::size_t end = i + 1;
      while (end < sql.size() && IsNameChar(sql[end])) ++end;
      refs.push_back(SqlParamRef{std::string(sql.substr(i + 1, end - i - 1)), i, end - i});
      i = end;
      continue;
    }
    ++i;
  }
  return refs;
}

std::string ReplaceSqlParams(std::string_view sql,
                             const std::function<std::string(std::size_t, const std::string&)>& replacement) {
  std::string out;
  std::size_t last = 0;
  const std::vector<SqlParamRef> refs = FindSqlParams(sql);
  for (std::size_t k = 0; k < refs.size(); ++k) {
    out.append(sql.substr(last, refs[k].offset - last));
    out += replacement(k, refs[k].name);
    last = refs[k].offset + refs[k].length;
  }
  out.append(sql.substr(last));
  return out;
}

}  // namespace platform
