#include "platform/variant/codec.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <msgpack.hpp>

#include "platform/variant/codec_wire.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/value_extent.h"
#include "platform/variant/variant_decoder.h"

namespace platform {
namespace {

using namespace wire;

// The packer writes straight into the caller's string.
struct StringSink {
  std::string& out;
  void write(const char* data, std::size_t size) { out.append(data, size); }
};

class Encoder {
 public:
  // With limits, refuses what a reader holding to them would refuse while scanning
  // the frame's headers (rpc frame_reader.h), counted the same way: every container's
  // items (a map's entries twice) against the elements, open non-empty containers
  // against the depth, each text against the string length.
  explicit Encoder(std::string& out, const DecodeLimits* limits = nullptr)
      : sink_{out}, packer_(sink_), limits_(limits) {}

  void variant(const Variant& value);
  void packet(const DataPacket& packet);

 private:
  void float64(double value);
  void dateTime(TDateTime value);
  void text(std::string_view value);
  // A container being written: counted against the limits as it opens, and closed
  // (one level less deep) when the guard ends.
  class [[nodiscard]] Container {
   public:
    Container(Encoder& encoder, std::size_t items) : encoder_(encoder), nested_(encoder.open(items)) {}
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;
    ~Container() {
      if (nested_) --encoder_.depth_;
    }

   private:
    Encoder& encoder_;
    bool nested_;
  };
  bool open(std::size_t items);
  Container arrayHeader(std::size_t count);
  Container mapHeader(std::size_t entries);
  void columns(const DataPacket& packet);
  void changes(const DataPacket& packet);
  void rows(const DataPacket& packet);
  void cell(const DataPacket& packet, std::size_t row, std::size_t col, FieldType type);

