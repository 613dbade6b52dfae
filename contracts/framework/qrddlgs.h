#pragma once
// Qrddlgs: the report runner of the report screens (their component rpddPadrao).
//
// A report is a definition file under the host's report folder, one folder per report
// code: <reportsDir>/<ReportCode>/*.json, listed by file name. A definition gives the
// title, the SQL (with ":NAME" parameters) for SQLite and PostgreSQL, the parameters it
// declares (kind, prompt), the columns (title, width, kind, format, alignment), an
// optional grouping with its header fields, and totals (the format is described in
// reports/README.md).
//
//   rpddPadrao->ReportCode = "VQR512";
//   rpddPadrao->BeforeGetQueryParams = [this](TParams& p, bool& ask) { ... };
//   auto titles = rpddPadrao->ReportNames();          // the definitions' titles
//   rpddPadrao->Execute(0, Qrddlgs::roPDF);          // runs the first one
//
// Execute(index, output) runs one report:
//   1. reads its definition again (a file changed since the listing is read as it is
//      now) and makes Params: one parameter per declared one, without value;
//   2. raises BeforeGetQueryParams(Params, AskMissing); an exception from the handler
//      (the silent abort of a failed check included) stops the run, nothing produced;
//   3. with AskMissing still true, asks the person for the declared parameters that
//      are still without value, in a dialog with one edit per parameter, by kind
//      (dlgParametros); Cancel stops the run silently. With AskMissing false, or any
//      left without value, the run stops with an error naming the parameter;
//   4. checks every value against its kind: dates and numbers must convert, a flag
//      is "T" or empty, every key of a list (codes joined by ",") must exist in the
//      table its declaration names, unless the list's all-flag is "T"; a key that
//      does not is refused naming it. The list is then bound in its plain form
//      (keys trimmed, empty and repeated ones dropped);
//   5. runs the query on the shared read-only connection (Adoibquery's dtmDBGeral),
//      every value bound, never pasted into the SQL, and writes the document while
//      the wait animation runs: a PDF (roPDF), a spreadsheet (roXLSX) or a CSV text
//      (roCSV). The PDF reads the query twice in one snapshot, first to count its
//      pages ("Página N de M"), then to draw them, a page at a time, so memory does
//      not grow with the page count; the spreadsheets write row by row;
//   6. writes the file into the host's documents folder under a temporary name and
//      publishes it whole: renamed to its final name and added to the application's
//      documents (the front end opens it). A failure leaves no file and no entry.
//
// ExistParam(Params, name) tells whether the report declares a parameter of that name
// (ASCII case ignored); a name longer than 255 characters is no parameter's name.
#include <functional>
#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/exceptions.h"
#include "platform/data/params.h"
#include "platform/ui/application.h"

namespace Qrddlgs {

// A report that cannot be run as defined: a definition file that cannot be read or
// is wrong, a parameter without value or with a value its kind refuses, a list key
// that does not exist, a folder without definitions. The message says which and why.
class EReportError : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

enum TReportOutput { roPDF, roXLSX, roCSV };

bool ExistParam(const platform::TParams& Params, const std::string& Name);

class TReportDesignerDialog : public platform::TComponent {
 public:
  using TBeforeGetQueryParams = std::function<void(platform::TParams& Params, bool& AskMissing)>;

  explicit TReportDesignerDialog(platform::TComponent* owner = nullptr);

  std::string ReportCode;
  // The folder holding one folder per report code; empty: the host configuration's.
  std::string ReportsDir;
  TBeforeGetQueryParams BeforeGetQueryParams;

  // <reports folder>/<ReportCode>.
  std::string ReportFolder() const;
  // The titles of the report code's definitions, in the order of their file names;
  // empty when the folder holds none. Raises EReportError for a definition that
  // cannot be read.
  std::vector<std::string> ReportNames();
  // Runs the report at `index` of the last ReportNames() into a document and returns
  // its entry in the application's documents.
  const platform::TDocumentEntry& Execute(int index, TReportOutput output);

 private:
  std::vector<std::string> files_;
};

}  // namespace Qrddlgs
