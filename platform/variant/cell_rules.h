#pragma once
// The rules a packet's cells follow as they are appended, the same whether a DataPacket
// stores them or a PacketWriter writes their wire form. Internal to platform/variant;
// each check raises EPacketError with the text the caller passes on. The checks run for
// every cell of large packets, so they are inline and only their refusals are not.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/variant/data_packet.h"

namespace platform::cells {

[[noreturn]] void RefuseExtraCell(std::size_t columns);
[[noreturn]] void RefuseKind(FieldType kind, const ColumnDef& column);
[[noreturn]] void RefuseInexactInteger(std::int64_t value, const ColumnDef& column);
[[noreturn]] void RefuseIncompleteRow(std::size_t filled, std::size_t columns);

// Integers a double holds exactly (up to 2^53): a larger one would silently change in
// a Float column.
inline bool ExactInDouble(std::int64_t value) noexcept {
  constexpr std::int64_t kMaxExactInDouble = std::int64_t{1} << 53;
  return value >= -kMaxExactInDouble && value <= kMaxExactInDouble;
}

// Raises when the row being built already has a cell for every column.
inline void CheckRoom(std::size_t filled, const std::vector<ColumnDef>& columns) {
  if (filled >= columns.size()) RefuseExtraCell(columns.size());
}

// Raises unless a cell of `kind` goes into `column`: its own kind, or an Integer into
// a Float column.
inline void CheckKind(FieldType kind, const ColumnDef& column) {
  if (column.type != kind && !(kind == FieldType::Integer && column.type == FieldType::Float))
    RefuseKind(kind, column);
}

// Raises when `column` is a Float column and the double would not hold `value` exactly.
inline void CheckIntegerFits(std::int64_t value, const ColumnDef& column) {
  if (column.type == FieldType::Float && !ExactInDouble(value)) RefuseInexactInteger(value, column);
}

// Raises unless the row has exactly one cell per column.
inline void CheckComplete(std::size_t filled, const std::vector<ColumnDef>& columns) {
  if (filled != columns.size()) RefuseIncompleteRow(filled, columns.size());
}

}  // namespace platform::cells
