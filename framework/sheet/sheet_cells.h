#pragma once
// The cells of a spreadsheet as its reader finds them, row by row, before they are
// given a column's kind (contracts/framework/planilha.h).
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace framework::sheet {

struct RawCell {
  enum class Kind { Empty, Text, Number };
  Kind kind = Kind::Empty;
  std::string text;   // Text; for a Number, the text the file holds it as
  double number = 0;  // Number
};

struct RawRow {
  std::size_t line = 0;  // as the file numbers it, from 1
  std::vector<RawCell> cells;
  // No cell holds a value.
  bool empty() const {
    for (const RawCell& cell : cells)
      if (cell.kind != RawCell::Kind::Empty) return false;
    return true;
  }
};

// Receives each row in order; the row may be moved from.
using RowSink = std::function<void(RawRow&)>;

// Where the file's CSV convention points numbers without their own clue: the decimal
// separator that goes with its field separator, or 0 for none (XLSX).
struct SheetFacts {
  char decimalSeparator = 0;
};

}  // namespace framework::sheet
