// GetPreviaImpPreco and SetImpPreco: each rule refuses its line with its column and
// reason, the preview is exactly what the write does, and the import is one batch of
// origin "I" that the undo takes back like a copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "contracts/server/packets.h"
#include "platform/text/date_time.h"
#include "platform/variant/data_packet.h"
#include "tests/server/batch_fixture.h"

namespace servertest {
namespace {

using Rows = std::vector<std::string>;
using contracts::server::PreviewCounts;
using platform::Variant;

struct Line {
  std::string customer;      // code
  std::string registration;  // with or without punctuation
  std::string product;
  std::optional<double> price;
  std::string start;  // dd/mm/yyyy or ""
  std::string end;
};

class ImportTest : public BatchTest {
 protected:
  // Lines numbered from 2, as under a header.
  static Variant Lines(const std::vector<Line>& lines) {
    auto packet = std::make_shared<platform::DataPacket>(contracts::server::ImportLineColumns());
    std::int64_t number = 2;
    for (const Line& line : lines) {
      packet->appendInteger(number++);
      packet->appendString(line.customer);
      packet->appendString(line.registration);
      packet->appendString(line.product);
      if (line.price)
        packet->appendFloat(*line.price);
      else
        packet->appendNull();
      for (const std::string* date : {&line.start, &line.end}) {
        if (date->empty())
          packet->appendNull();
        else
          packet->appendDateTime(platform::StrToDateTime(*date));
      }
      packet->endRow();
    }
    return Variant(std::shared_ptr<const platform::DataPacket>(packet));
  }
  Answer import(const std::string& prefix, const std::vector<Line>& lines, const std::string& customer = "C1") {
    return call(prefix + "ImpPreco", {Lines(lines), customer, 3});
  }
  // Refused rows as "line column: reason", changes as "customer product old>new line".
  static Rows Shown(const Answer& preview) {
    Rows shown;
    for (const auto& r : Cells(preview.data.asArray().at(0)))
      shown.push_back(r[0] == "S" ? r[9] + " " + r[10] + ": " + r[12] : r[1] + " " + r[3] + " " + r[6] + ">" + r[7] + " " + r[9]);
    return shown;
  }
  // Refused rows as "line [value] customer product [product text] price".
  static Rows RefusedValues(const Answer& preview) {
    Rows shown;
    for (const auto& r : Cells(preview.data.asArray().at(0)))
      if (r[0] == "S") shown.push_back(r[9] + " [" + r[11] + "] " + r[1] + " " + r[3] + " [" + r[4] + "] " + r[7]);
    return shown;
  }
  static PreviewCounts Counts(const Answer& preview) {
    auto counts = contracts::server::DecodeReplyOf<contracts::server::GetPreviaImpPreco>(preview.data).record;
    counts.historyMark = 0;  // a position, not a count
    return counts;
  }
};

TEST_P(ImportTest, EachRuleRefusesItsLineWithColumnAndReasonAndOnlyAcceptedLinesAreWritten) {
  AddPrice(db(), "C1", "P1", 15);
  const std::vector<Line> lines{
      {"", "", "1.01.001", 16, "01/01/2027", "31/12/2027"},  // 2: P1 for the default customer, changed
      {"C2", "", "101002", 4, "", ""},                          // 3: by code
      {"", "529.982.247-25", "102001", 3, "", ""},              // 4: C2 by CPF with punctuation
      {"", "11444777000161", "201001", 2, "", ""},              // 5: C3 by CNPJ digits
      {"C9", "", "101001", 1, "", ""},                          // 6
      {"", "00.000.000/0001-91", "101001", 1, "", ""},          // 7
      {"C1", "11444777000161", "101002", 1, "", ""},            // 8: C3's number for C1
      {"", "", "999999", 1, "", ""},                            // 9
      {"", "", "1.01", 1, "", ""},                              // 10: a group
      {"", "", "101002", 0.0, "", ""},                          // 11
      {"", "", "101002", -1.0, "", ""},                         // 12
      {"", "", "101002", 2e12, "", ""},                         // 13
      {"", "", "101002", std::numeric_limits<double>::infinity(), "", ""},  // 14
      {"", "", "101002", 1, "", "01/01/2027"},                  // 15
      {"", "", "101002", 1, "02/01/2027", "01/01/2027"},        // 16
      {"", "", "102001", 1, "", ""},                            // 17: twice for C1
      {"", "", "102.001", 2, "", ""},                           // 18
      {"", "", "", 1, "", ""},                                  // 19
  };
  const Snapshot before = snapshot();
  Answer preview = import("GetPrevia", lines);
  ASSERT_TRUE(preview.ok) << preview.message;
  EXPECT_EQ(snapshot(), before) << "a preview writes nothing";
  EXPECT_EQ(Shown(preview),
            (Rows{"6 Cliente: Cliente não cadastrado.", "7 Inscrição: Nenhum cliente cadastrado com esta inscrição.",
                  "8 Inscrição: A inscrição não é a do cliente C1.", "9 Produto: Produto não cadastrado.",
                  "10 Produto: Produto é um grupo: só os produtos do último nível têm preço.",
                  "11 Preço: Preço zero não é aceito.", "12 Preço: Preço negativo não é aceito.",
                  "13 Preço: Preço deve ser no máximo 999.999.999,999.", "14 Preço: Preço não é um número finito.",
                  "15 Validade Final: Validade final sem validade inicial.",
                  "16 Validade Inicial: Validade inicial depois da validade final.",
                  "17 Produto: Produto repetido para o mesmo cliente (também na linha 18).",
                  "18 Produto: Produto repetido para o mesmo cliente (também na linha 17).",
                  "19 Produto: Produto não informado.", "C1 P1 15>16 2", "C2 P2 <null>>4 3", "C2 P3 <null>>3 4",
                  "C3 P4 <null>>2 5"}));
  EXPECT_EQ(RefusedValues(preview),
            (Rows{"6 [C9]   [101001] 1", "7 [00.000.000/0001-91]   [101001] 1", "8 [11444777000161]   [101002] 1",
                  "9 [999999] C1  [999999] 1", "10 [1.01] C1  [1.01] 1", "11 [0] C1 P2 [101002] 0",
                  "12 [-1] C1 P2 [101002] -1", "13 [2000000000000] C1 P2 [101002] 2e+12", "14 [INF] C1 P2 [101002] inf",
                  "15 [01/01/2027] C1 P2 [101002] 1", "16 [02/01/2027] C1 P2 [101002] 1", "17 [] C1 P3 [] 1",
                  "18 [] C1 P3 [] 2", "19 [] C1  [] 1"}));
  EXPECT_EQ(Counts(preview), (PreviewCounts{.created = 3, .changed = 1, .customers = 3, .blocked = 14}));

  Answer write = import("Set", lines);
  ASSERT_TRUE(write.ok) << write.message;
  EXPECT_EQ(BatchRows(lastBatch()), (Rows{"C1 P1 15>16", "C2 P2 <null>>4", "C2 P3 <null>>3", "C3 P4 <null>>2"}))
      << "the write is the preview's changes";
  EXPECT_EQ(PriceOf(db(), "C1", "P1"), (StoredPrice{16, "2027-01-01", "2027-12-31"}));
  EXPECT_EQ(rows("SELECT IDORIGALT, CDCLIENTE, QTPRECO, CDUSUARIO FROM TABPRECLIELOTE"),
            (std::vector<Rows>{{"I", "C1", "4", kTestUser}}));

  EXPECT_EQ(refusal("SetImpPreco", {Lines({{"", "", "999999", 1, "", ""}}), "C1", 3}),
            "Nenhuma linha da planilha pode ser gravada.");
  EXPECT_EQ(refusal("SetImpPreco", {Variant("x"), "C1", 3}), "As linhas da importação devem vir num pacote de dados.");
  EXPECT_EQ(refusal("GetPreviaImpPreco", {Lines({}), "C9", 3}), "Cliente C9 não cadastrado.");
}

TEST_P(ImportTest, ALineIsRefusedForTheFirstRuleItBreaksAndOnlyLinesOtherwiseAcceptedAreRepeats) {
  const std::vector<Line> lines{
      {"C9", "", "", 1, "", ""},                       // 2: unknown customer before no product
      {"", "", "999999", 0.0, "", ""},                 // 3: unknown product before the price
      {"", "", "1.01", -1.0, "", ""},                  // 4: a group before the price
      {"", "", "101001", 0.0, "", "01/01/2027"},       // 5: the price before the period
      {"  ", "", "101001", 1, "", ""},                 // 6: a blank code is a code
      {"", "", "102001", 1.0004, "", ""},              // 7: repeated with 9 and 10
      {"", "", "102001", 0.0, "", ""},                 // 8: refused for its price, no repeat
      {"C1", "", "1.02.001", 2, "", ""},               // 9
      {"", "", " 102.001 ", 3, "01/01/2027", ""},      // 10
      {"C2", "", "201001", 7, "", ""},                 // 11: repeated with 12
      {"", "52998224725", "201001", 8, "", ""},        // 12: C2 by its CPF
      {"", "11444777000161", "201001", 9, "", ""},     // 13: C3, another customer
      {"C2", "00000000000191", "101002", 9, "", ""},   // 14: a number that is not C2's
  };
  Answer preview = import("GetPrevia", lines);
  ASSERT_TRUE(preview.ok) << preview.message;
  EXPECT_EQ(Shown(preview),
            (Rows{"2 Cliente: Cliente não cadastrado.", "3 Produto: Produto não cadastrado.",
                  "4 Produto: Produto é um grupo: só os produtos do último nível têm preço.",
                  "5 Preço: Preço zero não é aceito.", "6 Cliente: Cliente não cadastrado.",
                  "7 Produto: Produto repetido para o mesmo cliente (também na linha 9, 10).",
                  "8 Preço: Preço zero não é aceito.",
                  "9 Produto: Produto repetido para o mesmo cliente (também na linha 7, 10).",
                  "10 Produto: Produto repetido para o mesmo cliente (também na linha 7, 9).",
                  "11 Produto: Produto repetido para o mesmo cliente (também na linha 12).",
                  "12 Produto: Produto repetido para o mesmo cliente (também na linha 11).",
                  "14 Inscrição: A inscrição não é a do cliente C2.", "C3 P4 <null>>9 13"}));
  EXPECT_EQ(RefusedValues(preview),
            (Rows{"2 [C9]   [] 1", "3 [999999] C1  [999999] 0", "4 [1.01] C1  [1.01] -1", "5 [0] C1 P1 [101001] 0",
                  "6 [  ]   [101001] 1", "7 [] C1 P3 [] 1", "8 [0] C1 P3 [102001] 0", "9 [] C1 P3 [] 2",
                  "10 [] C1 P3 [] 3", "11 [] C2 P4 [] 7", "12 [] C2 P4 [] 8", "14 [00000000000191]   [101002] 9"}))
      << "the value, and the customer and product as far as the line resolved them";
  EXPECT_EQ(Counts(preview), (PreviewCounts{.created = 1, .customers = 1, .blocked = 12}));
}

TEST_P(ImportTest, ARepeatedProductNamesAtMostTenOfItsOtherLines) {
  const std::vector<Line> lines(12, Line{"", "", "101001", 1, "", ""});  // lines 2 to 13
  const Rows shown = Shown(import("GetPrevia", lines));
  ASSERT_EQ(shown.size(), 12u);
  EXPECT_EQ(shown.front(), "2 Produto: Produto repetido para o mesmo cliente (também na linha 3, 4, 5, 6, 7, 8, 9, "
                           "10, 11, 12 e em mais 1 linha).");
  EXPECT_EQ(shown.back(), "13 Produto: Produto repetido para o mesmo cliente (também na linha 2, 3, 4, 5, 6, 7, 8, 9, "
                          "10, 11 e em mais 1 linha).");
}

TEST_P(ImportTest, AnImportIsABatchOfItsOwnThatTheUndoTakesBackExactly) {
  AddPrice(db(), "C1", "P1", 15, "2026-01-01", "2026-12-31");
  AddPrice(db(), "C1", "P2", 5);
  const std::vector<Line> lines{{"", "", "101001", 18, "", ""}, {"", "", "101002", 5, "", ""}, {"", "", "102001", 2.5, "", ""}};
  Answer preview = import("GetPrevia", lines);
  EXPECT_EQ(Counts(preview), (PreviewCounts{.created = 1, .changed = 1, .unchanged = 1, .customers = 1}));
  ASSERT_TRUE(import("Set", lines).ok);
  const std::int64_t batch = lastBatch();
  EXPECT_EQ(Column(data("GetHistPreco", {"C1", "", "", 0, 100}), "IDORIGALT"), (Rows{"I", "I"}));
  ASSERT_TRUE(setPrice("C1", "P3", 9).ok);  // changed since: kept
  Answer undo = call("SetDesfazLote", {static_cast<int>(batch)});
  ASSERT_TRUE(undo.ok) << undo.message;
  EXPECT_EQ(PriceOf(db(), "C1", "P1"), (StoredPrice{15, "2026-01-01", "2026-12-31"}));
  EXPECT_EQ(PriceOf(db(), "C1", "P2"), (StoredPrice{5, std::nullopt, std::nullopt}));
  EXPECT_EQ(PriceOf(db(), "C1", "P3"), (StoredPrice{9, std::nullopt, std::nullopt}));
  EXPECT_EQ(Column(undo.data.asArray().at(0), "CDPRODUTO"), (Rows{"P3"}));
}

TEST_P(ImportTest, AnImportOfMoreLinesThanASliceWritesEveryAcceptedLineOnce) {
  constexpr int kProducts = 20'001;  // two slices of a write on SQLite and one line more
  auto products = db().bulkWriter("PRODUTO", {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "NRNIVEL"});
  for (int i = 0; i < kProducts; ++i) {
    const std::string code = std::to_string(900'000 + i);
    products->add({"Q" + code, code, "Produto " + code, std::int64_t{3}});
  }
  products->finish();
  // Two prices already there, in the second and the last slice: changed, not created.
  db().execute("INSERT INTO TABPRECLIE VALUES ('C1', 'Q910000', 5.0, NULL, NULL), ('C1', 'Q920000', 6.0, NULL, NULL)");
  std::vector<Line> lines;
  std::int64_t accepted = 0;
  double sum = 0;
  for (int i = 0; i < kProducts; ++i) {
    const bool refused = i % 997 == 0;  // unknown products, spread over every slice
    const double price = 1 + (i % 100) / 100.0;
    lines.push_back({"", "", std::to_string((refused ? 800'000 : 900'000) + i), price, "", ""});
    if (!refused) ++accepted, sum += price;
  }
  const std::string written = "FROM TABPRECLIE WHERE CDCLIENTE = 'C1' AND CDPRODUTO LIKE 'Q%'";
  const auto counts = Counts(import("GetPrevia", lines));
  ASSERT_EQ(counts.created, accepted - 2);
  ASSERT_EQ(counts.changed, 2);
  ASSERT_TRUE(import("Set", lines).ok);
  EXPECT_EQ(db().queryInteger("SELECT COUNT(*) " + written, {}), accepted);
  EXPECT_EQ(db().queryInteger("SELECT COUNT(*) FROM TABPRECLIEHIST WHERE CDPRODUTO = 'Q920000' AND VRPRECOANT = 6", {}),
            1);
  EXPECT_NEAR(std::stod(db().queryText("SELECT SUM(VRPRECOPROD) " + written, {}).value_or("0")), sum, 1e-6);
}

VQR_BACKEND_SUITE(ImportTest);

}  // namespace
}  // namespace servertest
