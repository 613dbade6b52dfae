#pragma once
// PacketBuilder: assembles one DataPacket from the entries of its wire map ("columns",
// "rows" and, for a delta packet, "changes"), whatever their order. Internal to the
// decoder.
//
// When the columns (and the changes of a delta packet) come before the rows, the rows
// are streamed: the decoder hands over each cell as it reads it and the cell goes
// straight into the packet's columns. Otherwise the decoder hands over the rows as one
// decoded array and the packet is filled from it at the end.
//
// Every fault raises EPacketError "Pacote de dados malformado: ..." naming the row and
// column at fault.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/data_packet.h"

namespace platform::wire {

// Raises unless a wire map of `entries` pairs can be a packet.
void CheckPacketEntries(std::uint32_t entries);

class PacketBuilder {
 public:
  enum class Entry : std::uint8_t { None, Columns, Rows, Changes };

  // `entries` is the size of the wire map: 2 for a packet, 3 for a delta packet.
  explicit PacketBuilder(std::uint32_t entries);

  void expectKey() noexcept { awaitingKey_ = true; }
  void expectValue() noexcept { awaitingKey_ = false; }
  bool awaitingKey() const noexcept { return awaitingKey_; }
  // Raises on unknown or repeated keys.
  void setKey(std::string_view key);
  Entry entry() const noexcept { return entry_; }
  // The decoded value of the current entry.
  void setValue(Variant value);

  // Streaming the rows, when the current entry is "rows" and canStreamRows().
  bool canStreamRows() const noexcept;
  std::size_t columnCount() const noexcept { return packet_ ? packet_->columnCount() : 0; }
  void beginRows(std::size_t rows);
  void beginRow(std::size_t cells);
  void cellNull();
  void cellString(std::string_view text);
  void cellFloat(double value);
  void cellInteger(std::int64_t value);
  void cellBool(bool value);
  void cellValue(const Variant& value);
  void endRow();
  void endRows();

  // The finished packet; every entry must have come.
  std::shared_ptr<const DataPacket> finish();

  // Raises the fault of the row being streamed, naming the row.
  [[noreturn]] void failInRow(const std::string& detail) const;

 private:
  struct Change {
    ChangeKind kind;
    std::vector<Variant> original;
  };

  void startPacket();
  void parseChanges();
  void fillRows(const Variant& rows);
  void closeRow();
  template <typename Append>
  void appendCell(Append append);

  bool delta_;
  bool awaitingKey_ = true;
  Entry entry_ = Entry::None;
  unsigned seen_ = 0;  // one bit per Entry
  Variant columns_, rows_, changes_;
  std::optional<DataPacket> packet_;
  std::vector<Change> parsedChanges_;
  bool rowsStreamed_ = false;
};

}  // namespace platform::wire
