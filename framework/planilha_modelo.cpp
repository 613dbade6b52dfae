// Planilha::GravaModelo: the template of a table, written by the report spreadsheet's
// writer from a definition of its columns, so a template reads back as the reports'
// spreadsheets do.
#include <algorithm>
#include <iterator>

#include "contracts/framework/planilha.h"
#include "framework/report_document.h"
#include "framework/report_writer.h"
#include "platform/text/utf8.h"

namespace Planilha {
namespace {

using framework::report::Field;

constexpr int kMinWidth = 12;

Field TemplateField(const TColuna& coluna) {
  Field field;
  field.column = coluna.titulo;
  field.title = coluna.titulo;
  field.width = std::max(kMinWidth, static_cast<int>(platform::utf8::Length(coluna.titulo)) + 2);
  return field;
}

}  // namespace

const platform::TDocumentEntry& GravaModelo(const std::string& titulo, const std::vector<TColuna>& colunas) {
  framework::report::Definition definition;
  definition.title = titulo;
  std::transform(colunas.begin(), colunas.end(), std::back_inserter(definition.columns), TemplateField);
  framework::report::DocumentFile document(titulo, ".xlsx");
  framework::report::WriteXlsxHeader(definition, {titulo, "", "", ""}, document.WorkPath());
  return document.Publish();
}

}  // namespace Planilha
