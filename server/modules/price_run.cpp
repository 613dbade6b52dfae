#include "server/modules/price_run.h"

#include <spdlog/spdlog.h>

#include "contracts/server/packets.h"
#include "contracts/server/price_limits.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "server/modules/base_prices.h"
#include "server/modules/batches.h"
#include "server/modules/price_writer.h"
#include "server/modules/unfinished_batches.h"
#include "server/store/applied_call.h"
#include "server/store/schema.h"
#include "server/store/sql_builder.h"

namespace server::modules {
namespace {

void AppendRealOrNull(platform::DataPacket& packet, const store::Row& row, int col) {
  if (row.isNull(col))
    packet.appendNull();
  else
    packet.appendFloat(row.real(col));
}

// The columns of PreviewColumns after IDBLOQUEIO, from a query's columns 0..7.
void AppendPreviewRow(platform::DataPacket& packet, const store::Row& row, bool blocked) {
  packet.appendString(blocked ? "S" : "N");
  for (int col = 0; col < 5; ++col) packet.appendString(row.textView(col));
  for (int col = 5; col < 8; ++col) AppendRealOrNull(packet, row, col);
  packet.endRow();
}

// Whether some base price that would be written is zero or less.
bool AnyNonPositiveBasePrice(store::Connection& c, const std::string* keptFor) {
  std::string statement = std::string("SELECT 1 FROM ") + kBasePriceTable + " B WHERE B.VRPRECOPROD <= 0";
  store::Params params;
  if (keptFor) {
    statement += " AND NOT EXISTS (SELECT 1 FROM TABPRECLIE O WHERE O.CDCLIENTE = $1 AND O.CDPRODUTO = B.CDPRODUTO)";
    params.push_back(*keptFor);
  }
  return c.exists(statement + " LIMIT 1", params);
}

constexpr const char* kPreviewHistoryTable = "TMPPREVIAHIST";
constexpr const char* kPreviewPriceTable = "TMPPREVIAPRECO";

// A preview's copy of the prices the set reaches: all the write would read or change.
void CopyReachedPrices(store::Connection& c, const PriceSet& set) {
  ResetTempTable(c, kPreviewPriceTable, store::PriceRowColumns(c.backend()));
  store::SqlBuilder sql(c.backend());
  c.execute(std::string("INSERT INTO ") + kPreviewPriceTable +
                " (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) SELECT T.CDCLIENTE, T.CDPRODUTO, "
                "T.VRPRECOPROD, T.DTVALINI, T.DTVALFIN FROM TABPRECLIE T JOIN (" +
                set.select(sql) + ") N ON T.CDCLIENTE = N.CDCLIENTE AND T.CDPRODUTO = N.CDPRODUTO",
            sql.params());
  if (c.backend() == store::Backend::PostgreSQL)
    c.executeScript(std::string("SET LOCAL default_statistics_target = 10; ANALYZE ") + kPreviewPriceTable);
}

// A write's price set in slices (SQLite): its rows numbered from 1 in the set's order.
constexpr const char* kSliceTable = "TMPGRAVACAO";

std::int64_t FillSliceTable(store::Connection& c, const PriceSet& set) {
  ResetTempTable(c, kSliceTable,
                 "NRSEQ INTEGER PRIMARY KEY, CDCLIENTE VARCHAR(21) NOT NULL, CDPRODUTO VARCHAR(10) NOT NULL, "
                 "VRPRECOPROD DOUBLE PRECISION, DTVALINI TEXT, DTVALFIN TEXT",
                 TempRows::InsertionOrder);
  store::SqlBuilder sql(c.backend());
  return c.execute(std::string("INSERT INTO ") + kSliceTable +
                       " (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) SELECT N.CDCLIENTE, N.CDPRODUTO, "
                       "N.VRPRECOPROD, N.DTVALINI, N.DTVALFIN FROM (" +
                       set.select(sql) + ") N",
                   sql.params());
}

// The rows of the slice table after the first `from`, up to `to`.
std::string Slice(store::SqlBuilder& sql, std::int64_t from, std::int64_t to) {
  return std::string("SELECT S.CDCLIENTE AS CDCLIENTE, S.CDPRODUTO AS CDPRODUTO, S.VRPRECOPROD AS VRPRECOPROD, "
                     "S.DTVALINI AS DTVALINI, S.DTVALFIN AS DTVALFIN FROM ") +
         kSliceTable + " S WHERE S.NRSEQ > " + sql.integerParam(from) + " AND S.NRSEQ <= " + sql.integerParam(to);
}

std::string Limit(store::SqlBuilder& sql) {
  return " LIMIT " + sql.integerParam(contracts::server::kMaxPreviewRows);
}

}  // namespace

PriceRun::PriceRun(bool preview)
    : preview_(preview),
      history_(preview ? kPreviewHistoryTable : "TABPRECLIEHIST"),
      rows_(std::make_shared<platform::DataPacket>(contracts::server::PreviewColumns())) {}

void PriceRun::Consider(std::int64_t productsInRange, std::int64_t baseProducts, std::int64_t customers) {
  base_ = baseProducts;
  counts_.customers = customers;
  counts_.skipped = productsInRange - baseProducts;
}

// A preview lists the products of a refusal "@PrecoZerNeg" (some price zero or less):
// every unsound one, as the write would meet them. Any other refusal of the write (a
// price over the ceiling or one that cannot be computed) the preview meets the same way.
bool PriceRun::SoundBasePrices(store::Connection& c, const std::string* keptFor, const std::string* shownFor) {
  if (!preview_ || !AnyNonPositiveBasePrice(c, keptFor)) {
    RefuseUnsoundBasePrices(c, keptFor);
    return true;
  }
  if (keptFor) shownFor = keptFor;
  store::SqlBuilder sql(c.backend());
  std::string customer = shownFor ? sql.textParam(*shownFor) : "NULL";
  std::string unsound = "(B.VRPRECOPROD IS NULL OR B.VRPRECOPROD <= 0 OR B.VRPRECOPROD > " +
                        sql.doubleParam(contracts::server::kMaxPrice) + ")";
  std::string from = std::string(" FROM ") + kBasePriceTable +
                     " B JOIN PRODUTO P ON P.CDPRODUTO = B.CDPRODUTO LEFT JOIN CLIENTE C ON C.CDCLIENTE = " + customer +
                     " LEFT JOIN TABPRECLIE O ON O.CDCLIENTE = C.CDCLIENTE AND O.CDPRODUTO = B.CDPRODUTO WHERE " +
                     unsound + (keptFor ? " AND O.CDCLIENTE IS NULL" : "");
  std::string statement =
      "SELECT COALESCE(C.CDCLIENTE, ''), COALESCE(C.NMRAZSOCCLIE, ''), B.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, "
      "O.VRPRECOPROD, B.VRPRECOPROD, NULL" +
      from + " ORDER BY P.CDARVPROD" + Limit(sql);
  c.query(statement, sql.params(), [&](const store::Row& row) { AppendPreviewRow(*rows_, row, true); });
  store::SqlBuilder counting(c.backend());
  std::string shown = shownFor ? counting.textParam(*shownFor) : "NULL";
  c.query("SELECT COUNT(*)" + std::string(" FROM ") + kBasePriceTable +
              " B LEFT JOIN TABPRECLIE O ON O.CDCLIENTE = " + shown + " AND O.CDPRODUTO = B.CDPRODUTO WHERE " +
              "(B.VRPRECOPROD IS NULL OR B.VRPRECOPROD <= 0 OR B.VRPRECOPROD > " +
              counting.doubleParam(contracts::server::kMaxPrice) + ")" + (keptFor ? " AND O.CDCLIENTE IS NULL" : ""),
          counting.params(), [&](const store::Row& row) { counts_.blocked = row.integer(0); });
  return false;
}

void PriceRun::Open(store::Connection& c, char origin, const std::string& customer) {
  now_ = NowISO();
  origin_ = origin;
  customer_ = customer;
  if (preview_)
    ResetTempTable(c, kPreviewHistoryTable, store::HistoryRowColumns(c.backend()), TempRows::InsertionOrder);
}

std::int64_t PriceRun::Write(store::Connection& c, PriceSet set) {
  set.history = history_;
  if (preview_) {
    CopyReachedPrices(c, set);
    set.prices = kPreviewPriceTable;
    return WritePriceSet(c, set, now_);
  }
  if (WritesInSlices(c)) return WriteInSlices(c, std::move(set));
  set.batch = batch_ = OpenBatch(c, origin_, customer_, now_);
  return WritePriceSet(c, set, now_);
}

std::int64_t PriceRun::WriteInSlices(store::Connection& c, PriceSet set) {
  if (!set.slice) {
    set.rows = FillSliceTable(c, set);
    set.slice = Slice;
  }
  const std::optional<std::int64_t> prepared = set.referencesRead ? c.commitsSeen() : std::nullopt;
  auto beginSlice = [&] {
    if (prepared)
      c.beginWriteOfReadReferences(*prepared);
    else
      c.begin(store::TxMode::Write);
  };
  c.commit();  // the preparation's transaction, which took no lock
  beginSlice();
  std::int64_t written = 0;
  for (std::int64_t done = 0;; done += kSliceRows) {
    const bool last = done + kSliceRows >= set.rows;
    // A call applied once (store/applied_call.h) records its id with the last slice,
    // which commits with the command: a batch left unfinished is taken back, never
    // recorded as applied.
    if (last && c.appliedCall()) c.appliedCall()->claim();
    if (done == 0) batch_ = OpenBatch(c, origin_, customer_, now_);
    set.batch = batch_;
    set.select = [&set, done](store::SqlBuilder& sql) { return set.slice(sql, done, done + kSliceRows); };
    if (set.sliceBounds)
      set.bounds = [&set, done](store::SqlBuilder& sql) { return set.sliceBounds(sql, done, done + kSliceRows); };
    written += WritePriceSet(c, set, now_);
    if (last) return written;
    if (c.writersWaiting()) {
      c.commit();
      slicesCommitted_ = true;
      beginSlice();
    }
  }
}

void PriceRun::TakeBackSlices(store::Connection& c) {
  if (!slicesCommitted_) return;
  try {
    c.rollback();
    store::Transaction tx(c, store::TxMode::Write);
    TakeBackBatch(c, batch_);
    tx.commit();
  } catch (const std::exception& e) {
    spdlog::error("Falha ao desfazer o lote {} interrompido ({}); ele será desfeito quando o servidor iniciar",
                  batch_, e.what());
  }
}

bool WritesInSlices(const store::Connection& c) { return c.backend() == store::Backend::SQLite; }

// A preview's history table holds its own rows alone.
void PriceRun::Close(store::Connection& c, std::int64_t written) {
  if (!preview_) {
    CloseBatch(c, batch_, written);
    if (written == 0) DropEmptyBatch(c, batch_);
    return;
  }
  c.query("SELECT SUM(CASE WHEN VRPRECOANT IS NULL THEN 1 ELSE 0 END), COUNT(*) FROM " + history_, {},
          [&](const store::Row& row) {
            counts_.created = row.isNull(0) ? 0 : row.integer(0);
            counts_.changed = row.integer(1) - counts_.created;
          });
  counts_.unchanged = base_ * counts_.customers - counts_.created - counts_.changed;
  store::SqlBuilder sql(c.backend());
  std::string statement =
      "SELECT H.CDCLIENTE, C.NMRAZSOCCLIE, H.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, H.VRPRECOANT, H.VRPRECONOV, "
      "CASE WHEN H.VRPRECOANT IS NULL THEN NULL ELSE (H.VRPRECONOV - H.VRPRECOANT) * 100.0 / H.VRPRECOANT END AS PC "
      "FROM " + history_ + " H JOIN PRODUTO P ON P.CDPRODUTO = H.CDPRODUTO JOIN CLIENTE C ON C.CDCLIENTE = H.CDCLIENTE "
      "ORDER BY CASE WHEN H.VRPRECOANT IS NULL THEN 1 ELSE 0 END, ABS(H.VRPRECONOV - H.VRPRECOANT) / H.VRPRECOANT DESC, "
      "C.NMRAZSOCCLIE, H.CDCLIENTE, P.CDARVPROD" +
      Limit(sql);
  c.query(statement, sql.params(), [&](const store::Row& row) { AppendPreviewRow(*rows_, row, false); });
}

contracts::server::PreviewReply PriceRun::Answer() const { return {rows_, counts_}; }

}  // namespace server::modules
