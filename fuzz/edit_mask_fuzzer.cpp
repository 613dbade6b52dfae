// The edit-mask engine with any mask and any text: parsing a mask, laying a value into
// it, and a masked edit's typing, deletion and selection. Nothing crashes, and the
// editing model keeps its shape: one code point of edit text per mask position, the
// cursor and the selection inside it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "platform/text/edit_mask.h"
#include "platform/text/utf8.h"

using platform::EditMask;
using platform::MaskedText;

namespace {

void CheckShape(const MaskedText& text) {
  FUZZ_CHECK(platform::utf8::Length(text.EditText()) == text.size());
  FUZZ_CHECK(text.Cursor() <= text.size());
  FUZZ_CHECK(text.SelStart() + text.SelLength() <= text.size());
  FUZZ_CHECK(text.IsComplete() == (text.FirstMissing() < 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string maskText = input.ConsumeRandomLengthString(64);
  const std::string value = input.ConsumeRandomLengthString(128);
  const EditMask mask(maskText);
  platform::FormatMaskText(mask, value);
  platform::MaskTextComplete(mask, value);
  MaskedText text(mask);
  text.SetText(value);
  CheckShape(text);
  while (input.remaining_bytes() > 0) {
    switch (input.ConsumeIntegralInRange(0, 6)) {
      case 0: text.TypeChar(input.ConsumeIntegralInRange<char32_t>(0, 0x10ffff)); break;
      case 1: text.TypeText(input.ConsumeRandomLengthString(8)); break;
      case 2: text.Backspace(); break;
      case 3: text.Delete(); break;
      case 4: text.SetCursor(input.ConsumeIntegralInRange<std::size_t>(0, text.size() + 2)); break;
      case 5:
        text.Select(input.ConsumeIntegralInRange<std::size_t>(0, text.size() + 2),
                    input.ConsumeIntegralInRange<std::size_t>(0, text.size() + 2));
        break;
      case 6: text.SetText(text.Text()); break;
    }
    CheckShape(text);
  }
  platform::FormatMaskText(mask, text.Text());
  return 0;
}
