#include "platform/variant/encoder.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/variant/codec_wire.h"
#include "platform/variant/packet_writer.h"

namespace platform::wire {

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
  if (const PacketWire* wire = packet.wire()) return wirePacket(*wire);
  Container map = mapHeader(packet.isDelta() ? kDeltaPacketEntries : kPacketEntries);
  text(kColumnsKey);
  columns(packet.columns());
  if (packet.isDelta()) {
    text(kChangesKey);
    changes(packet);
  }
  text(kRowsKey);
  rows(packet);
}

// A packet written beforehand: its bytes as they are, counted against the limits as a
// whole, as the reader will count its headers one by one.
void Encoder::wirePacket(const PacketWire& wire) {
  if (limits_) {
    if (wire.depth > limits_->maxDepth - std::min(depth_, limits_->maxDepth))
      OverLimit("mais de " + std::to_string(limits_->maxDepth) + " níveis de aninhamento");
    if (wire.elements > limits_->maxElements - elements_)
      OverLimit("mais de " + std::to_string(limits_->maxElements) + " elementos");
    if (wire.longestText > limits_->maxStringLength)
      OverLimit("texto de " + std::to_string(wire.longestText) + " bytes, máximo " +
                std::to_string(limits_->maxStringLength));
    elements_ += wire.elements;
  }
  sink_.write(wire.bytes.data(), wire.bytes.size());
}

void Encoder::columns(const std::vector<ColumnDef>& columns) {
  Container list = arrayHeader(columns.size());
  for (const ColumnDef& column : columns) {
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

}  // namespace platform::wire
