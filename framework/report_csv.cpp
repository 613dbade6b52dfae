// The CSV text of a report, as spreadsheets set to Brazilian Portuguese read it.
#include <fstream>
#include <optional>

#include "contracts/framework/qrddlgs.h"
#include "framework/report_values.h"
#include "framework/report_writer.h"
#include "platform/text/float_format.h"

namespace framework::report {

namespace {

constexpr char kSeparator = ';';

// Whether a spreadsheet could take the text for a formula: it starts with a tab or a
// carriage return, or its first character past blanks (spaces, tabs, line breaks,
// no-break spaces) is one of = + - @.
bool ReadsAsFormula(std::string_view value) {
  if (!value.empty() && (value.front() == '\t' || value.front() == '\r')) return true;
  std::size_t i = 0;
  while (i < value.size()) {
    if (value[i] == ' ' || value[i] == '\t' || value[i] == '\r' || value[i] == '\n') {
      ++i;
    } else if (value.substr(i, 2) == "\xC2\xA0") {
      i += 2;
    } else {
      break;
    }
  }
  return i < value.size() && std::string_view("=+-@").find(value[i]) != std::string_view::npos;
}

// A value as one CSV field: quoted when it holds the separator, a quote or a line
// break, and kept from being read as a formula.
std::string CsvField(std::string value, bool isText) {
  if (isText && ReadsAsFormula(value)) value.insert(value.begin(), '\'');
  if (value.find_first_of(std::string{kSeparator, '"', '\r', '\n'}) == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// The FormatFloat format without thousands separators: "###,#0.000" -> "#####0.000".
std::string PlainNumberFormat(const std::string& format) {
  std::string plain;
  const std::size_t point = format.find('.');
  for (std::size_t i = 0; i < format.size(); ++i)
    plain += (format[i] == ',' && (point == std::string::npos || i < point)) ? '#' : format[i];
  return plain;
}

std::string Value(const BoundField& field, const platform::DataPacket& chunk, std::size_t r) {
  const ValueKind kind = field.field->kind;
  if (kind == ValueKind::Number || kind == ValueKind::Integer) {
    const std::optional<double> number = CellNumber(field, chunk, r);
    if (number)
      return platform::FormatFloat(kind == ValueKind::Number ? PlainNumberFormat(field.field->format) : "0", *number);
  }
  return CsvField(CellText(field, chunk, r), kind != ValueKind::Date);
}

}  // namespace

WriteResult WriteCsv(const Definition& definition, const RowPass& rows, const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw Qrddlgs::EReportError("Não foi possível criar o arquivo '" + path + "'.");
  out << "\xEF\xBB\xBF";
  std::vector<const Field*> fields;
  if (definition.group)
    for (const Field& field : definition.group->header) fields.push_back(&field);
  for (const Field& field : definition.columns) fields.push_back(&field);
  for (std::size_t c = 0; c < fields.size(); ++c) {
    if (c) out << kSeparator;
    out << CsvField(fields[c]->title, true);
  }
  out << "\r\n";

  std::size_t count = 0;
  std::optional<BoundFields> bound;
  rows([&](const platform::DataPacket& chunk) {
    if (!bound) bound = BindFields(definition, chunk);
    std::vector<BoundField> cells = bound->header;
    cells.insert(cells.end(), bound->columns.begin(), bound->columns.end());
    for (std::size_t r = 0; r < chunk.rowCount(); ++r, ++count) {
      for (std::size_t c = 0; c < cells.size(); ++c) {
        if (c) out << kSeparator;
        out << Value(cells[c], chunk, r);
      }
      out << "\r\n";
    }
  });
  if (count == 0) out << CsvField(kNoRowsText, true) << "\r\n";
  out.flush();
  if (!out) throw Qrddlgs::EReportError("Não foi possível gravar o arquivo '" + path + "'.");
  return WriteResult{count, 0, 0};
}

}  // namespace framework::report
