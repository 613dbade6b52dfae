#include "server/modules/unfinished_batches.h"

#include "server/modules/batches.h"
#include "server/store/transaction.h"

namespace server::modules {
namespace {

// The batch's history rows H, and whether a later change of the same price exists.
std::string BatchRows() { return " FROM TABPRECLIEHIST H WHERE " + InBatch("H", "$1"); }
constexpr const char* kLaterChange =
    "EXISTS (SELECT 1 FROM TABPRECLIEHIST L WHERE L.CDCLIENTE = H.CDCLIENTE AND L.CDPRODUTO = H.CDPRODUTO AND "
    "L.NRSEQHIST > H.NRSEQHIST)";

void RestorePricesFromBefore(store::Connection& c, std::int64_t batch) {
  c.execute(std::string("INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) SELECT "
                        "H.CDCLIENTE, H.CDPRODUTO, H.VRPRECOANT, H.DTVALINIANT, H.DTVALFINANT") +
                BatchRows() + " AND H.VRPRECOANT IS NOT NULL AND NOT " + kLaterChange +
                " ON CONFLICT (CDCLIENTE, CDPRODUTO) DO UPDATE SET VRPRECOPROD = excluded.VRPRECOPROD, DTVALINI = "
                "excluded.DTVALINI, DTVALFIN = excluded.DTVALFIN",
            {batch});
  c.execute(std::string("DELETE FROM TABPRECLIE WHERE (CDCLIENTE, CDPRODUTO) IN (SELECT H.CDCLIENTE, H.CDPRODUTO") +
                BatchRows() + " AND H.VRPRECOANT IS NULL AND NOT " + kLaterChange + ")",
            {batch});
}

// The first change after each of the batch's starts from what the batch found.
void RebaseLaterChanges(store::Connection& c, std::int64_t batch) {
  c.execute(std::string("UPDATE TABPRECLIEHIST SET (VRPRECOANT, DTVALINIANT, DTVALFINANT) = (SELECT H.VRPRECOANT, "
                        "H.DTVALINIANT, H.DTVALFINANT FROM TABPRECLIEHIST H WHERE H.NRLOTE = $1 AND H.CDCLIENTE = "
                        "TABPRECLIEHIST.CDCLIENTE AND H.CDPRODUTO = TABPRECLIEHIST.CDPRODUTO) WHERE NRSEQHIST IN "
                        "(SELECT (SELECT MIN(L.NRSEQHIST) FROM TABPRECLIEHIST L WHERE L.CDCLIENTE = H.CDCLIENTE AND "
                        "L.CDPRODUTO = H.CDPRODUTO AND L.NRSEQHIST > H.NRSEQHIST)") +
                BatchRows() + " AND " + kLaterChange + ")",
            {batch});
}

}  // namespace

void TakeBackBatch(store::Connection& c, std::int64_t batch) {
  RestorePricesFromBefore(c, batch);
  RebaseLaterChanges(c, batch);
  c.execute("DELETE FROM TABPRECLIEHIST WHERE " + InBatch("TABPRECLIEHIST", "$1"), {batch});
  // SQLite numbers a new history row after the highest left, so with the history's last
  // rows gone a batch still open may number its changes below its range's start.
  const std::string next = std::string(kLastHistoryNumber) + " + 1";
  c.execute("UPDATE TABPRECLIELOTE SET NRSEQHISTINI = " + next +
                " WHERE QTPRECO = $1 AND NRLOTE <> $2 AND NRSEQHISTINI > " + next,
            {kUnfinishedBatch, batch});
  c.execute("DELETE FROM COMPPRECLIELOTE WHERE NRLOTE = $1", {batch});
  c.execute("DELETE FROM TABPRECLIELOTE WHERE NRLOTE = $1", {batch});
}

std::vector<std::int64_t> TakeBackUnfinishedBatches(store::Connection& c) {
  std::vector<std::int64_t> batches;
  c.query("SELECT NRLOTE FROM TABPRECLIELOTE WHERE QTPRECO = $1 ORDER BY NRLOTE", {kUnfinishedBatch},
          [&](const store::Row& row) { batches.push_back(row.integer(0)); });
  for (std::int64_t batch : batches)
    store::RunInTransaction(c, store::TxMode::Write, [&] { TakeBackBatch(c, batch); });
  return batches;
}

}  // namespace server::modules