  StringSink sink_;
  msgpack::packer<StringSink> packer_;
  const DecodeLimits* limits_;
  std::size_t elements_ = 0;
  std::size_t depth_ = 0;
};

// Counts a container about to be written against the limits; true when it opens a
// level of nesting that its guard must close.
bool Encoder::open(std::size_t items) {
  if (!limits_ || items == 0) return false;
  if (depth_ + 1 > limits_->maxDepth)
    OverLimit("mais de " + std::to_string(limits_->maxDepth) + " níveis de aninhamento");
  if (items > limits_->maxElements - elements_)
    OverLimit("mais de " + std::to_string(limits_->maxElements) + " elementos");
  elements_ += items;
  ++depth_;
  return true;
}

// msgpack's own pack_double writes whole numbers as integers (and 0.0 for -0.0), which
// would turn a price of 3,000 into an Integer: doubles are always written as float64.
void Encoder::float64(double value) {
  if (!std::isfinite(value)) throw EPacketError("Número não finito não pode ser enviado: " + std::to_string(value));
  char bytes[9];
  bytes[0] = static_cast<char>(0xcb);
  StoreBigEndian64(bytes + 1, value);
  sink_.write(bytes, sizeof bytes);
}

void Encoder::dateTime(TDateTime value) {
  if (!IsValidDateTime(value))
    throw EPacketError("Data fora do intervalo de 01/01/0001 a 31/12/9999: " +
                       std::to_string(value.value));
  char bytes[2 + kDateTimePayload];
  bytes[0] = static_cast<char>(0xd7);  // fixext 8
  bytes[1] = static_cast<char>(kDateTimeExt);
  StoreBigEndian64(bytes + 2, value.value);
  sink_.write(bytes, sizeof bytes);
}

void Encoder::text(std::string_view value) {
  if (value.size() > std::numeric_limits<std::uint32_t>::max())
    throw EPacketError("Texto grande demais para codificar");
  if (limits_ && value.size() > limits_->maxStringLength)
    OverLimit("texto de " + std::to_string(value.size()) + " bytes, máximo " +
              std::to_string(limits_->maxStringLength));
  packer_.pack_str(static_cast<std::uint32_t>(value.size()));
  packer_.pack_str_body(value.data(), static_cast<std::uint32_t>(value.size()));
}

Encoder::Container Encoder::arrayHeader(std::size_t count) {
  if (count > std::numeric_limits<std::uint32_t>::max())
    throw EPacketError("Lista grande demais para codificar");
  packer_.pack_array(static_cast<std::uint32_t>(count));
  return Container(*this, count);
}

Encoder::Container Encoder::mapHeader(std::size_t entries) {
  packer_.pack_map(static_cast<std::uint32_t>(entries));
  return Container(*this, entries * 2);
}

void Encoder::variant(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::Empty: packer_.pack_ext(0, kEmptyExt); return;
    case Variant::Kind::Null: packer_.pack_nil(); return;
    case Variant::Kind::Bool: value.asBool() ? packer_.pack_true() : packer_.pack_false(); return;
    case Variant::Kind::Integer: packer_.pack_int64(value.asInteger()); return;
    case Variant::Kind::Double: float64(value.asDouble()); return;
    case Variant::Kind::String: text(value.asString()); return;
    case Variant::Kind::DateTime: dateTime(value.asDateTime()); return;
    case Variant::Kind::Array: {
      Container array = arrayHeader(value.asArray().size());
      for (const Variant& item : value.asArray()) variant(item);
      return;
    }
    case Variant::Kind::Packet: packet(value.asPacket()); return;
  }
}

// Keys in the order that lets the decoder stream the rows into the packet's columns.
void Encoder::packet(const DataPacket& packet) {
  Container map = mapHeader(packet.isDelta() ? kDeltaPacketEntries : kPacketEntries);
  text(kColumnsKey);
  columns(packet);
  if (packet.isDelta()) {
    text(kChangesKey);
    changes(packet);
  }
  text(kRowsKey);
  rows(packet);
}

void Encoder::columns(const DataPacket& packet) {
  Container list = arrayHeader(packet.columnCount());
  for (const ColumnDef& column : packet.columns()) {
    Container fields = arrayHeader(kColumnFields);
    text(column.name);
    packer_.pack_int64(static_cast<std::int64_t>(column.type));
    packer_.pack_int64(column.size);
  }
}

void Encoder::changes(const DataPacket& packet) {
  Container list = arrayHeader(packet.rowCount());
  for (std::size_t row = 0; row < packet.rowCount(); ++row) {
    Container fields = arrayHeader(kChangeFields);
    packer_.pack_int64(static_cast<std::int64_t>(packet.changeKind(row)));
    if (packet.changeKind(row) == ChangeKind::Inserted) {
      packer_.pack_nil();
    } else {
      const std::vector<Variant>& original = packet.originalValues(row);
      Container values = arrayHeader(original.size());
      for (const Variant& value : original) variant(value);
    }
  }
}

void Encoder::rows(const DataPacket& packet) {
  const std::size_t columnCount = packet.columnCount();
  std::vector<FieldType> types;
  types.reserve(columnCount);
  for (const ColumnDef& column : packet.columns()) types.push_back(column.type);
  Container list = arrayHeader(packet.rowCount());
  for (std::size_t row = 0; row < packet.rowCount(); ++row) {
    Container cells = arrayHeader(columnCount);
    for (std::size_t col = 0; col < columnCount; ++col) cell(packet, row, col, types[col]);
  }
}

void Encoder::cell(const DataPacket& packet, std::size_t row, std::size_t col, FieldType type) {
  if (packet.isNull(row, col)) {
    packer_.pack_nil();
    return;
  }
  switch (type) {
    case FieldType::String: text(packet.stringAt(row, col)); return;
    case FieldType::Float: float64(packet.floatAt(row, col)); return;
    case FieldType::DateTime: dateTime(TDateTime{packet.floatAt(row, col)}); return;
    case FieldType::Integer: packer_.pack_int64(packet.integerAt(row, col)); return;
    case FieldType::Boolean:
      packet.integerAt(row, col) ? packer_.pack_true() : packer_.pack_false();
      return;
  }
}

// Upper bound of a packet's encoded size, so the output grows once.
std::size_t EncodedSizeBound(const DataPacket& packet) {
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
