#include "server/modules/price_run.h"

#include "contracts/server/packets.h"
#include "contracts/server/price_limits.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "server/modules/base_prices.h"
#include "server/modules/batches.h"
#include "server/modules/price_writer.h"
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

std::int64_t PriceRun::Open(store::Connection& c, char origin, const std::string& customer) {
  now_ = NowISO();
  if (preview_)
    ResetTempTable(c, kPreviewHistoryTable, store::HistoryRowColumns(c.backend()), TempRows::InsertionOrder);
  batch_ = OpenBatch(c, origin, customer, now_);
  return batch_;
}

void PriceRun::Close(store::Connection& c, std::int64_t written) {
  CloseBatch(c, batch_, written);
  if (!preview_) {
    if (written == 0) DropEmptyBatch(c, batch_);
    return;
  }
  c.query("SELECT SUM(CASE WHEN VRPRECOANT IS NULL THEN 1 ELSE 0 END), COUNT(*) FROM " + history_ + " WHERE NRLOTE = $1",
          {batch_}, [&](const store::Row& row) {
            counts_.created = row.isNull(0) ? 0 : row.integer(0);
            counts_.changed = row.integer(1) - counts_.created;
          });
  counts_.unchanged = base_ * counts_.customers - counts_.created - counts_.changed;
  store::SqlBuilder sql(c.backend());
  std::string statement =
      "SELECT H.CDCLIENTE, C.NMRAZSOCCLIE, H.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, H.VRPRECOANT, H.VRPRECONOV, "
      "CASE WHEN H.VRPRECOANT IS NULL THEN NULL ELSE (H.VRPRECONOV - H.VRPRECOANT) * 100.0 / H.VRPRECOANT END AS PC "
      "FROM " + history_ + " H JOIN PRODUTO P ON P.CDPRODUTO = H.CDPRODUTO JOIN CLIENTE C ON C.CDCLIENTE = H.CDCLIENTE "
      "WHERE H.NRLOTE = " +
      sql.param(platform::Variant(batch_)) +
      " ORDER BY CASE WHEN H.VRPRECOANT IS NULL THEN 1 ELSE 0 END, ABS(H.VRPRECONOV - H.VRPRECOANT) / H.VRPRECOANT DESC, "
      "C.NMRAZSOCCLIE, H.CDCLIENTE, P.CDARVPROD" +
      Limit(sql);
  c.query(statement, sql.params(), [&](const store::Row& row) { AppendPreviewRow(*rows_, row, false); });
}

contracts::server::PreviewReply PriceRun::Answer() const { return {rows_, counts_}; }

}  // namespace server::modules
