// Date and number texts as people type them (pt-BR: "31/12/2026 10:30", "1.234,5"):
// any text is read or refused, never a crash. What is read is a valid date or a
// finite number, and the texts the system writes read back to the same value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/text/date_time.h"
#include "platform/text/float_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  if (auto date = platform::TryStrToDateTime(text)) {
    FUZZ_CHECK(platform::IsValidDateTime(*date));
    const std::string shown = platform::DateTimeToStr(*date);
    auto again = platform::TryStrToDateTime(shown);
    FUZZ_CHECK(again && platform::DateTimeToStr(*again) == shown);
    FUZZ_CHECK(platform::TryISOToDateTime(platform::DateTimeToISO(*date)).has_value());
  }
  if (auto iso = platform::TryISOToDateTime(text)) FUZZ_CHECK(platform::IsValidDateTime(*iso));

  if (auto number = platform::TryStrToFloat(text)) {
    FUZZ_CHECK(std::isfinite(*number));
    auto again = platform::TryStrToFloat(platform::FloatToStr(*number));
    FUZZ_CHECK(again && *again == *number);
    platform::FormatFloat("###,#0.000", *number);
  }
  // The text as a display format, on an ordinary value and on awkward ones.
  for (double value : {1234.5, -0.0005, 1e300}) platform::FormatFloat(text, value);
  return 0;
}
