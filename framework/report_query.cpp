#include "framework/report_query.h"

#include "contracts/framework/adoibquery.h"
#include "framework/readonly_statement.h"

namespace framework::report {

namespace {

constexpr std::size_t kChunkRows = 512;

platform::FieldType ColumnKind(ValueKind kind) {
  switch (kind) {
    case ValueKind::Number:
      return platform::FieldType::Float;
    case ValueKind::Integer:
      return platform::FieldType::Integer;
    case ValueKind::Date:
      return platform::FieldType::DateTime;
    default:
      return platform::FieldType::String;
  }
}

// The kind of every column the definition shows, so each database hands them over
// alike (SQLite keeps dates as text).
std::vector<platform::ColumnDef> Hints(const Definition& definition) {
  std::vector<platform::ColumnDef> hints;
  auto add = [&](const std::vector<Field>& fields) {
    for (const Field& field : fields) {
      hints.push_back(platform::ColumnDef{field.column, ColumnKind(field.kind), 0});
      if (!field.kindColumn.empty())
        hints.push_back(platform::ColumnDef{field.kindColumn, platform::FieldType::String, 0});
    }
  };
  if (definition.group) add(definition.group->header);
  add(definition.columns);
  return hints;
}

Adoibquery::TdtmDBGeral& Module() { return *Adoibquery::dtmDBGeral; }

}  // namespace

ReportQuery::ReportQuery(const Definition& definition, const platform::TParams& params) : hints_(Hints(definition)) {
  const std::string target = Module().dtbGeral->Target();
  const std::string& sql = definition.SqlFor(target);
  values_ = sql::BoundValues(sql, params);
  Module().adcGeral->Open(target);
  text_ = sql::NumberedText(sql, Module().adcGeral->Backend());
  Module().ibtGeral->StartTransaction(*Module().adcGeral);
  open_ = true;
}

ReportQuery::~ReportQuery() {
  if (open_) Module().ibtGeral->Rollback();
}

void ReportQuery::ForEachChunk(const ChunkVisitor& visit) {
  Module().adcGeral->Backend().selectChunks(text_, values_, hints_, kChunkRows, visit);
}

void ReportQuery::Finish() {
  open_ = false;
  Module().ibtGeral->Commit();
}

}  // namespace framework::report
