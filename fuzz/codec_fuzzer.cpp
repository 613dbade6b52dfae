// Any bytes given to the MessagePack decoder: a value or EPacketError, never a crash,
// undefined behaviour or an allocation out of proportion to the limits. A value that
// decodes encodes again and decodes back equal, and a stream yields the same values.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/core/exceptions.h"
#include "platform/variant/codec.h"

namespace {

// Small limits, so every limit is met often.
platform::DecodeLimits TightLimits() {
  platform::DecodeLimits limits;
  limits.maxTotalBytes = 1 << 20;
  limits.maxDepth = 12;
  limits.maxStringLength = 4096;
  limits.maxElements = 20'000;
  limits.maxDecodedBytes = 4 << 20;
  return limits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const platform::DecodeLimits limits = TightLimits();

  platform::Variant whole;
  bool decoded = false;
  try {
    whole = platform::DecodeVariant(bytes, limits);
    decoded = true;
  } catch (const platform::EPacketError&) {
  }
  if (decoded) {
    const std::string again = platform::EncodeVariant(whole);
    FUZZ_CHECK(platform::DecodeVariant(again) == whole);
  }

  // The same bytes as a stream of values, one after the other.
  std::string_view rest = bytes;
  try {
    while (!rest.empty()) {
      platform::Variant value;
      const std::size_t used = platform::TryDecodeVariant(rest, value, limits);
      if (used == 0) break;
      FUZZ_CHECK(used <= rest.size());
      if (decoded && rest.size() == bytes.size()) FUZZ_CHECK(used == bytes.size() && value == whole);
      rest.remove_prefix(used);
    }
  } catch (const platform::EPacketError&) {
  }
  return 0;
}
