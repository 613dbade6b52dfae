// A byte stream cut into call frames: whatever the bytes and however they are split
// into reads, the reader gives the same frames and the same errors, and never more
// than its limits allow.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/net/frame_reader.h"

namespace {

struct Event {
  std::optional<platform::Variant> frame;  // or an error:
  std::optional<std::uint32_t> msgid;
  bool streamLost = false;
  bool operator==(const Event& other) const {
    return frame == other.frame && msgid == other.msgid && streamLost == other.streamLost;
  }
};

platform::DecodeLimits TightLimits() {
  platform::DecodeLimits limits = platform::RpcDecodeLimits();
  limits.maxTotalBytes = 64 * 1024;
  limits.maxDepth = 8;
  limits.maxStringLength = 2048;
  limits.maxElements = 4096;
  return limits;
}

// Takes every frame the reader has; false once the stream is lost.
bool Drain(platform::RpcFrameReader& reader, std::size_t allowance, std::vector<Event>& events) {
  for (;;) {
    try {
      auto frame = reader.next(allowance);
      if (!frame) return true;
      FUZZ_CHECK(frame->decodedBytes <= allowance);
      events.push_back({frame->value, frame->msgid, false});
    } catch (const platform::EFrameError& e) {
      events.push_back({std::nullopt, e.msgid(), e.streamLost()});
      if (e.streamLost()) return false;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t allowance = input.ConsumeIntegralInRange<std::size_t>(1024, 1 << 20);
  std::vector<std::size_t> cuts;
  for (int i = 0; i < 8; ++i) cuts.push_back(input.ConsumeIntegralInRange<std::size_t>(1, 64));
  const std::string stream = input.ConsumeRemainingBytesAsString();

  std::vector<Event> atOnce, inPieces;
  platform::RpcFrameReader whole(TightLimits());
  whole.append(stream);
  Drain(whole, allowance, atOnce);

  platform::RpcFrameReader split(TightLimits());
  std::size_t at = 0, cut = 0;
  while (at < stream.size()) {
    const std::size_t length = std::min(cuts[cut++ % cuts.size()], stream.size() - at);
    FUZZ_CHECK(split.bytesHeldToAppend(length) >= split.heldBytes());
    split.append(std::string_view(stream).substr(at, length));
    at += length;
    if (!Drain(split, allowance, inPieces)) break;
  }
  FUZZ_CHECK(atOnce == inPieces);
  return 0;
}
