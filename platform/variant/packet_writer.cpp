#include "platform/variant/packet_writer.h"

#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/variant/codec_wire.h"
#include "platform/variant/encoder.h"

namespace platform {
namespace {

using namespace wire;

constexpr char kArray32 = static_cast<char>(0xdd);

void StoreBigEndian32(char *out, std::uint32_t value) {
  for (int i = 3; i >= 0; --i) {
    out[i] = static_cast<char>(value & 0xff);
    value >>= 8;
  }
}

}  // namespace

// The head is written at once: the map, the columns and the "rows" key, then
// the rows' array header in its 32-bit form, whose count is filled in by
// finish().
PacketWriter::PacketWriter(std::vector<ColumnDef> columns)
    : columns_(std::move(columns)), wire_(std::make_unique<PacketWire>()) {
  std::string &bytes = wire_->bytes;
  Encoder encoder(bytes);
  {
    Encoder::Container map = encoder.mapHeader(kPacketEntries);
    encoder.text(kColumnsKey);
    encoder.columns(columns_);
    encoder.text(kRowsKey);
  }
  bytes.push_back(kArray32);
  rowsCountAt_ = bytes.size();
  bytes.append(4, '\0');
  rowStart_ = bytes.size();
  wire_->longestText = std::max(kColumnsKey.size(), kRowsKey.size());
  for (const ColumnDef &column : columns_) wire_->longestText = std::max(wire_->longestText, column.name.size());
}

// The column of the next cell; `expected` is the cell's kind, none for a null.
const ColumnDef &PacketWriter::nextCell(std::optional<FieldType> expected) {
  if (!wire_) throw EPacketError("Pacote já entregue pelo escritor");
  if (filled_ >= columns_.size())
    throw EPacketError("Linha com mais células que colunas (" + std::to_string(columns_.size()) + ")");
  const ColumnDef &column = columns_[filled_];
  if (!expected) return column;
  bool integerIntoFloat = expected == FieldType::Integer && column.type == FieldType::Float;
  if (column.type != *expected && !integerIntoFloat)
    throw EPacketError("Valor " + std::string(FieldTypeName(*expected)) + " na coluna " + column.name + " do tipo " +
                       FieldTypeName(column.type));
  return column;
}

// Writes one cell, opening the row with its first; any refusal drops the whole
// row.
template <typename Write>
void PacketWriter::writeCell(std::optional<FieldType> expected, Write write) {
  try {
    const ColumnDef &column = nextCell(expected);
    Encoder encoder(wire_->bytes);
    if (filled_ == 0) static_cast<void>(encoder.arrayHeader(columns_.size()));
    write(encoder, column);
    ++filled_;
  } catch (...) {
    if (wire_) wire_->bytes.resize(rowStart_);
    filled_ = 0;
    throw;
  }
}

void PacketWriter::appendNull() {
  writeCell(std::nullopt, [](Encoder &encoder, const ColumnDef &) { encoder.nil(); });
}

void PacketWriter::appendString(std::string_view text) {
  writeCell(FieldType::String, [&](Encoder &encoder, const ColumnDef &) {
    encoder.text(text);
    wire_->longestText = std::max(wire_->longestText, text.size());
  });
}

void PacketWriter::appendFloat(double value) {
  writeCell(FieldType::Float, [&](Encoder &encoder, const ColumnDef &) { encoder.float64(value); });
}

void PacketWriter::appendDateTime(TDateTime value) {
  writeCell(FieldType::DateTime, [&](Encoder &encoder, const ColumnDef &) { encoder.dateTime(value); });
}

// Integers a double holds exactly, as a Float column of a DataPacket takes
// them.
void PacketWriter::appendInteger(std::int64_t value) {
  constexpr std::int64_t kMaxExactInDouble = std::int64_t{1} << 53;
  writeCell(FieldType::Integer, [&](Encoder &encoder, const ColumnDef &column) {
    if (column.type == FieldType::Integer) return encoder.integer(value);
    if (value < -kMaxExactInDouble || value > kMaxExactInDouble)
      throw EPacketError("Inteiro " + std::to_string(value) + " não cabe exato na coluna " + column.name);
    encoder.float64(static_cast<double>(value));
  });
}

void PacketWriter::appendBool(bool value) {
  writeCell(FieldType::Boolean, [&](Encoder &encoder, const ColumnDef &) { encoder.boolean(value); });
}

void PacketWriter::endRow() {
  if (!wire_) throw EPacketError("Pacote já entregue pelo escritor");
  if (filled_ != columns_.size()) {
    std::string message =
        "Linha com " + std::to_string(filled_) + " células para " + std::to_string(columns_.size()) + " colunas";
    wire_->bytes.resize(rowStart_);
    filled_ = 0;
    throw EPacketError(message);
  }
  if (columns_.empty()) static_cast<void>(Encoder(wire_->bytes).arrayHeader(0));
  if (rows_ == UINT32_MAX) throw EPacketError("Pacote com linhas demais para codificar");
  ++rows_;
  filled_ = 0;
  rowStart_ = wire_->bytes.size();
}

// Counts what the frame reader will count in the packet: the map's two entries,
// the columns and their three fields each, the rows and their cells; and how
// deep the non-empty containers go below the map (a column's fields, a row's
// cells).
std::shared_ptr<const DataPacket> PacketWriter::finish() {
  if (!wire_) throw EPacketError("Pacote já entregue pelo escritor");
  if (filled_ != 0) throw EPacketError("Linha incompleta ao fechar o pacote");
  StoreBigEndian32(wire_->bytes.data() + rowsCountAt_, static_cast<std::uint32_t>(rows_));
  const std::size_t columns = columns_.size();
  wire_->elements = 2 * kPacketEntries + columns * (1 + kColumnFields) + rows_ * (1 + columns);
  std::size_t columnsDepth = columns > 0 ? 2 : 0;
  std::size_t rowsDepth = rows_ > 0 ? (columns > 0 ? 2 : 1) : 0;
  wire_->depth = 1 + std::max(columnsDepth, rowsDepth);
  std::size_t rows = rows_;
  rows_ = 0;
  return DataPacket::FromWire(std::move(columns_), rows, std::move(wire_));
}

}  // namespace platform
