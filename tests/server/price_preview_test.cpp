// The previews of a recalculation and of both copies: what they show is exactly what
// the write then does, and they write nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>

#include "server/store/transaction.h"

#include "tests/server/batch_fixture.h"

namespace servertest {
namespace {

using Rows = std::vector<std::string>;
using contracts::server::PreviewCounts;

class PreviewTest : public BatchTest {
 protected:
  // Previews, checks nothing was written, writes, and checks the batch's history holds
  // the previewed rows; returns the preview.
  Answer previewThenWrite(const std::function<Answer(const std::string&)>& command) {
    Snapshot before = snapshot();
    std::int64_t batches = batchCount();
    Answer preview = command("GetPrevia");
    EXPECT_TRUE(preview.ok) << preview.message;
    EXPECT_EQ(snapshot(), before) << "a preview writes nothing";
    EXPECT_EQ(batchCount(), batches);
    Answer write = command("Set");
    EXPECT_TRUE(write.ok) << write.message;
    Rows previewed = PreviewRows(preview);
    std::sort(previewed.begin(), previewed.end());
    // A command that changes nothing leaves no batch.
    EXPECT_EQ(previewed, batchCount() > batches ? BatchRows(lastBatch()) : Rows{});
    return preview;
  }
};

TEST_P(PreviewTest, RecalculationPreviewEqualsTheWriteAndCountsEveryProduct) {
  AddPrice(db(), "C1", "P1", 15);  // unchanged
  AddPrice(db(), "C1", "P2", 5);   // 6: +20%
  AddPrice(db(), "C1", "P4", 20);  // 30: +50%
  db().execute("DELETE FROM CUSTOPRODUTO WHERE CDPRODUTO = 'P3'");
  Answer preview = previewThenWrite([&](const std::string& p) { return recalc(p, "S"); });
  EXPECT_EQ(PreviewRows(preview), (Rows{"C1 P4 20>30", "C1 P2 5>6"})) << "largest change first";
  EXPECT_EQ(Counts(preview), (PreviewCounts{.changed = 2, .unchanged = 1, .skipped = 1, .customers = 1}));
}

TEST_P(PreviewTest, CopyPreviewsEqualTheWriteForEveryTarget) {
  AddPrice(db(), "C2", "P1", 10);
  Answer formula = previewThenWrite([&](const std::string& p) { return copyFormula(p, "C2,C3"); });
  EXPECT_EQ(Counts(formula), (PreviewCounts{.created = 7, .changed = 1, .customers = 2}));
  EXPECT_EQ(PreviewRows(formula).front(), "C2 P1 10>15");

  AddPrice(db(), "C1", "P1", 40);
  AddPrice(db(), "C1", "P2", 8);
  Answer prices = previewThenWrite([&](const std::string& p) { return copyPrices(p, "C2,C3", "N"); });
  EXPECT_EQ(Counts(prices), (PreviewCounts{.unchanged = 4, .skipped = 2, .customers = 2}))
      << "replace N keeps every price the targets have";
  Answer overwrite = previewThenWrite([&](const std::string& p) { return copyPrices(p, "C2", "S"); });
  EXPECT_EQ(PreviewRows(overwrite), (Rows{"C2 P1 15>40", "C2 P2 6>8"}));
  EXPECT_EQ(Counts(overwrite), (PreviewCounts{.changed = 2, .skipped = 2, .customers = 1}));
}

TEST_P(PreviewTest, ABlockedRecalculationListsTheOffendingProductsAndWritesNothing) {
  db().execute("DELETE FROM COMPPRECLIE");
  AddFormula(db(), "C1", {{"001", "005", "M", 5, "SUB"}});  // P2 (4) and P3 (2.5) go negative
  AddPrice(db(), "C1", "P2", 7);
  Snapshot before = snapshot();
  Answer preview = recalc("GetPrevia", "S");
  ASSERT_TRUE(preview.ok) << preview.message;
  EXPECT_EQ(PreviewRows(preview), (Rows{"!C1 P2 7>-1", "!C1 P3 <null>>-2,5"}));
  EXPECT_EQ(Counts(preview), (PreviewCounts{.customers = 1, .blocked = 2}));
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(batchCount(), 0);
  EXPECT_EQ(recalc("Set", "S").message, "@PrecoZerNeg") << "the write refuses what the preview blocked";
  Answer kept = recalc("GetPrevia", "N");
  EXPECT_EQ(PreviewRows(kept), (Rows{"!C1 P3 <null>>-2,5"})) << "a price kept by replace N does not block";

  db().execute("UPDATE COMPPRECLIE SET IDDETFATPRE = 'N', IDTPOPERFATCLIE = 'MUL', VRFATPRECLIE = 1e8");
  before = snapshot();
  const std::string overCeiling = recalc("Set", "S").message;
  EXPECT_NE(overCeiling.find("999.999.999,999"), std::string::npos) << overCeiling;
  EXPECT_EQ(recalc("GetPrevia", "S").message, overCeiling) << "any other refusal the preview meets as the write does";
  EXPECT_EQ(snapshot(), before);
}

TEST_P(PreviewTest, AnEditBetweenPreviewAndWriteIsReflectedInTheWrite) {
  AddPrice(db(), "C1", "P1", 12);
  Answer preview = recalc("GetPrevia", "N");
  EXPECT_EQ(Counts(preview), (PreviewCounts{.created = 3, .unchanged = 1, .customers = 1}));
  ASSERT_TRUE(setPrice("C1", "P2", 9).ok);  // someone prices P2 meanwhile
  ASSERT_TRUE(recalc("Set", "N").ok);
  EXPECT_EQ(pricesOf("C1"), (Rows{"P1=12", "P2=9", "P3=3,75", "P4=30"})) << "the new price is kept, not lost";
  EXPECT_EQ(BatchRows(lastBatch()), (Rows{"C1 P3 <null>>3,75", "C1 P4 <null>>30"}));
}

// A save holds, uncommitted, the write lock (SQLite) and the row of a price the preview
// reaches (PostgreSQL): a preview that took either would wait for it.
TEST_P(PreviewTest, APreviewTakesNoLockThatASaveHolds) {
  AddPrice(db(), "C1", "P1", 40);
  AddPrice(db(), "C2", "P1", 10);
  std::future<Answer> preview;
  {
    server::store::Transaction save(db());
    db().execute("UPDATE TABPRECLIE SET VRPRECOPROD = 11 WHERE CDCLIENTE = 'C2' AND CDPRODUTO = 'P1'");
    preview = std::async(std::launch::async, [&] { return copyPrices("GetPrevia", "C2", "S"); });
    const bool finishedFirst = preview.wait_for(std::chrono::minutes(1)) == std::future_status::ready;
    save.commit();
    EXPECT_TRUE(finishedFirst) << "the preview waited for the save";
  }
  Answer answer = preview.get();
  ASSERT_TRUE(answer.ok) << answer.message;
  EXPECT_EQ(PreviewRows(answer), (Rows{"C2 P1 10>40"})) << "the preview reads what was committed";
}

VQR_BACKEND_SUITE(PreviewTest);

}  // namespace
}  // namespace servertest
