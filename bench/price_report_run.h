#pragma once
// The price table report (VQR512) run by the report runner into a PDF, as the report
// screen runs it, for benchmarks that need the whole report of one customer.
#include <cstdio>
#include <filesystem>
#include <string>

#include "contracts/framework/adoibquery.h"
#include "contracts/framework/host_configuration.h"
#include "contracts/framework/qrddlgs.h"

namespace bench {

// Reports read `database` and publish into `documentsDir`; the definitions come from
// the source tree. Closes the connection reports held to another database.
inline void AimReportsAt(const std::string& database, const std::string& documentsDir) {
  Adoibquery::dtmDBGeral->adcGeral->Close();
  framework::HostConfiguration configuration;
  configuration.database = database;
  configuration.reportsDir = std::string(VQR_SOURCE_DIR) + "/reports";
  configuration.documentsDir = documentsDir;
  framework::SetHostConfiguration(configuration);
}

// The PDF's page count, as pdfinfo (poppler-utils) reads it; 0 when it cannot.
inline int PdfPages(const std::string& path) {
  FILE* pipe = ::popen(("pdfinfo '" + path + "' 2>/dev/null").c_str(), "r");
  if (!pipe) return 0;
  char line[256];
  int pages = 0;
  while (std::fgets(line, sizeof line, pipe))
    if (std::sscanf(line, "Pages: %d", &pages) == 1) break;
  ::pclose(pipe);
  return pages;
}

// The report of `customer` for products up to `last` ("" = all); returns its page count
// when asked (the PDF is removed).
inline int RunPriceReport(const std::string& customer, const std::string& last, bool countPages = false) {
  Qrddlgs::TReportDesignerDialog runner;
  runner.ReportCode = "VQR512";
  runner.BeforeGetQueryParams = [&](platform::TParams& params, bool&) {
    params.ParamByName("P_CDARVPRODINI").SetAsString("");
    params.ParamByName("P_CDARVPRODFIN").SetAsString(last);
    params.ParamByName("P_LISTACLIENTES").SetAsString(customer);
    params.ParamByName("P_TCDCLIENTES").SetAsString("");
  };
  runner.ReportNames();
  const std::string path = runner.Execute(0, Qrddlgs::roPDF).path;
  const int pages = countPages ? PdfPages(path) : 0;
  std::filesystem::remove(path);
  return pages;
}

}  // namespace bench
