#include "platform/variant/codec.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/variant/codec_wire.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/encoder.h"
#include "platform/variant/packet_writer.h"
#include "platform/variant/value_extent.h"
#include "platform/variant/variant_decoder.h"

namespace platform {
namespace {

using namespace wire;

// Upper bound of a packet's encoded size, so the output grows once.
std::size_t EncodedSizeBound(const DataPacket& packet) {
  if (const PacketWire* wire = packet.wire()) return wire->bytes.size();
  std::size_t perRow = 5;
  std::size_t text = 0;
  for (std::size_t col = 0; col < packet.columnCount(); ++col) {
    if (packet.columns()[col].type == FieldType::String) {
      perRow += 5;
      text += packet.textBytes(col);
    } else {
      perRow += 10;
    }
  }
  return 64 + packet.columnCount() * 64 + packet.rowCount() * perRow + text;
}

// Upper bound of the packets' share of a value's encoded size, wherever they sit: a
// reply frame holds its packet two arrays deep, and growing the output by doubling
// would copy the packet's bytes over and over.
std::size_t PacketsSizeBound(const Variant& value) {
  if (value.kind() == Variant::Kind::Packet) return EncodedSizeBound(value.asPacket());
  if (value.kind() != Variant::Kind::Array) return 0;
  std::size_t bound = 0;
  for (const Variant& item : value.asArray()) bound += PacketsSizeBound(item);
  return bound;
}

// Reserves the packets' share of the output once, up to `most` bytes, and encodes.
void Encode(const Variant& value, std::string& out, const DecodeLimits* limits, std::size_t most) {
  if (std::size_t bound = PacketsSizeBound(value)) out.reserve(out.size() + std::min(bound, most) + 64);
  Encoder(out, limits).variant(value);
}

}  // namespace

void EncodeVariant(const Variant& value, std::string& out) { Encode(value, out, nullptr, SIZE_MAX); }

void EncodeVariant(const Variant& value, std::string& out, const DecodeLimits& limits) {
  const std::size_t start = out.size();
  try {
    Encode(value, out, &limits, limits.maxTotalBytes);
    if (out.size() - start > limits.maxTotalBytes)
      OverLimit(std::to_string(out.size() - start) + " bytes, máximo " + std::to_string(limits.maxTotalBytes));
  } catch (...) {
    out.resize(start);
    throw;
  }
}

std::string EncodeVariant(const Variant& value) {
  std::string out;
  EncodeVariant(value, out);
  return out;
}

Variant DecodeVariant(std::string_view bytes, const DecodeLimits& limits, std::size_t* decodedBytes) {
  if (bytes.size() > limits.maxTotalBytes)
    OverLimit(std::to_string(bytes.size()) + " bytes, máximo " +
              std::to_string(limits.maxTotalBytes));
  return DecodeWholeValue(bytes, limits, decodedBytes);
}

// Readers call this again as their buffer grows, so the value is first measured by a
// pass that builds nothing, and decoded only once it is all there.
std::size_t TryDecodeVariant(std::string_view bytes, Variant& out, const DecodeLimits& limits) {
  // A value still incomplete within the size limit can only grow past it.
  bool window = bytes.size() >= limits.maxTotalBytes;
  if (window) bytes = bytes.substr(0, limits.maxTotalBytes);
  std::size_t size = MeasureFirstValue(bytes, limits);
  if (size == 0) {
    if (window)
      OverLimit("valor maior que " + std::to_string(limits.maxTotalBytes) + " bytes");
    return 0;
  }
  out = DecodeWholeValue(bytes.substr(0, size), limits);
  return size;
}

}  // namespace platform
