#pragma once
// The writers of a report's document: the PDF a person reads (cairo + pango), the
// spreadsheet (libxlsxwriter) and the CSV text a person opens in a spreadsheet.
//
// Each reads the rows through a RowPass, which runs the report's query once per call
// and hands the rows over a chunk at a time (report_query.h); no writer keeps more
// than a chunk of rows. The PDF makes two passes: the first lays the pages out and
// counts them, the second draws them with "Página N de M" in every footer. Each writes
// its file at `path` whole or raises (platform::Exception kinds); the caller removes
// what a failure leaves.
//
// What each document holds:
//   PDF   on every page the title, the print date and the filter summary at the top,
//         the report code and "Página N de M" at the bottom. One section per group
//         (its header fields, "(continuação)" when it goes on from the page before),
//         the column titles, the rows (a row is never split across pages; a section
//         starts on a new page unless its header, the titles and its first row fit),
//         and the section's totals; the totals of the whole report at the end.
//   XLSX  one header row (bold, frozen, with a filter), then one row per query row:
//         the group's header fields first, then the columns; numbers as numbers in the
//         column's format, dates as dates dd/mm/yyyy, everything else as text;
//         column widths from the definition.
//   CSV   the same columns and rows in UTF-8 (with a byte-order mark, so spreadsheets
//         read the accents), ";" between values, CRLF line ends, numbers with a
//         decimal comma and no thousands separator, dates dd/mm/yyyy. A value holding
//         ";", quotes or line breaks is quoted; a text that a spreadsheet would read
//         as a formula (starting with a tab or a carriage return, or with = + - @
//         after any blanks) is written with a leading "'".
// With no row, each says so: the PDF under its heading, the spreadsheets in the row
// after the header.
#include <functional>
#include <string>

#include "framework/report_definition.h"
#include "platform/variant/data_packet.h"

namespace framework::report {

inline constexpr const char* kNoRowsText = "Nenhum registro encontrado para os filtros informados.";

struct ReportHeading {
  std::string title;
  std::string summary;    // the filter, one line; "" for none
  std::string printedAt;  // "dd/mm/yyyy hh:nn"
  std::string code;       // the report code
};

using ChunkVisitor = std::function<void(const platform::DataPacket& chunk)>;
using RowPass = std::function<void(const ChunkVisitor& visit)>;

struct WriteResult {
  std::size_t rows = 0;
  int pages = 0;          // PDF only
  int unknownGlyphs = 0;  // PDF only: characters the fonts could not show
};

WriteResult WritePdf(const Definition& definition, const ReportHeading& heading, const RowPass& rows,
                     const std::string& path);
WriteResult WriteXlsx(const Definition& definition, const ReportHeading& heading, const RowPass& rows,
                      const std::string& path);
// The XLSX's header row alone, with no notice: a sheet for a person to fill in.
void WriteXlsxHeader(const Definition& definition, const ReportHeading& heading, const std::string& path);
WriteResult WriteCsv(const Definition& definition, const RowPass& rows, const std::string& path);

}  // namespace framework::report
