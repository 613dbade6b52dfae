#pragma once
// The ":NAME" parameter references of a SQL text, for binding by name or rewriting
// into a driver's placeholders ("?", "$1").
//
// A name is a letter or '_' followed by letters, digits and '_'. Texts in single
// quotes, identifiers in double quotes, "--" and "/* */" comments and "::" casts hold
// no parameters.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct SqlParamRef {
  std::string name;    // without the ':'
  std::size_t offset;  // of the ':'
  std::size_t length;  // of ":NAME"
};

// The position just past the quoted text ('...' or "...", a doubled quote staying
// inside) or comment (-- to the end of the line, /* */) starting at sql[pos], or pos
// when none starts there. An unclosed one runs to the end of the text.
std::size_t SkipSqlQuotedOrComment(std::string_view sql, std::size_t pos);

// Every reference, in order; a repeated name appears each time it is used.
std::vector<SqlParamRef> FindSqlParams(std::string_view sql);

// The text with each reference replaced by replacement(index of the reference, name).
std::string ReplaceSqlParams(std::string_view sql,
                             const std::function<std::string(std::size_t, const std::string&)>& replacement);

}  // namespace platform
