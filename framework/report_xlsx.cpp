// The spreadsheet of a report, written with libxlsxwriter in its constant-memory mode:
// each row goes to a temporary file (in the documents folder) as soon as the next one
// starts, so memory does not grow with the row count.
#include <xlsxwriter.h>

#include <filesystem>
#include <optional>

#include "contracts/framework/qrddlgs.h"
#include "framework/report_values.h"
#include "framework/report_writer.h"
#include "platform/text/utf8.h"

namespace framework::report {

namespace {

constexpr std::size_t kMaxSheetName = 31;

// A sheet name Excel accepts: without []:*?/\ and at most 31 characters.
std::string SheetName(const std::string& title) {
  std::string name;
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < title.size() && count < kMaxSheetName;) {
    std::size_t length = 0;
    const char32_t cp = platform::utf8::Decode(title, pos, length);
    pos += length;
    if (std::u32string_view(U"[]:*?/\\").find(cp) != std::u32string_view::npos) continue;
    platform::utf8::Append(name, cp);
    ++count;
  }
  return name.empty() ? "Relatório" : name;
}

class XlsxReport {
 public:
  XlsxReport(const Definition& definition, const ReportHeading& heading, const std::string& path)
      : definition_(definition), path_(path) {
    tmpdir_ = std::filesystem::path(path).parent_path().string();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir_.empty() ? nullptr : tmpdir_.data();
    workbook_ = workbook_new_opt(path.c_str(), &options);
    if (!workbook_) fail("não foi possível criar o arquivo");
    lxw_doc_properties properties{};
    title_ = heading.title;
    properties.title = title_.data();
    workbook_set_properties(workbook_, &properties);
    sheet_ = workbook_add_worksheet(workbook_, SheetName(heading.title).c_str());
    if (!sheet_) fail("não foi possível criar a planilha");
    bold_ = workbook_add_format(workbook_);
    format_set_bold(bold_);
    date_ = workbook_add_format(workbook_);
    format_set_num_format(date_, "dd/mm/yyyy");
    integer_ = workbook_add_format(workbook_);
    format_set_num_format(integer_, "###,#0");
  }

  ~XlsxReport() {
    if (workbook_) workbook_close(workbook_);
  }

  // `noticeWhenEmpty`: a sheet without rows says so in the row after the header.
  WriteResult Write(const RowPass& rows, bool noticeWhenEmpty) {
    const std::vector<const Field*> fields = allFields();
    for (std::size_t c = 0; c < fields.size(); ++c) {
      check(worksheet_set_column(sheet_, col(c), col(c), fields[c]->width, nullptr));
      check(worksheet_write_string(sheet_, 0, col(c), fields[c]->title.c_str(), bold_));
      numberFormats_.push_back(fields[c]->kind == ValueKind::Number ? numberFormat(fields[c]->format) : integer_);
    }
    worksheet_freeze_panes(sheet_, 1, 0);
    std::optional<BoundFields> bound;
    lxw_row_t row = 0;
    rows([&](const platform::DataPacket& chunk) {
      if (!bound) bound = BindFields(definition_, chunk);
      std::vector<BoundField> cells = bound->header;
      cells.insert(cells.end(), bound->columns.begin(), bound->columns.end());
      for (std::size_t r = 0; r < chunk.rowCount(); ++r) {
        if (row + 1 >= LXW_ROW_MAX)
          fail("o relatório tem mais linhas do que uma planilha comporta (" + std::to_string(LXW_ROW_MAX - 1) + ")");
        ++row;
        for (std::size_t c = 0; c < cells.size(); ++c) writeCell(row, c, cells[c], chunk, r);
      }
    });
    if (row == 0 && noticeWhenEmpty)
      check(worksheet_write_string(sheet_, 1, 0, kNoRowsText, nullptr));
    else if (row > 0)
      check(worksheet_autofilter(sheet_, 0, 0, row, col(fields.size() - 1)));
    lxw_workbook* workbook = workbook_;
    workbook_ = nullptr;
    check(workbook_close(workbook));
    return WriteResult{row, 0, 0};
  }

 private:
  static lxw_col_t col(std::size_t c) { return static_cast<lxw_col_t>(c); }

  std::vector<const Field*> allFields() const {
    std::vector<const Field*> fields;
    if (definition_.group)
      for (const Field& field : definition_.group->header) fields.push_back(&field);
    for (const Field& field : definition_.columns) fields.push_back(&field);
    return fields;
  }

  lxw_format* numberFormat(const std::string& format) {
    lxw_format* number = workbook_add_format(workbook_);
    format_set_num_format(number, format.c_str());
    return number;
  }

  void writeCell(lxw_row_t row, std::size_t c, const BoundField& field, const platform::DataPacket& chunk,
                 std::size_t r) {
    if (chunk.isNull(r, field.column)) return;
    switch (field.field->kind) {
      case ValueKind::Number:
      case ValueKind::Integer:
        if (const std::optional<double> number = CellNumber(field, chunk, r)) {
          check(worksheet_write_number(sheet_, row, col(c), *number, numberFormats_[c]));
          return;
        }
        break;
      case ValueKind::Date:
        if (const std::optional<platform::TDateTime> date = CellDate(field, chunk, r)) {
          lxw_datetime value{};
          platform::DecodeDate(*date, value.year, value.month, value.day);
          check(worksheet_write_datetime(sheet_, row, col(c), &value, date_));
          return;
        }
        break;
      default:
        break;
    }
    check(worksheet_write_string(sheet_, row, col(c), CellText(field, chunk, r).c_str(), nullptr));
  }

  void check(lxw_error error) {
    if (error != LXW_NO_ERROR) fail(lxw_strerror(error));
  }

  [[noreturn]] void fail(const std::string& what) {
    throw Qrddlgs::EReportError("Não foi possível gravar a planilha '" + path_ + "': " + what + ".");
  }

  const Definition& definition_;
  std::string path_;
  std::string tmpdir_;
  std::string title_;
  lxw_workbook* workbook_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  lxw_format* bold_ = nullptr;
  lxw_format* date_ = nullptr;
  lxw_format* integer_ = nullptr;
  std::vector<lxw_format*> numberFormats_;
};

}  // namespace

WriteResult WriteXlsx(const Definition& definition, const ReportHeading& heading, const RowPass& rows,
                      const std::string& path) {
  XlsxReport report(definition, heading, path);
  return report.Write(rows, true);
}

void WriteXlsxHeader(const Definition& definition, const ReportHeading& heading, const std::string& path) {
  XlsxReport report(definition, heading, path);
  report.Write([](const ChunkVisitor&) {}, false);
}

}  // namespace framework::report
