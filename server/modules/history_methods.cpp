// GetHistPreco, GetLotePreco and SetDesfazLote: the history of a customer's prices,
// page by page on the history's indexes, and the undo of a whole batch.
#include <memory>

#include "contracts/server/packets.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "platform/text/date_time.h"
#include "platform/variant/data_packet.h"
#include "server/modules/base_prices.h"
#include "server/modules/batches.h"
#include "server/modules/caller.h"
#include "server/modules/lookups.h"
#include "server/modules/packet_values.h"
#include "server/modules/price_lock.h"
#include "server/modules/price_writer.h"
#include "server/modules/refusal.h"
#include "server/modules/tab_pre_clie.h"
#include "server/store/schema.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace server::modules::tab_pre_clie {
namespace {

using platform::DataPacket;

constexpr const char* kFormulaRestoreTable = "TMPDESFAZFORM";
constexpr std::size_t kMaxProductCode = 10;

std::int64_t ReadBatchNumber(std::int64_t batch) {
  if (batch <= 0) throw Refusal("Número de lote inválido: " + std::to_string(batch) + ".");
  return batch;
}

BatchInfo RequireBatch(store::Connection& c, std::int64_t batch, bool lock) {
  auto info = FindBatch(c, ReadBatchNumber(batch), lock);
  if (!info) throw Refusal("Lote " + std::to_string(batch) + " não encontrado.");
  if (info->prices == kUnfinishedBatch)
    throw Refusal("O lote " + std::to_string(batch) + " ainda está sendo gravado.");
  return *info;
}

// A batch can be taken back once, and only a recalculation's, a copy's or an import's.
void RequireUndoable(const BatchInfo& info) {
  if (info.origin != store::kHistoryRecalc && info.origin != store::kHistoryCopy &&
      info.origin != store::kHistoryImport)
    throw Refusal("Somente lotes de recálculo, de cópia ou de importação podem ser desfeitos.");
  if (info.undoneBy)
    throw Refusal("O lote " + std::to_string(info.number) + " já foi desfeito (lote " + std::to_string(*info.undoneBy) +
                  ").");
}

// Whether the price T of the batch's history row H still stands as the batch left it:
// its price and dates what the batch wrote, and no change of the product recorded after
// the batch's but those of the undo itself, numbered `undo` (a later edit back to the
// same value is a change of its own).
std::string StillAsBatchLeftIt(const std::string& undo) {
  return "T.VRPRECOPROD = H.VRPRECONOV AND T.DTVALINI IS NOT DISTINCT FROM H.DTVALININOV AND T.DTVALFIN IS NOT "
         "DISTINCT FROM H.DTVALFINNOV AND NOT EXISTS (SELECT 1 FROM TABPRECLIEHIST L WHERE L.CDCLIENTE = H.CDCLIENTE "
         "AND L.CDPRODUTO = H.CDPRODUTO AND L.NRSEQHIST > H.NRSEQHIST AND L.NRLOTE IS DISTINCT FROM " + undo + ")";
}

// Records under the undo batch every price of the batch that nobody changed since, from
// its value now back to its value before the batch. The batch's prices are locked first
// (price_lock.h), so the choice and the values recorded are those of the prices the
// restore replaces. Returns how many.
std::int64_t RecordRestorablePrices(store::Connection& c, std::int64_t batch, std::int64_t undo,
                                    const std::string& now) {
  LockPriceRows(c,
                "TABPRECLIE T JOIN TABPRECLIEHIST H ON H.CDCLIENTE = T.CDCLIENTE AND H.CDPRODUTO = T.CDPRODUTO WHERE " +
                    InBatch("H", "$1"),
                {batch});
  store::SqlBuilder sql(c.backend());
  const std::string undoNumber = "CAST(" + sql.param(platform::Variant(undo)) + " AS BIGINT)";
  std::string statement =
      "INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECOANT, DTVALINIANT, DTVALFINANT, VRPRECONOV, "
      "DTVALININOV, DTVALFINNOV, IDORIGALT, DTHRALT, NRLOTE, CDUSUARIO) SELECT H.CDCLIENTE, H.CDPRODUTO, "
      "T.VRPRECOPROD, T.DTVALINI, T.DTVALFIN, H.VRPRECOANT, H.DTVALINIANT, H.DTVALFINANT, " +
      sql.textParam(std::string(1, store::kHistoryUndo)) + ", " + sql.timestampParam(now) + ", " + undoNumber + ", " +
      sql.textParam(ChangeAuthor(c)) +
      " FROM TABPRECLIEHIST H JOIN TABPRECLIE T ON T.CDCLIENTE = H.CDCLIENTE AND T.CDPRODUTO = H.CDPRODUTO WHERE " +
      InBatch("H", "CAST(" + sql.param(platform::Variant(batch)) + " AS BIGINT)") + " AND " +
      StillAsBatchLeftIt(undoNumber);
  return c.execute(statement, sql.params());
}

// The prices recorded under the undo batch take the values it recorded: those that
// existed before the batch get their price and dates back, those it created go.
void RestoreRecordedPrices(store::Connection& c, std::int64_t undo) {
  c.execute("INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) SELECT H.CDCLIENTE, "
            "H.CDPRODUTO, H.VRPRECONOV, H.DTVALININOV, H.DTVALFINNOV FROM TABPRECLIEHIST H WHERE " + InBatch("H", "$1") +
                " AND H.VRPRECONOV IS NOT NULL ON CONFLICT (CDCLIENTE, CDPRODUTO) DO UPDATE SET VRPRECOPROD = "
            "excluded.VRPRECOPROD, DTVALINI = excluded.DTVALINI, DTVALFIN = excluded.DTVALFIN",
            {undo});
  c.execute("DELETE FROM TABPRECLIE WHERE (CDCLIENTE, CDPRODUTO) IN (SELECT H.CDCLIENTE, H.CDPRODUTO FROM "
            "TABPRECLIEHIST H WHERE " + InBatch("H", "$1") + " AND H.VRPRECONOV IS NULL)",
            {undo});
}

// The targets of a formula copy whose formula is still the one the copy gave them get
// their formula from before back. Returns how many. Each target's rows now and the rows
// the copy gave it are grouped together by every column: a row alone in its group is
// one the two formulas do not share. A copy's formula rows are often newer than the
// tables' statistics, and comparing the two as joins, planned for a batch of one row,
// matched every target's rows against every other target's (minutes for a thousand
// targets); grouping reads each side once whatever the plan.
std::int64_t RestoreFormulas(store::Connection& c, std::int64_t batch) {
  LockFormulaCustomers(c, "SELECT N.CDCLIENTE FROM COMPPRECLIELOTE N WHERE N.NRLOTE = $1 AND N.IDVERSAO = 'N'", {batch});
  ResetTempTable(c, kFormulaRestoreTable, "CDCLIENTE VARCHAR(21) NOT NULL PRIMARY KEY");
  const std::string table = kFormulaRestoreTable;
  std::int64_t targets = c.execute("INSERT INTO " + table +
                                       " (CDCLIENTE) SELECT DISTINCT N.CDCLIENTE FROM COMPPRECLIELOTE N WHERE N.NRLOTE = "
                                       "$1 AND N.IDVERSAO = 'N'",
                                   {batch});
  if (targets == 0) return 0;
  if (c.backend() == store::Backend::PostgreSQL) c.executeScript("ANALYZE " + table);
  const std::string columns = "CDCLIENTE, CDFATPRECO, NRORDEMFAT, IDDETFATPRE, VRFATPRECLIE, IDTPOPERFATCLIE";
  targets -= c.execute("DELETE FROM " + table + " WHERE CDCLIENTE IN (SELECT CDCLIENTE FROM (SELECT " + columns +
                           " FROM COMPPRECLIE WHERE CDCLIENTE IN (SELECT CDCLIENTE FROM " + table +
                           ") UNION ALL SELECT " + columns +
                           " FROM COMPPRECLIELOTE WHERE NRLOTE = $1 AND IDVERSAO = 'N') R GROUP BY " + columns +
                           " HAVING COUNT(*) = 1)",
                       {batch});
  if (targets == 0) return 0;
  c.execute(std::string("DELETE FROM COMPPRECLIE WHERE CDCLIENTE IN (SELECT CDCLIENTE FROM ") + kFormulaRestoreTable +
            ")");
  c.execute(std::string("INSERT INTO COMPPRECLIE (CDCLIENTE, CDFATPRECO, NRORDEMFAT, IDDETFATPRE, VRFATPRECLIE, "
                        "IDTPOPERFATCLIE) SELECT A.CDCLIENTE, A.CDFATPRECO, A.NRORDEMFAT, A.IDDETFATPRE, "
                        "A.VRFATPRECLIE, A.IDTPOPERFATCLIE FROM COMPPRECLIELOTE A WHERE A.NRLOTE = $1 AND A.IDVERSAO = "
                        "'A' AND A.CDCLIENTE IN (SELECT CDCLIENTE FROM ") +
                kFormulaRestoreTable + ")",
            {batch});
  return targets;
}

// The kept rows of an undo: every one is counted, the first kMaxKeptRows are listed.
struct KeptList {
  DataPacket& packet;
  std::int64_t count = 0;
  // Counts one more; whether it is listed.
  bool take() {
    ++count;
    return packet.rowCount() < static_cast<std::size_t>(contracts::server::kMaxKeptRows);
  }
};

// The batch's prices someone changed since (read before the restore): what the batch
// wrote and what stands now.
void AddKeptPrices(store::Connection& c, std::int64_t batch, std::int64_t undo, KeptList& kept) {
  c.query(std::string("SELECT H.CDCLIENTE, C.NMRAZSOCCLIE, H.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, H.VRPRECONOV, "
                      "T.VRPRECOPROD ") +
          "FROM TABPRECLIEHIST H JOIN CLIENTE C ON C.CDCLIENTE = H.CDCLIENTE JOIN PRODUTO P ON P.CDPRODUTO = "
          "H.CDPRODUTO LEFT JOIN TABPRECLIE T ON T.CDCLIENTE = H.CDCLIENTE AND T.CDPRODUTO = H.CDPRODUTO WHERE " +
          InBatch("H", "$1") + " AND (T.CDCLIENTE IS NULL OR NOT (" +
              StillAsBatchLeftIt("CAST($2 AS BIGINT)") + ")) ORDER BY C.NMRAZSOCCLIE, H.CDCLIENTE, P.CDARVPROD",
          {batch, undo}, [&](const store::Row& row) {
            if (!kept.take()) return;
            for (int col = 0; col < 5; ++col) kept.packet.appendString(row.textView(col));
            AppendRealOrNull(kept.packet, row, 5);
            AppendRealOrNull(kept.packet, row, 6);
            kept.packet.endRow();
          });
}

// The formula copy's targets whose formula changed since (after RestoreFormulas).
void AddKeptFormulas(store::Connection& c, std::int64_t batch, KeptList& kept) {
  c.query(std::string("SELECT C.CDCLIENTE, C.NMRAZSOCCLIE FROM CLIENTE C WHERE C.CDCLIENTE IN (SELECT N.CDCLIENTE FROM "
                      "COMPPRECLIELOTE N WHERE N.NRLOTE = $1 AND N.IDVERSAO = 'N') AND C.CDCLIENTE NOT IN (SELECT "
                      "CDCLIENTE FROM ") +
              kFormulaRestoreTable + ") ORDER BY C.NMRAZSOCCLIE, C.CDCLIENTE",
          {batch}, [&](const store::Row& row) {
            if (!kept.take()) return;
            DataPacket& packet = kept.packet;
            packet.appendString(row.textView(0));
            packet.appendString(row.textView(1));
            packet.appendString("");
            packet.appendString("");
            packet.appendString("Fórmula de composição");
            packet.appendNull();
            packet.appendNull();
            packet.endRow();
          });
}

struct BatchCustomers {
  std::int64_t count = 0;
  std::string firstNames;  // one per line
};

// The customers whose prices or formula the batch changed. Each table is walked from
// one customer to the next on its batch index, so the cost follows the customers
// reached, not the prices written; SQLite, with no history index by batch, reads the
// batch's range of the history once instead.
BatchCustomers FindBatchCustomers(store::Connection& c, std::int64_t batch) {
  auto walk = [](const char* name, const char* table, const char* extra) {
    return std::string(name) + "(CD) AS (SELECT MIN(CDCLIENTE) FROM " + table + " WHERE NRLOTE = $1" + extra +
           " UNION ALL SELECT (SELECT MIN(X.CDCLIENTE) FROM " + table + " X WHERE X.NRLOTE = $1" + extra +
           " AND X.CDCLIENTE > " + name + ".CD) FROM " + name + " WHERE " + name + ".CD IS NOT NULL)";
  };
  const std::string history = c.backend() == store::Backend::SQLite
                                  ? "H(CD) AS (SELECT DISTINCT H.CDCLIENTE FROM TABPRECLIEHIST H WHERE " +
                                        InBatch("H", "$1") + ")"
                                  : walk("H", "TABPRECLIEHIST", "");
  BatchCustomers found;
  c.query("WITH RECURSIVE " + history + ", " +
              walk("F", "COMPPRECLIELOTE", " AND IDVERSAO = 'N'") +
              ", A(CD) AS (SELECT CD FROM H WHERE CD IS NOT NULL UNION SELECT CD FROM F WHERE CD IS NOT NULL) "
              "SELECT C.NMRAZSOCCLIE, COUNT(*) OVER () FROM A JOIN CLIENTE C ON C.CDCLIENTE = A.CD ORDER BY "
              "C.NMRAZSOCCLIE, C.CDCLIENTE LIMIT " +
              std::to_string(contracts::server::kBatchCustomersNamed),
          {batch}, [&](const store::Row& row) {
            if (!found.firstNames.empty()) found.firstNames += '\n';
            found.firstNames += row.textView(0);
            found.count = row.integer(1);
          });
  return found;
}

}  // namespace

