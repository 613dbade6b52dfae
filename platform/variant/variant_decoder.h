#pragma once
// Decoding of the first variant of a byte range, with msgpack's event parser: each
// event goes straight into the value being built (rows of a packet straight into its
// columns), with no intermediate object tree and no recursion, so depth is bounded only
// by DecodeLimits. Internal to the codec; codec.h holds the public interface.
#include <string_view>

#include "platform/variant/codec.h"

namespace platform::wire {

// Decodes the one value that fills `bytes`. Raises EPacketError on truncated, malformed
// or trailing bytes and on any limit exceeded (counts before anything is reserved for
// them). The caller checks the total size. Sets `decodedBytes`, when given, to the
// estimated heap bytes of the value.
Variant DecodeWholeValue(std::string_view bytes, const DecodeLimits& limits, std::size_t* decodedBytes = nullptr);

}  // namespace platform::wire
