#pragma once
// The first sheet of an XLSX workbook as rows of cells, read with libzip and expat:
// each part is parsed as it is unpacked, never whole in memory, under one budget of
// unpacked bytes; XML with a document type or entity declarations is refused.
#include <string>

#include "framework/sheet/sheet_cells.h"

namespace framework::sheet {

// Whether the bytes begin as a zip archive does.
bool LooksLikeZip(const std::string& bytes);

// Raises Planilha::EPlanilha when the bytes are no XLSX workbook, unpack past the
// budget, hold refused XML, or pass the row, column or cell limits.
void ReadXlsx(const std::string& bytes, const RowSink& sink);

}  // namespace framework::sheet
