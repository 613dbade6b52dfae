#pragma once
// PacketWriter: writes a packet's wire form (codec.h) straight from its source's rows,
// cell by cell, without building the packet's columns first. For a large reply read
// from a statement: the rows are encoded once, as they are read, and the codec sends
// the finished bytes as they are.
//
// Cells are appended as on a DataPacket, in column order and ended by endRow(), with
// the same checks: a cell of the wrong kind for its column, a non-finite number or a
// date out of range raises EPacketError and drops the row being written; the rows
// written before it stay. finish() hands over the packet; the writer is then empty.
//
// The finished DataPacket knows its columns and row count at once. Its cell readers
// decode the bytes into columns on first use (once, safely from any thread), so code
// that reads the packet in process sees an ordinary packet.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/data_packet.h"

namespace platform {

// The encoding of one packet, with what the frame limits count in it.
struct PacketWire {
  std::string bytes;
  std::size_t elements = 0;     // container items, a map's entries twice
  std::size_t depth = 0;        // levels of non-empty containers, the packet's map included
  std::size_t longestText = 0;  // bytes of its longest text, keys and names included
  // The columns decoded from `bytes`, made on first use by the packet's cell readers.
  std::once_flag decodeOnce;
  std::shared_ptr<const DataPacket> decoded;
};

class PacketWriter {
 public:
  explicit PacketWriter(std::vector<ColumnDef> columns);

  void appendNull();
  void appendString(std::string_view text);
  void appendFloat(double value);
  void appendDateTime(TDateTime value);
  void appendInteger(std::int64_t value);  // also into a Float column, when exact
  void appendBool(bool value);
  void endRow();

  std::size_t rowCount() const noexcept { return rows_; }
  std::shared_ptr<const DataPacket> finish();

 private:
  void requireUnfinished() const;
  void dropRow() noexcept;
  template <typename Write>
  void writeCell(std::optional<FieldType> kind, Write write);

  std::vector<ColumnDef> columns_;
  std::unique_ptr<PacketWire> wire_;
  std::size_t rowsCountAt_ = 0;  // where the rows' count goes once it is known
  std::size_t rowStart_ = 0;     // where the row being written began
  std::size_t rows_ = 0;
  std::size_t filled_ = 0;
};

}  // namespace platform
