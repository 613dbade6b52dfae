#pragma once
// Fixtures of the report tests: the documents read back as a person's tools read them
// (pdftotext and pdfinfo of poppler-utils, unzip), and folders of report definitions.
//
//   PdfLines(path)     the PDF's text laid out as on the page (pdftotext -layout), one
//                      entry per line, blanks runs collapsed to one space, empty lines
//                      dropped; pages end with a line "<page break>"
//   PdfPages(path)     the page count pdfinfo reports
//   XlsxRows(path)     the cells of the first sheet, row by row: the text of each cell
//                      (shared or inline strings unescaped, numbers as written) and
//                      whether it is a number; cells keep their column letters
//   ZipMember(path, m) one member of a zip file (unzip -p)
//   CsvRows(path)      the records of a CSV text with ";" separators and quoted fields
//   ReportsFolder      a temporary reports folder: Write(code, file, json) adds a
//                      definition; path() is what ReportsDir takes
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace fwtest {

std::vector<std::string> PdfLines(const std::string& path);
int PdfPages(const std::string& path);

struct XlsxCell {
  std::string text;
  bool number = false;
  int style = 0;
};
// Row number (1-based) -> column letters -> cell.
using XlsxSheet = std::map<int, std::map<std::string, XlsxCell>>;
XlsxSheet XlsxRows(const std::string& path);
std::string ZipMember(const std::string& path, const std::string& member);

std::vector<std::vector<std::string>> CsvRows(const std::string& path);

class ReportsFolder {
 public:
  std::string path() const { return dir_.path().string(); }
  void Write(const std::string& code, const std::string& file, const std::string& json) const;

 private:
  vqrtest::TempDir dir_;
};

// The folder of the project's own report definitions (reports/).
std::string ProjectReports();

}  // namespace fwtest
