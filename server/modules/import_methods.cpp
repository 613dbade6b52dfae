// GetPreviaImpPreco and SetImpPreco: a spreadsheet's special prices, checked line by
// line (import_lines.h) and written as one batch through the same price set writer
// and PriceRun as a copy, so the preview is what the write does and the undo takes it
// back like any other batch.
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

void ImportWork(store::Connection& c, PriceRun& run, const contract::ImportArgs& a, CheckedLines& checked) {
  const int level = ReadLevels(a.TtNiveis);
  if (!a.CdCliente.empty()) RequireCustomer(c, a.CdCliente);
  checked = CheckImportLines(c, a.Linhas, a.CdCliente, level);
  if (checked.accepted == 0) {
    if (run.preview()) return;
    throw Refusal("Nenhuma linha da planilha pode ser gravada.");
  }
  run.Consider(checked.accepted, checked.accepted, 1);
  run.Open(c, store::kHistoryImport, a.CdCliente.empty() ? checked.firstCustomer : a.CdCliente);
  run.Close(c, run.Write(c, ImportedPrices()));
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

// The refused lines, then the run's changes with the line each came from (read while
// the check's tables still hold the lines).
contract::ReplyOf<contract::ImportPreviewData> Answer(store::Connection& c, const PriceRun& run,
                                                      const CheckedLines& checked) {
  contract::PreviewReply changes = run.Answer();
  auto packet = std::make_shared<DataPacket>(contract::ImportPreviewColumns());
  const auto& refused = checked.refused;
  for (std::size_t i = 0; i < refused.size() && i < static_cast<std::size_t>(contract::kMaxPreviewRows); ++i)
    AppendRefused(*packet, refused[i]);
  const DataPacket& rows = *changes.packet;
  const int customer = rows.columnIndex("CDCLIENTE"), product = rows.columnIndex("CDPRODUTO");
  std::vector<std::pair<std::string, std::string>> keys;
  keys.reserve(rows.rowCount());
  for (std::size_t r = 0; r < rows.rowCount(); ++r)
    keys.emplace_back(std::string(rows.stringAt(r, customer)), std::string(rows.stringAt(r, product)));
  const std::vector<std::optional<std::int64_t>> lines = LinesOf(c, keys);
  for (std::size_t r = 0; r < rows.rowCount(); ++r) {
    for (std::size_t col = 0; col < rows.columnCount(); ++col) packet->appendValue(rows.value(r, col));
    if (lines[r])
      packet->appendInteger(*lines[r]);
    else
      packet->appendNull();
    for (int empty = 0; empty < 3; ++empty) packet->appendString("");
    packet->endRow();
  }
  contract::PreviewCounts counts = changes.record;
  counts.skipped = 0;
  counts.customers = checked.customers;
  counts.blocked = static_cast<std::int64_t>(refused.size());
  return {packet, counts};
}

}  // namespace

contract::ReplyOf<contract::ImportPreviewData> GetPreviaImpPreco(store::Connection& c, const contract::ImportArgs& a) {
  PriceRun run(true);
  contract::ReplyOf<contract::ImportPreviewData> reply;
  RunRolledBack(c, [&] {
    CheckedLines checked;
    ImportWork(c, run, a, checked);
    reply = Answer(c, run, checked);
    reply.record.historyMark = HistoryMark(c);
  });
  return reply;
}

contract::RunReply SetImpPreco(store::Connection& c, const contract::ImportArgs& a) {
  contract::RunReply reply;
  RunWrite(c, [&](PriceRun& run) {
    CheckedLines checked;
    ImportWork(c, run, a, checked);
    reply = ChangedSincePreview(c, run.batch());
  });
  return reply;
}

}  // namespace server::modules::tab_pre_clie
