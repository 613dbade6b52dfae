#pragma once
// CSV records as rows of text cells: ";" or "," between fields (whichever the first
// line uses more of outside quotes), fields in double quotes may hold separators, line
// breaks and doubled quotes; lines end in CR LF, LF or CR.
#include <string>

#include "contracts/framework/planilha.h"
#include "framework/sheet/sheet_cells.h"

namespace framework::sheet {

// Raises Planilha::EPlanilha for NUL bytes, a quote left open, text after a closing
// quote, a field over the cell limit, more than the row limit or the column limit.
SheetFacts ReadCsv(std::string bytes, Planilha::TCodificacao encoding, const RowSink& sink);

}  // namespace framework::sheet