PacketPtr GetHistPreco(store::Connection& c, const contract::HistoryPageArgs& a) {
  const std::string& customer = a.CdCliente;
  const std::string& product = a.CdProduto;
  const std::string& before = a.DtHrAte;
  const std::int64_t beforeSequence = a.NrSeqAte;
  const std::int64_t rows = a.QtLinhas;
  if (rows < 1 || rows > contracts::server::kMaxHistoryRows)
    throw Refusal("Quantidade de linhas do histórico deve ser de 1 a " +
                  std::to_string(contracts::server::kMaxHistoryRows) + ".");
  if (product.size() > kMaxProductCode) throw Refusal("Produto inválido: '" + ShownValue(product) + "'.");
  if (!before.empty() && !platform::TryISOToDateTime(before))
    throw Refusal("Posição do histórico inválida: '" + ShownValue(before) + "'.");
  if (beforeSequence < 0) throw Refusal("Posição do histórico inválida: " + std::to_string(beforeSequence) + ".");
  store::SqlBuilder sql(c.backend());
  std::string statement =
      "SELECT H.NRSEQHIST, H.DTHRALT, H.IDORIGALT, H.NRLOTE, H.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, H.VRPRECOANT, "
      "H.VRPRECONOV, H.DTVALINIANT, H.DTVALFINANT, H.DTVALININOV, H.DTVALFINNOV, H.CDUSUARIO FROM TABPRECLIEHIST H "
      "JOIN PRODUTO P ON P.CDPRODUTO = H.CDPRODUTO WHERE H.CDCLIENTE = " +
      sql.textParam(customer);
  if (!product.empty()) statement += " AND H.CDPRODUTO = " + sql.textParam(product);
  // Newest first in the order the changes were applied: their numbers, taken under the
  // prices' locks (price_writer.h). A row's time is when its command began.
  if (beforeSequence > 0) statement += " AND H.NRSEQHIST < CAST(" + sql.param(platform::Variant(beforeSequence)) + " AS BIGINT)";
  statement += " ORDER BY H.NRSEQHIST DESC LIMIT " + sql.integerParam(rows);
  auto packet = std::make_shared<DataPacket>(contracts::server::HistoryColumns());
  c.query(statement, sql.params(), [&](const store::Row& row) {
    packet->appendInteger(row.integer(0));
    AppendDateOrNull(*packet, row, 1);
    packet->appendString(row.textView(2));
    AppendIntegerOrNull(*packet, row, 3);
    for (int col = 4; col < 7; ++col) packet->appendString(row.textView(col));
    AppendRealOrNull(*packet, row, 7);
    AppendRealOrNull(*packet, row, 8);
    for (int col = 9; col < 13; ++col) AppendDateOrNull(*packet, row, col);
    packet->appendString(row.textView(13));
    packet->endRow();
  });
  // Rows are only ever written for a registered customer: the check is needed (and
  // its round trip paid) only when there are none.
  if (packet->rowCount() == 0) RequireCustomer(c, customer);
  return packet;
}

