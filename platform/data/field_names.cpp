#include "platform/data/field_names.h"

#include "platform/text/ascii_text.h"

namespace platform {

bool SameFieldName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

std::vector<std::string> SplitFieldNames(std::string_view names) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= names.size()) {
    std::size_t end = names.find(';', start);
    if (end == std::string_view::npos) end = names.size();
    const std::string_view name = TrimBlanks(names.substr(start, end - start));
    if (!name.empty()) out.emplace_back(name);
    start = end + 1;
  }
  return out;
}

int FindColumn(const std::vector<ColumnDef>& columns, std::string_view name) {
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (SameFieldName(columns[i].name, name)) return static_cast<int>(i);
  return -1;
}

}  // namespace platform
