// GetHistPreco, GetLotePreco and SetDesfazLote: every change in the history under its
// origin and batch, pages newest first, and the undo of a whole batch.
#include <gtest/gtest.h>

#include "server/modules/batches.h"
#include "server/modules/unfinished_batches.h"
#include "server/store/transaction.h"
#include "tests/server/batch_fixture.h"

namespace servertest {
namespace {

using Rows = std::vector<std::string>;
using platform::Variant;

class HistoryTest : public BatchTest {
 protected:
  Answer history(const std::string& product, const std::string& before = "", std::int64_t sequence = 0, int rows = 100,
                 const std::string& customer = "C1") {
    return call("GetHistPreco", {customer, product, before, sequence, rows});
  }
  // History rows as "origin product old>new", newest first.
  static Rows Shown(const Answer& answer) {
    Rows shown;
    for (const auto& r : Cells(answer.data)) shown.push_back(r[2] + " " + r[4] + " " + r[7] + ">" + r[8]);
    return shown;
  }
  Answer undo(std::int64_t batch) { return call("SetDesfazLote", {static_cast<int>(batch)}); }
};

TEST_P(HistoryTest, EveryChangeIsRecordedWithItsOriginAndBatchAndPagesNewestFirst) {
  ASSERT_TRUE(setPrice("C1", "P1", 12).ok);
  ASSERT_TRUE(recalc("Set", "S").ok);
  std::int64_t recalcBatch = lastBatch();
  ASSERT_TRUE(copyPrices("Set", "C2", "S").ok);
  ASSERT_TRUE(copyFormula("Set", "C3").ok);
  ASSERT_TRUE(undo(recalcBatch).ok);
  EXPECT_EQ(Shown(history("P1")), (Rows{"D P1 15>12", "R P1 12>15", "M P1 <null>>12"}));
  EXPECT_EQ(Shown(history("P1", "", 0, 100, "C2")), (Rows{"C P1 <null>>15"}));
  EXPECT_EQ(Shown(history("P4", "", 0, 100, "C3")), (Rows{"C P4 <null>>30"}));
  auto batches = rows("SELECT IDORIGALT, QTPRECO FROM TABPRECLIELOTE ORDER BY NRLOTE");
  EXPECT_EQ(batches, (std::vector<Rows>{{"R", "4"}, {"C", "4"}, {"C", "4"}, {"D", "4"}}));
  EXPECT_EQ(count("TABPRECLIEHIST H JOIN TABPRECLIELOTE L ON L.NRLOTE = H.NRLOTE", "H.IDORIGALT <> L.IDORIGALT"), 0)
      << "every history row carries its batch's origin";
  EXPECT_EQ(count("TABPRECLIEHIST", "IDORIGALT = 'M' AND NRLOTE IS NULL"), 1);

  // Pages of two over all of C1's nine rows: no row twice, none left out, newest first.
  Rows all = Shown(history(""));
  ASSERT_EQ(all.size(), 9u);
  Rows paged;
  std::string before;
  int sequence = 0;
  for (int page = 0; page < 6; ++page) {
    Answer answer = history("", before, sequence, 2);
    auto cells = Cells(answer.data);
    if (cells.empty()) break;
    for (const auto& row : Shown(answer)) paged.push_back(row);
    sequence = std::stoi(cells.back()[0]);
    before = *db().queryText("SELECT DTHRALT FROM TABPRECLIEHIST WHERE NRSEQHIST = $1", {std::int64_t{sequence}});
    before[10] = 'T';
  }
  EXPECT_EQ(paged, all);
}

TEST_P(HistoryTest, EveryChangeAndBatchNamesTheUserWhoMadeItAndNoWriteIsAnonymous) {
  ASSERT_TRUE(callAs("paula", "SetTabPreClie", {"C1", "P2", 5.0, "", "", "S"}).ok);
  ASSERT_TRUE(callAs("paula", "SetTabPreClie", {"C1", "P2", 0.0, "", "", "S"}).ok);
  ASSERT_TRUE(callAs("rita", "SetCalcCusProd", {"001", "C1", "", 3, 1, "", "", "S"}).ok);
  const std::int64_t recalcBatch = lastBatch();
  ASSERT_TRUE(callAs("ana", "SetDesfazLote", {static_cast<int>(recalcBatch)}).ok);
  EXPECT_EQ(Column(history("P2").data, "CDUSUARIO"), (Rows{"ana", "rita", "paula", "paula"}))
      << "the undo, the recalculation, the removal and the save, newest first";
  EXPECT_EQ(rows("SELECT IDORIGALT, CDUSUARIO FROM TABPRECLIELOTE ORDER BY NRLOTE"),
            (std::vector<Rows>{{"R", "rita"}, {"D", "ana"}}));
  EXPECT_EQ(Column(data("GetLotePreco", {static_cast<int>(recalcBatch)}), "CDUSUARIO"), (Rows{"rita"}));
  EXPECT_EQ(count("TABPRECLIEHIST H JOIN TABPRECLIELOTE L ON L.NRLOTE = H.NRLOTE", "H.CDUSUARIO <> L.CDUSUARIO"), 0)
      << "a batch's rows carry its user";

  const Snapshot before = snapshot();
  const std::string anonymous = "Gravação recusada: a chamada não identifica o usuário que a faz.";
  EXPECT_EQ(callAs("", "SetTabPreClie", {"C1", "P1", 9.0, "", "", "S"}).message, anonymous);
  EXPECT_EQ(callAs("", "SetCalcCusProd", {"001", "C1", "", 3, 1, "", "", "S"}).message, anonymous);
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(count("TABPRECLIELOTE"), 2);
}

TEST_P(HistoryTest, UndoRestoresExactlyTheBatchAndKeepsWhatChangedSince) {
  AddPrice(db(), "C1", "P1", 9, "2026-01-01", "2026-12-31");
  AddPrice(db(), "C1", "P2", 5);
  ASSERT_TRUE(setPrice("C2", "P1", 3).ok);
  ASSERT_TRUE(recalc("Set", "S").ok);
  std::int64_t batch = lastBatch();
  ASSERT_TRUE(setPrice("C1", "P4", 31).ok);  // changed since
  ASSERT_TRUE(setPrice("C1", "P3", 0).ok);   // removed since
  Answer answer = undo(batch);
  ASSERT_TRUE(answer.ok) << answer.message;
  EXPECT_EQ(contracts::server::DecodeReplyOf<contracts::server::SetDesfazLote>(answer.data).record.restored, 2);
  EXPECT_EQ(Cells(answer.data.asArray().at(0)),
            (std::vector<Rows>{{"C1", "Alfa Comércio de Alimentos Ltda", "P3", "102001", "Suco Uva 1L", "3,75", "<null>"},
                               {"C1", "Alfa Comércio de Alimentos Ltda", "P4", "201001", "Arroz Tipo 1 5kg", "30", "31"}}));
  EXPECT_EQ(pricesOf("C1"), (Rows{"P1=9 2026-01-01..2026-12-31", "P2=5", "P4=31"}));
  EXPECT_EQ(pricesOf("C2"), (Rows{"P1=3"})) << "another customer's price is no part of the batch";
  EXPECT_EQ(BatchRows(lastBatch()), (Rows{"C1 P1 15>9", "C1 P2 6>5"}));

  EXPECT_EQ(refusal("SetDesfazLote", {static_cast<int>(batch)}),
            "O lote " + std::to_string(batch) + " já foi desfeito (lote " + std::to_string(lastBatch()) + ").");
  EXPECT_EQ(refusal("SetDesfazLote", {static_cast<int>(lastBatch())}),
            "Somente lotes de recálculo, de cópia ou de importação podem ser desfeitos.");
  EXPECT_EQ(refusal("SetDesfazLote", {999}), "Lote 999 não encontrado.");
  EXPECT_EQ(refusal("SetDesfazLote", {0}), "Número de lote inválido: 0.");
}

TEST_P(HistoryTest, UndoOfAFormulaCopyGivesTheTargetsTheirFormulasBack) {
  AddFormula(db(), "C2", {{"001", "002", "N", 1, "SUM"}});
  auto formulaOf = [&](const std::string& customer) {
    return rows("SELECT CDFATPRECO, VRFATPRECLIE FROM COMPPRECLIE WHERE CDCLIENTE = $1 ORDER BY NRORDEMFAT", {customer});
  };
  auto c2Before = formulaOf("C2");
  ASSERT_TRUE(copyFormula("Set", "C2,C3").ok);
  auto names = rows("SELECT NMRAZSOCCLIE FROM CLIENTE WHERE CDCLIENTE IN ('C2', 'C3') ORDER BY 1");
  auto batch = Cells(data("GetLotePreco", {static_cast<int>(lastBatch())}));
  ASSERT_EQ(batch.size(), 1u);
  ASSERT_EQ(batch[0].size(), 9u);
  EXPECT_EQ(batch[0][6] + "|" + batch[0][7], "2|" + names[0][0] + "\n" + names[1][0])
      << "the customers the batch reaches, by name";
  EXPECT_EQ(batch[0][8], kTestUser) << "and who ran it";
  db().execute("UPDATE COMPPRECLIE SET VRFATPRECLIE = 60 WHERE CDCLIENTE = 'C3'");  // C3 edited since
  Answer answer = undo(lastBatch());
  ASSERT_TRUE(answer.ok) << answer.message;
  EXPECT_EQ(formulaOf("C2"), c2Before);
  EXPECT_EQ(count("COMPPRECLIE", "CDCLIENTE = 'C3' AND VRFATPRECLIE = 60"), 1) << "C3's own edit is kept";
  EXPECT_EQ(Column(answer.data.asArray().at(0), "NMPRODUTO"), (Rows{"Fórmula de composição"}));
  EXPECT_TRUE(pricesOf("C2").empty() && pricesOf("C3").empty()) << "the prices the copy created are removed";
}

TEST_P(HistoryTest, AnUndoKeepingMorePricesThanItListsCommitsAndCountsThemAll) {
  const int extra = contracts::server::kMaxKeptRows + 100;
  db().execute("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, NRNIVEL) WITH RECURSIVE N(I) AS (SELECT 1 "
               "UNION ALL SELECT I + 1 FROM N WHERE I < $1) SELECT 'Q' || CAST(10000 + I AS VARCHAR(10)), '9' || "
               "CAST(10000 + I AS VARCHAR(10)), 'Produto', 3 FROM N",
               {extra});
  db().execute("INSERT INTO CUSTOPRODUTO (CDFILIAL, CDPRODUTO, NRTIPOCUSTO, VRCUSTO) SELECT '001', CDPRODUTO, 1, 2 "
               "FROM PRODUTO WHERE CDPRODUTO LIKE 'Q%'");
  ASSERT_TRUE(recalc("Set", "S").ok);
  const std::int64_t batch = lastBatch();
  db().execute("UPDATE TABPRECLIE SET VRPRECOPROD = 7 WHERE CDCLIENTE = 'C1'");  // every price edited since
  Answer answer = undo(batch);
  ASSERT_TRUE(answer.ok) << answer.message;
  const auto reply = contracts::server::DecodeReplyOf<contracts::server::SetDesfazLote>(answer.data);
  EXPECT_EQ(reply.packet->rowCount(), static_cast<std::size_t>(contracts::server::kMaxKeptRows));
  EXPECT_EQ(reply.record, (contracts::server::UndoCounts{.restored = 0, .kept = extra + 4}));
  EXPECT_EQ(count("TABPRECLIELOTE", "NRLOTE = $1 AND NRLOTEDESF IS NOT NULL", {batch}), 1) << "the undo committed";
  EXPECT_EQ(count("TABPRECLIE", "CDCLIENTE = 'C1' AND VRPRECOPROD <> 7"), 0);
}

TEST_P(HistoryTest, HistoryNumbersPastTheThirtyTwoBitRangePageAndPreviewsTakeNone) {
  const std::int64_t nearLimit = (std::int64_t{1} << 31) - 3;
  ASSERT_TRUE(setPrice("C1", "P1", 10).ok);
  db().execute("UPDATE TABPRECLIEHIST SET NRSEQHIST = $1", {nearLimit - 1});
  if (postgres()) db().execute("ALTER TABLE TABPRECLIEHIST ALTER COLUMN NRSEQHIST RESTART WITH " + std::to_string(nearLimit));
  for (int price = 11; price <= 13; ++price) ASSERT_TRUE(setPrice("C1", "P1", price).ok);
  const std::int64_t last = *db().queryInteger("SELECT MAX(NRSEQHIST) FROM TABPRECLIEHIST", {});
  ASSERT_TRUE(copyFormula("GetPrevia", "").ok);
  ASSERT_TRUE(copyPrices("GetPrevia", "", "S").ok);
  ASSERT_TRUE(setPrice("C1", "P1", 14).ok);
  EXPECT_EQ(*db().queryInteger("SELECT MAX(NRSEQHIST) FROM TABPRECLIEHIST", {}), last + 1)
      << "the previews took no history number";

  Rows paged;
  std::vector<std::int64_t> numbers;
  std::string before;
  std::int64_t sequence = 0;
  for (int page = 0; page < 4; ++page) {
    auto cells = Cells(history("P1", before, sequence, 2).data);
    if (cells.empty()) break;
    for (const auto& row : cells) numbers.push_back(std::stoll(row[0]));
    sequence = numbers.back();
    before = *db().queryText("SELECT DTHRALT FROM TABPRECLIEHIST WHERE NRSEQHIST = $1", {sequence});
    before[10] = 'T';
  }
  EXPECT_EQ(numbers, (std::vector<std::int64_t>{nearLimit + 3, nearLimit + 2, nearLimit + 1, nearLimit, nearLimit - 1}))
      << "pages newest first across 2^31, each from the last number of the one before";
}

TEST_P(HistoryTest, ReadsAreBoundedAndNameTheProblem) {
  EXPECT_EQ(refusal("GetHistPreco", {"C1", "", "", 0, 0}), "Quantidade de linhas do histórico deve ser de 1 a 1000.");
  EXPECT_EQ(refusal("GetHistPreco", {"C1", "", "", 0, 1001}), "Quantidade de linhas do histórico deve ser de 1 a 1000.");
  EXPECT_EQ(refusal("GetHistPreco", {"C1", "", "ontem", 0, 10}), "Posição do histórico inválida: 'ontem'.");
  EXPECT_EQ(refusal("GetHistPreco", {"C1", std::string(11, 'P'), "", 0, 10}), "Produto inválido: 'PPPPPPPPPPP'.");
  EXPECT_FALSE(call("GetHistPreco", {"C9", "", "", 0, 10}).ok);
  ASSERT_TRUE(recalc("Set", "S").ok);
  auto batch = Cells(data("GetLotePreco", {static_cast<int>(lastBatch())}));
  ASSERT_EQ(batch.size(), 1u);
  EXPECT_EQ(batch[0][1] + batch[0][2] + batch[0][4] + batch[0][5], "RC14<null>");
}

// A batch written in slices stands unfinished between two of them (modules/price_run.h).
TEST_P(HistoryTest, AnUnfinishedBatchIsTakenBackKeepingTheChangesMadeSince) {
  ASSERT_TRUE(setPrice("C1", "P1", 12).ok);
  ASSERT_TRUE(recalc("Set", "S").ok);  // P1 12>15, P2 to P4 created
  const std::int64_t batch = lastBatch();
  db().execute("UPDATE TABPRECLIELOTE SET QTPRECO = -1 WHERE NRLOTE = $1", {batch});
  EXPECT_EQ(undo(batch).message, "O lote " + std::to_string(batch) + " ainda está sendo gravado.");
  ASSERT_TRUE(setPrice("C1", "P2", 9).ok);  // a save between two slices

  EXPECT_EQ(server::modules::TakeBackUnfinishedBatches(db()), std::vector<std::int64_t>{batch});
  EXPECT_EQ(pricesOf("C1"), (Rows{"P1=12", "P2=9"}));
  EXPECT_EQ(Shown(history("")), (Rows{"M P2 <null>>9", "M P1 <null>>12"}))
      << "the save starts from what the batch had found";
  EXPECT_EQ(batchCount(), 0);
}

// A batch taken back while another is still open removes the history's last rows; the
// open one's changes, numbered after what is left, are still found as its own.
TEST_P(HistoryTest, ABatchStillOpenFindsItsChangesAfterTheHistorysLastRowsAreTakenBack) {
  ASSERT_TRUE(recalc("Set", "S").ok);
  const std::int64_t taken = lastBatch();
  db().execute("UPDATE TABPRECLIELOTE SET QTPRECO = -1, NRSEQHISTFIN = NULL WHERE NRLOTE = $1", {taken});
  db().setCaller("u");
  server::store::Transaction tx(db());
  const std::int64_t open = server::modules::OpenBatch(db(), 'R', "C2", "2026-01-01T00:00:00");
  server::modules::TakeBackBatch(db(), taken);
  db().execute("INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECONOV, IDORIGALT, DTHRALT, NRLOTE, CDUSUARIO) "
               "VALUES ('C2', 'P1', 5, 'R', '2026-01-01 00:00:00', $1, 'u')",
               {open});
  server::modules::CloseBatch(db(), open, 1);
  EXPECT_EQ(count("TABPRECLIEHIST H", server::modules::InBatch("H", "$1"), {open}), 1);
  tx.commit();
}

VQR_BACKEND_SUITE(HistoryTest);

}  // namespace
}  // namespace servertest
