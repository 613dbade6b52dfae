#pragma once
// MessagePack encoding of variants and data packets, the bytes that remote calls carry.
//
// Layout:
//   Empty     ext type 0, no payload          Null     nil
//   Bool      bool                             Integer  int (smallest form)
//   Double    float64, always (a whole 3.0 stays a double); finite only: NaN and the
//             infinities are no value of this system (no price, no date), so neither
//             side encodes nor decodes them
//   String    str (UTF-8)                      DateTime ext type 1: float64 big-endian,
//                                                       days since 30/12/1899
//   Array     array of variants
//   Packet    map {"columns": [[name, type, size], ...], "rows": [[cell, ...], ...]}
//             and for a delta packet also "changes": [[kind, [original...] or nil], ...],
//             one entry per row (kind 1 inserted, 2 modified, 3 deleted).
// Variants have no map kind, so a map on the wire is always a packet. Packets are
// written with "columns" first and "changes" before "rows", so a reader can put each
// row straight into its columns; any key order is read. Cells are nil or their column's
// kind (an integer that a double holds exactly is read into a Float column). Dates must
// lie from 01/01/0001 to 31/12/9999; texts must be valid UTF-8.
//
// Decoding checks every limit before allocating for it and raises EPacketError with a
// clear text on truncated, malformed or oversized input ("Pacote de dados malformado:
// ...", "... incompleto: ...", "... excede o limite: ..."). A count larger than the
// bytes at hand could hold is refused at once (on a stream: waits for more bytes,
// reserving nothing for it). A text's length is checked once its bytes have arrived.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/variant/variant.h"

namespace platform {

struct DecodeLimits {
  std::size_t maxTotalBytes = 256u << 20;  // whole encoded value
  std::size_t maxDepth = 32;               // nesting of arrays, packets and rows
  std::size_t maxStringLength = 16u << 20; // one string
  std::size_t maxElements = 50'000'000;    // array items, packet columns, rows and cells, in total
  // Heap bytes the decoded value may take, as the decoder estimates them while it
  // builds (a variant per array item, a cell per packet cell, the bytes of each text);
  // checked before each container reserves its room.
  std::size_t maxDecodedBytes = SIZE_MAX;
};

// Appends the encoding of `value` to `out`. Raises EPacketError for a date outside the
// range above.
void EncodeVariant(const Variant& value, std::string& out);
std::string EncodeVariant(const Variant& value);
// The same, refusing (EPacketError, `out` as it was) an encoding that a reader holding
// to `limits` would refuse from its headers alone: over the total bytes, the nesting,
// a string's length or the element count (each container's items, a map's entries
// twice). For checking a frame while it is written rather than by a second pass.
void EncodeVariant(const Variant& value, std::string& out, const DecodeLimits& limits);

// Decodes exactly one value filling all of `bytes`. With `decodedBytes`, also tells
// the estimated heap bytes the value takes (the measure of maxDecodedBytes).
Variant DecodeVariant(std::string_view bytes, const DecodeLimits& limits = {},
                      std::size_t* decodedBytes = nullptr);

// Decodes the first value of a stream. Returns the number of bytes it took, or 0 when
// `bytes` holds only the beginning of a value (read more and call again). Raises
// EPacketError when the bytes are malformed or over a limit.
std::size_t TryDecodeVariant(std::string_view bytes, Variant& out, const DecodeLimits& limits = {});

}  // namespace platform
