// GetPreviaImpPreco and SetImpPreco: a spreadsheet's special prices, checked line by
// line (import_lines.h) and written as one batch through the same price set writer
// and PriceRun as a copy, so the preview is what the write does and the undo takes it
// back like any other batch.
#include <map>
#include <memory>

#include "contracts/server/packets.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "platform/variant/data_packet.h"
#include "server/modules/base_prices.h"
#include "server/modules/changed_since.h"
#include "server/modules/import_lines.h"
#include "server/modules/price_run.h"
#include "server/modules/price_writer.h"
#include "server/modules/refusal.h"
#include "server/modules/lookups.h"
#include "server/modules/tab_pre_clie.h"
#include "server/modules/wire_values.h"
#include "server/store/schema.h"
#include "server/store/transaction.h"

namespace server::modules::tab_pre_clie {
namespace {

using platform::DataPacket;

constexpr const char* kImportTable = "TMPIMPORTACAO";

using LineKey = std::pair<std::string, std::string>;  // customer, product

struct ImportOutcome {
  CheckedLines checked;
  std::map<LineKey, std::int64_t> lineOf;
  std::int64_t customers = 0;
};

// The accepted lines in the temporary table the price set reads.
void FillImportTable(store::Connection& c, const std::vector<AcceptedLine>& lines) {
  const char* date = c.backend() == store::Backend::PostgreSQL ? "DATE" : "TEXT";
  ResetTempTable(c, kImportTable,
                 std::string("CDCLIENTE VARCHAR(21) NOT NULL, CDPRODUTO VARCHAR(10) NOT NULL, VRPRECOPROD DOUBLE "
                             "PRECISION NOT NULL, DTVALINI ") +
                     date + ", DTVALFIN " + date + ", PRIMARY KEY (CDCLIENTE, CDPRODUTO)");
  auto writer = c.bulkWriter(kImportTable, {"CDCLIENTE", "CDPRODUTO", "VRPRECOPROD", "DTVALINI", "DTVALFIN"});
  auto date_or_null = [](const std::optional<std::string>& d) { return d ? platform::Variant(*d) : platform::Variant(); };
  for (const AcceptedLine& line : lines)
    writer->add({line.customer, line.product, line.price, date_or_null(line.start), date_or_null(line.end)});
  writer->finish();
  if (c.backend() == store::Backend::PostgreSQL) c.executeScript(std::string("ANALYZE ") + kImportTable);
}

PriceSet ImportedPrices(const PriceRun& run, std::int64_t batch) {
  PriceSet set;
  set.history = run.history();
  set.select = [](store::SqlBuilder&) {
    return std::string("SELECT I.CDCLIENTE AS CDCLIENTE, I.CDPRODUTO AS CDPRODUTO, I.VRPRECOPROD AS VRPRECOPROD, "
                       "I.DTVALINI AS DTVALINI, I.DTVALFIN AS DTVALFIN FROM ") +
           kImportTable + " I";
  };
  set.overwrite = true;
  set.keepDates = false;
  set.origin = store::kHistoryImport;
  set.batch = batch;
  return set;
}

void ImportWork(store::Connection& c, PriceRun& run, const contract::ImportArgs& a, ImportOutcome& outcome) {
  const int level = ReadLevels(a.TtNiveis);
  if (!a.CdCliente.empty()) RequireCustomer(c, a.CdCliente);
  outcome.checked = CheckImportLines(c, ReadImportLines(a.Linhas), a.CdCliente, level);
  const std::vector<AcceptedLine>& accepted = outcome.checked.accepted;
  if (accepted.empty()) {
    if (run.preview()) return;
    throw Refusal("Nenhuma linha da planilha pode ser gravada.");
  }
  std::map<std::string, bool> customers;
  for (const AcceptedLine& line : accepted) {
    outcome.lineOf[{line.customer, line.product}] = line.line;
    customers[line.customer] = true;
  }
  outcome.customers = static_cast<std::int64_t>(customers.size());
  FillImportTable(c, accepted);
  const auto count = static_cast<std::int64_t>(accepted.size());
  run.Consider(count, count, 1);
  const std::string& owner = a.CdCliente.empty() ? accepted.front().customer : a.CdCliente;
  const std::int64_t batch = run.Open(c, store::kHistoryImport, owner);
  run.Close(c, WritePriceSet(c, ImportedPrices(run, batch), run.now()));
}

void AppendRefused(DataPacket& packet, const RefusedLine& line) {
  packet.appendString("S");
  packet.appendString(line.customer);
  packet.appendString("");
  packet.appendString(line.product);
  packet.appendString(line.productText);
  packet.appendString("");
  packet.appendNull();
  if (line.price)
    packet.appendFloat(*line.price);
  else
    packet.appendNull();
  packet.appendNull();
  packet.appendInteger(line.line);
  packet.appendString(line.column);
  packet.appendString(ShownValue(line.value));
  packet.appendString(line.reason);
  packet.endRow();
}

// The refused lines, then the run's changes with the line each came from.
contract::ReplyOf<contract::ImportPreviewData> Answer(const PriceRun& run, const ImportOutcome& outcome) {
  contract::PreviewReply changes = run.Answer();
  auto packet = std::make_shared<DataPacket>(contract::ImportPreviewColumns());
  const auto& refused = outcome.checked.refused;
  for (std::size_t i = 0; i < refused.size() && i < static_cast<std::size_t>(contract::kMaxPreviewRows); ++i)
    AppendRefused(*packet, refused[i]);
  const DataPacket& rows = *changes.packet;
  const int customer = rows.columnIndex("CDCLIENTE"), product = rows.columnIndex("CDPRODUTO");
  for (std::size_t r = 0; r < rows.rowCount(); ++r) {
    for (std::size_t col = 0; col < rows.columnCount(); ++col) packet->appendValue(rows.value(r, col));
    auto line = outcome.lineOf.find({std::string(rows.stringAt(r, customer)), std::string(rows.stringAt(r, product))});
    if (line == outcome.lineOf.end())
      packet->appendNull();
    else
      packet->appendInteger(line->second);
    for (int empty = 0; empty < 3; ++empty) packet->appendString("");
    packet->endRow();
  }
  contract::PreviewCounts counts = changes.record;
  counts.skipped = 0;
  counts.customers = outcome.customers;
  counts.blocked = static_cast<std::int64_t>(refused.size());
  return {packet, counts};
}

}  // namespace

contract::ReplyOf<contract::ImportPreviewData> GetPreviaImpPreco(store::Connection& c, const contract::ImportArgs& a) {
  PriceRun run(true);
  ImportOutcome outcome;
  std::int64_t mark = 0;
  RunRolledBack(c, [&] {
    ImportWork(c, run, a, outcome);
    mark = HistoryMark(c);
  });
  auto reply = Answer(run, outcome);
  reply.record.historyMark = mark;
  return reply;
}

contract::RunReply SetImpPreco(store::Connection& c, const contract::ImportArgs& a) {
  contract::RunReply reply;
  store::RunInTransaction(c, store::TxMode::Write, [&] {
    PriceRun run(false);
    ImportOutcome outcome;
    ImportWork(c, run, a, outcome);
    reply = ChangedSincePreview(c, run.batch());
  });
  return reply;
}

}  // namespace server::modules::tab_pre_clie
