#include "platform/variant/packet_writer.h"

#include <algorithm>
#include <utility>

#include "platform/core/exceptions.h"
#include "platform/variant/cell_rules.h"
#include "platform/variant/codec_wire.h"
#include "platform/variant/encoder.h"

namespace platform {
namespace {

using namespace wire;

constexpr char kArray32 = static_cast<char>(0xdd);

void StoreBigEndian32(char* out, std::uint32_t value) {
  for (int i = 3; i >= 0; --i) {
    out[i] = static_cast<char>(value & 0xff);
    value >>= 8;
  }
}

}  // namespace

// The head is written at once: the map, the columns and the "rows" key, then the rows'
// array header in its 32-bit form, whose count finish() fills in.
PacketWriter::PacketWriter(std::vector<ColumnDef> columns)
    : columns_(std::move(columns)), wire_(std::make_unique<PacketWire>()) {
  std::string& bytes = wire_->bytes;
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
  for (const ColumnDef& column : columns_) wire_->longestText = std::max(wire_->longestText, column.name.size());
}

void PacketWriter::requireUnfinished() const {
  if (!wire_) throw EPacketError("Pacote já entregue pelo escritor");
}

void PacketWriter::dropRow() noexcept {
  if (wire_) wire_->bytes.resize(rowStart_);
  filled_ = 0;
}

// Writes one cell of `kind` (none for a null), opening the row with its first; any
// refusal drops the whole row.
template <typename Write>
void PacketWriter::writeCell(std::optional<FieldType> kind, Write write) {
  try {
    requireUnfinished();
    cells::CheckRoom(filled_, columns_);
    const ColumnDef& column = columns_[filled_];
    if (kind) cells::CheckKind(*kind, column);
    Encoder encoder(wire_->bytes);
    if (filled_ == 0) static_cast<void>(encoder.arrayHeader(columns_.size()));
    write(encoder, column);
    ++filled_;
  } catch (...) {
    dropRow();
    throw;
  }
}

void PacketWriter::appendNull() {
  writeCell(std::nullopt, [](Encoder& encoder, const ColumnDef&) { encoder.nil(); });
}

void PacketWriter::appendString(std::string_view text) {
  writeCell(FieldType::String, [&](Encoder& encoder, const ColumnDef&) {
    encoder.text(text);
    wire_->longestText = std::max(wire_->longestText, text.size());
  });
}

void PacketWriter::appendFloat(double value) {
  writeCell(FieldType::Float, [&](Encoder& encoder, const ColumnDef&) { encoder.float64(value); });
}

void PacketWriter::appendDateTime(TDateTime value) {
  writeCell(FieldType::DateTime, [&](Encoder& encoder, const ColumnDef&) { encoder.dateTime(value); });
}

void PacketWriter::appendInteger(std::int64_t value) {
  writeCell(FieldType::Integer, [&](Encoder& encoder, const ColumnDef& column) {
    cells::CheckIntegerFits(value, column);
    if (column.type == FieldType::Float)
      encoder.float64(static_cast<double>(value));
    else
      encoder.integer(value);
  });
}

void PacketWriter::appendBool(bool value) {
  writeCell(FieldType::Boolean, [&](Encoder& encoder, const ColumnDef&) { encoder.boolean(value); });
}

void PacketWriter::endRow() {
  requireUnfinished();
  try {
    cells::CheckComplete(filled_, columns_);
    if (rows_ == UINT32_MAX) throw EPacketError("Pacote com linhas demais para codificar");
  } catch (...) {
    dropRow();
    throw;
  }
  if (columns_.empty()) static_cast<void>(Encoder(wire_->bytes).arrayHeader(0));
  ++rows_;
  filled_ = 0;
  rowStart_ = wire_->bytes.size();
}

// Counts what the frame reader will count in the packet: the map's two entries, the
// columns and their three fields each, the rows and their cells; and how deep the
// non-empty containers go below the map (a column's fields, a row's cells).
std::shared_ptr<const DataPacket> PacketWriter::finish() {
  requireUnfinished();
  if (filled_ != 0) throw EPacketError("Linha incompleta ao fechar o pacote");
  StoreBigEndian32(wire_->bytes.data() + rowsCountAt_, static_cast<std::uint32_t>(rows_));
  const std::size_t columns = columns_.size();
  wire_->elements = 2 * kPacketEntries + columns * (1 + kColumnFields) + rows_ * (1 + columns);
  std::size_t columnsDepth = columns > 0 ? 2 : 0;
  std::size_t rowsDepth = rows_ > 0 ? (columns > 0 ? 2 : 1) : 0;
  wire_->depth = 1 + std::max(columnsDepth, rowsDepth);
  return DataPacket::FromWire(std::move(columns_), std::exchange(rows_, 0), std::move(wire_));
}

}  // namespace platform
