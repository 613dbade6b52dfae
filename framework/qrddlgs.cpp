#include "contracts/framework/qrddlgs.h"

#include <spdlog/spdlog.h>

#include <filesystem>

#include "contracts/framework/host_configuration.h"
#include "contracts/framework/showavi.h"
#include "framework/local_time.h"
#include "framework/report_definition.h"
#include "framework/report_document.h"
#include "framework/report_parameters.h"
#include "framework/report_params_dialog.h"
#include "framework/report_query.h"
#include "framework/report_writer.h"

namespace Qrddlgs {

namespace {

using namespace framework::report;

constexpr std::size_t kMaxParamName = 255;

const char* ExtensionOf(TReportOutput output) {
  switch (output) {
    case roXLSX:
      return ".xlsx";
    case roCSV:
      return ".csv";
    default:
      return ".pdf";
  }
}

// Asks for the declared parameters still without value (when allowed), then checks
// that none is left.
void FillMissing(const Definition& definition, platform::TParams& params, bool askMissing) {
  const std::vector<const Parameter*> missing = MissingParams(definition, params);
  if (missing.empty()) return;
  if (askMissing && !AskParameters(missing, params)) platform::Abort();
  for (const Parameter* param : MissingParams(definition, params))
    throw EReportError("Parâmetro " + param->name + " (" + param->prompt + ") do relatório sem valor.");
}

const platform::TDocumentEntry& Produce(const Definition& definition, const platform::TParams& params,
                                        TReportOutput output, const std::string& code) {
  const ReportHeading heading{definition.title, FilterSummary(definition, params),
                              framework::FormatLocalNow("%d/%m/%Y %H:%M"), code};
  ReportQuery query(definition, params);
  const RowPass rows = [&query](const ChunkVisitor& visit) { query.ForEachChunk(visit); };
  DocumentFile document(definition.title, ExtensionOf(output));
  WriteResult written;
  if (output == roXLSX)
    written = WriteXlsx(definition, heading, rows, document.WorkPath());
  else if (output == roCSV)
    written = WriteCsv(definition, rows, document.WorkPath());
  else
    written = WritePdf(definition, heading, rows, document.WorkPath());
  query.Finish();
  if (written.unknownGlyphs > 0)
    spdlog::warn("relatório \"{}\": {} caracteres sem desenho nas fontes instaladas", definition.title,
                 written.unknownGlyphs);
  return document.Publish();
}

}  // namespace

bool ExistParam(const platform::TParams& Params, const std::string& Name) {
  return Name.size() <= kMaxParamName && Params.FindParam(Name) != nullptr;
}

TReportDesignerDialog::TReportDesignerDialog(platform::TComponent* owner) : platform::TComponent(owner) {}

std::string TReportDesignerDialog::ReportFolder() const {
  const std::string& base = ReportsDir.empty() ? framework::GetHostConfiguration().reportsDir : ReportsDir;
  return (std::filesystem::path(base) / ReportCode).string();
}

std::vector<std::string> TReportDesignerDialog::ReportNames() {
  std::vector<std::string> titles;
  files_.clear();
  for (const std::filesystem::path& file : DefinitionFiles(ReportFolder())) {
    titles.push_back(ReadDefinition(file).title);
    files_.push_back(file.string());
  }
  return titles;
}

const platform::TDocumentEntry& TReportDesignerDialog::Execute(int index, TReportOutput output) {
  if (index < 0 || static_cast<std::size_t>(index) >= files_.size())
    throw EReportError("Escolha um dos relatórios da lista.");
  const Definition definition = ReadDefinition(files_[static_cast<std::size_t>(index)]);
  platform::TParams params = DeclaredParams(definition);
  bool askMissing = true;
  if (BeforeGetQueryParams) BeforeGetQueryParams(params, askMissing);
  FillMissing(definition, params, askMissing);
  NormaliseParams(definition, params);
  Showavi::TShowAviScope wait(nullptr, output == roPDF ? Showavi::saImpressao : Showavi::saProcessamento);
  CheckListKeys(definition, params);
  return Produce(definition, params, output, ReportCode);
}

}  // namespace Qrddlgs
