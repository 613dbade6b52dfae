#pragma once
// Decoding of the first variant of a byte range, with msgpack's event parser: each
// event goes straight into the value being built (rows of a packet straight into its
// columns), with no intermediate object tree and no recursion, so depth is bounded only
// by DecodeLimits. Internal to the codec; codec.h holds the public interface.
#include <cstddef>
#include <string_view>

#include "platform/variant/codec.h"

namespace platform::wire {

struct DecodeOutcome {
  bool complete = false;   // false: the bytes hold only the beginning of a value
  std::size_t consumed = 0;
  Variant value;
};

// `streaming`: the bytes may be the beginning of a longer stream, so a value that runs
// past their end is reported incomplete instead of malformed. Raises EPacketError on
// malformed bytes and on any limit exceeded (counts before anything is reserved for
// them).
DecodeOutcome DecodeFirst(std::string_view bytes, const DecodeLimits& limits, bool streaming);

}  // namespace platform::wire
