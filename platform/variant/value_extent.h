#pragma once
// Finding where the first value of a stream ends, without building it: a cheap pass
// that lets a reader retry on a growing buffer without decoding it again each time.
// Internal to the codec.
#include <cstddef>
#include <string_view>

#include "platform/variant/codec.h"

namespace platform::wire {

// The size of the first value of `bytes`, or 0 when they hold only its beginning.
// Raises EPacketError on bytes that are not MessagePack and on counts, depth or texts
// over the limits.
std::size_t MeasureFirstValue(std::string_view bytes, const DecodeLimits& limits);

}  // namespace platform::wire