PacketPtr GetLotePreco(store::Connection& c, const contract::BatchArgs& a) {
  BatchInfo info = RequireBatch(c, a.NrLote, false);
  auto packet = std::make_shared<DataPacket>(contracts::server::BatchColumns());
  packet->appendInteger(info.number);
  packet->appendString(std::string(1, info.origin));
  packet->appendString(info.customer);
  auto time = platform::TryISOToDateTime(info.time);
  if (time)
    packet->appendDateTime(*time);
  else
    packet->appendNull();
  packet->appendInteger(info.prices);
  if (info.undoneBy)
    packet->appendInteger(*info.undoneBy);
  else
    packet->appendNull();
  const BatchCustomers customers = FindBatchCustomers(c, info.number);
  packet->appendInteger(customers.count);
  packet->appendString(customers.firstNames);
  packet->appendString(info.user);
  packet->endRow();
  return packet;
}

contract::UndoReply SetDesfazLote(store::Connection& c, const contract::BatchArgs& a) {
  const std::int64_t batch = a.NrLote;
  ReadBatchNumber(batch);
  return store::RunInTransaction(c, store::TxMode::Write, [&] {
    BatchInfo info = RequireBatch(c, batch, true);
    RequireUndoable(info);
    std::string now = NowISO();
    std::int64_t undo = OpenBatch(c, store::kHistoryUndo, info.customer, now);
    auto rows = std::make_shared<DataPacket>(contracts::server::KeptColumns());
    KeptList kept{*rows};
    std::int64_t restored = RecordRestorablePrices(c, batch, undo, now);
    if (restored < info.prices) AddKeptPrices(c, batch, undo, kept);
    RestoreRecordedPrices(c, undo);
    RestoreFormulas(c, batch);
    AddKeptFormulas(c, batch, kept);
    CloseBatch(c, undo, restored);
    c.execute("UPDATE TABPRECLIELOTE SET NRLOTEDESF = $1 WHERE NRLOTE = $2", {undo, batch});
    return contract::UndoReply{rows, {.restored = restored, .kept = kept.count}};
  });
}

}  // namespace server::modules::tab_pre_clie
