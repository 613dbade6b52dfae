// The ":NAME" finder of the read-only queries with any SQL text: every reference it
// reports lies in the text, in order, names what follows its ':', and rewriting each
// reference as itself gives the text back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/data/sql_params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view sql(reinterpret_cast<const char*>(data), size);
  const auto refs = platform::FindSqlParams(sql);
  std::size_t after = 0;
  for (const auto& ref : refs) {
    FUZZ_CHECK(ref.offset >= after && ref.length >= 2 && ref.offset + ref.length <= sql.size());
    FUZZ_CHECK(sql[ref.offset] == ':' && sql.substr(ref.offset + 1, ref.length - 1) == ref.name);
    after = ref.offset + ref.length;
  }
  std::size_t calls = 0;
  const std::string same = platform::ReplaceSqlParams(sql, [&](std::size_t index, const std::string& name) {
    FUZZ_CHECK(index == calls++ && index < refs.size() && name == refs[index].name);
    return ":" + name;
  });
  FUZZ_CHECK(same == sql && calls == refs.size());
  for (std::size_t pos = 0; pos < sql.size(); pos += 1 + pos / 4) {
    const std::size_t end = platform::SkipSqlQuotedOrComment(sql, pos);
    FUZZ_CHECK(end >= pos && end <= sql.size());
  }
  return 0;
}
