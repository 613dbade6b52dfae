#pragma once
// DataPacket: the rows and columns of a dataset as the server sends them, stored by
// column (one typed vector per column), so a large packet costs little more memory
// than its encoded bytes. Packets are built by appending cells row by row and are
// then shared read-only (Variant holds them as shared_ptr<const DataPacket>).
//
// A delta packet is a packet whose rows are pending changes of a client dataset:
// each row carries its change kind, and modified and deleted rows carry the values
// the row had before the change.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/variant.h"

namespace platform {

struct PacketWire;

enum class FieldType : std::uint8_t { String = 0, Float = 1, DateTime = 2, Integer = 3, Boolean = 4 };
const char* FieldTypeName(FieldType type) noexcept;

struct ColumnDef {
  std::string name;
  FieldType type = FieldType::String;
  int size = 0;  // maximum length of a string column; 0 elsewhere
  friend bool operator==(const ColumnDef&, const ColumnDef&) = default;
};

enum class ChangeKind : std::uint8_t { Inserted = 1, Modified = 2, Deleted = 3 };

class DataPacket {
 public:
  DataPacket() = default;
  explicit DataPacket(std::vector<ColumnDef> columns);
  // A delta packet with the given columns and no rows yet.
  static DataPacket Delta(std::vector<ColumnDef> columns);

  const std::vector<ColumnDef>& columns() const noexcept { return columns_; }
  std::size_t columnCount() const noexcept { return columns_.size(); }
  std::size_t rowCount() const noexcept { return rows_; }
  // Index of the column with that name, ignoring ASCII case; -1 when absent.
  int columnIndex(std::string_view name) const noexcept;

  // Cell readers. Row and column must be in range (checked, raising EPacketError).
  bool isNull(std::size_t row, std::size_t col) const;
  Variant value(std::size_t row, std::size_t col) const;
  std::string_view stringAt(std::size_t row, std::size_t col) const;  // "" when null
  double floatAt(std::size_t row, std::size_t col) const;             // Float and DateTime
  std::int64_t integerAt(std::size_t row, std::size_t col) const;     // Integer and Boolean

  // Building: append one cell per column, in column order, then end the row.
  // A cell of the wrong kind for its column raises EPacketError and leaves the packet
  // as it was; an Integer is accepted for a Float column when the double holds it
  // exactly (up to 2^53), a Null or Empty anywhere.
  void appendNull();
  void appendString(std::string_view text);
  void appendFloat(double value);
  void appendDateTime(TDateTime value);
  void appendInteger(std::int64_t value);
  void appendBool(bool value);
  void appendValue(const Variant& value);
  void endRow();
  // Ends a row of a delta packet. `original` holds one value per column for
  // Modified and Deleted rows and must be empty for Inserted rows; each original
  // must fit its column like a cell (kept as Null for Empty, Double for an Integer
  // in a Float column).
  void endDeltaRow(ChangeKind kind, std::vector<Variant> original = {});
  // Appends a whole row; on error nothing of it stays in the packet.
  void appendRow(const std::vector<Variant>& values);
  // Drops the cells appended to the row being built.
  void discardRow() noexcept;
  void reserve(std::size_t rows);
  // Releases the spare capacity left by appending.
  void shrinkToFit();

  bool isDelta() const noexcept { return delta_; }
  ChangeKind changeKind(std::size_t row) const;
  // The values the row had before the change; empty for Inserted rows.
  const std::vector<Variant>& originalValues(std::size_t row) const;

  // Bytes of the texts of a String column, all rows together.
  std::size_t textBytes(std::size_t col) const;

  // Approximate heap bytes held by the packet.
  std::size_t memoryBytes() const noexcept;

  // The packet's encoding, when a PacketWriter (packet_writer.h) wrote it straight from
  // its source; null for a packet built by appending. Such a packet accepts no cells,
  // and its cell readers decode the encoding into columns on first use.
  const PacketWire* wire() const noexcept { return wire_.get(); }

  friend bool operator==(const DataPacket& a, const DataPacket& b);

 private:
  friend class PacketWriter;
  static std::shared_ptr<const DataPacket> FromWire(std::vector<ColumnDef> columns, std::size_t rows,
                                                    std::unique_ptr<PacketWire> wire);
  // The packet the cell readers read: this one, or the columns decoded from the wire.
  const DataPacket& resolved() const;

  struct Column {
    std::vector<std::uint8_t> nulls;       // 1 where the cell is null
    std::vector<double> numbers;           // Float, DateTime
    std::vector<std::int64_t> integers;    // Integer, Boolean
    std::string chars;                     // String: texts of every row, back to back
    std::vector<std::uint32_t> ends;       // String: end offset of each row's text
  };
  struct RowChange {
    ChangeKind kind;
    std::vector<Variant> original;
  };

  Column& nextCell(FieldType expected);
  void checkRoomForCell() const;
  Variant checkedOriginal(std::size_t col, const Variant& value) const;
  void checkCell(std::size_t row, std::size_t col) const;
  void checkRowComplete() const;

  std::vector<ColumnDef> columns_;
  std::vector<Column> data_;
  std::size_t rows_ = 0;
  std::size_t filled_ = 0;  // cells appended to the row being built
  bool delta_ = false;
  std::vector<RowChange> changes_;
  std::shared_ptr<PacketWire> wire_;
};

}  // namespace platform
