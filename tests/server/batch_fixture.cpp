#include "tests/server/batch_fixture.h"

#include <algorithm>

namespace contracts::server {

void PrintTo(const PreviewCounts& c, std::ostream* out) {
  *out << "{created " << c.created << ", changed " << c.changed << ", unchanged " << c.unchanged << ", skipped "
       << c.skipped << ", customers " << c.customers << ", blocked " << c.blocked << "}";
}

}  // namespace contracts::server

namespace servertest {

using platform::Variant;

void BatchTest::SetUp() {
  ModuleTest::SetUp();
  if (IsSkipped()) return;
  AddFormula(db(), "C1", {{"001", "001", "P", 50, "SUM"}});
}

Answer BatchTest::recalc(const std::string& prefix, const std::string& replace, const std::string& customer) {
  return call(prefix + "CalcCusProd", {"001", customer, "11222333000181", 3, 1, "", "", replace});
}

Answer BatchTest::copyFormula(const std::string& prefix, const std::string& list) {
  return call(prefix + "CopiaDados", {"001", "C1", "11222333000181", 3, list.empty() ? "T" : "", list, 1, "", ""});
}

Answer BatchTest::copyPrices(const std::string& prefix, const std::string& list, const std::string& replace,
                             const std::string& start, const std::string& end) {
  return call(prefix + "CopiaPreco", {"001", "C1", 3, list.empty() ? "T" : "", list, start, end, replace, "", ""});
}

std::vector<std::string> BatchTest::PreviewRows(const Answer& preview) {
  std::vector<std::string> rows;
  const Variant& packet = preview.data.asArray().at(0);
  for (const auto& r : Cells(packet))
    rows.push_back((r[0] == "S" ? "!" : "") + r[1] + " " + r[3] + " " + r[6] + ">" + r[7]);
  return rows;
}

contracts::server::PreviewCounts BatchTest::Counts(const Answer& preview) {
  auto counts = contracts::server::DecodeReplyOf<contracts::server::GetPreviaCalcCusProd>(preview.data).record;
  counts.historyMark = 0;  // a position, not a count: the preview-then-commit tests check it
  return counts;
}

std::vector<std::string> BatchTest::BatchRows(std::int64_t batch) {
  std::vector<std::string> result;
  db().query("SELECT CDCLIENTE, CDPRODUTO, VRPRECOANT, VRPRECONOV FROM TABPRECLIEHIST WHERE NRLOTE = $1 "
             "ORDER BY CDCLIENTE, CDPRODUTO",
             {batch}, [&](const server::store::Row& row) {
               auto value = [&](int col) { return row.isNull(col) ? std::string("<null>") : Variant(row.real(col)).toString(); };
               result.push_back(row.text(0) + " " + row.text(1) + " " + value(2) + ">" + value(3));
             });
  return result;
}

std::int64_t BatchTest::lastBatch() {
  return db().queryInteger("SELECT MAX(NRLOTE) FROM TABPRECLIELOTE", {}).value_or(0);
}

}  // namespace servertest
