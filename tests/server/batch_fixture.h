#pragma once
// BatchTest: the commands that write many prices at once, their previews, the history
// and the undo of a batch, on the seeded database (seed.h) with C1's formula
// "cost + 50%", once per backend.
#include <ostream>
#include <string>
#include <vector>

#include "contracts/server/tab_pre_clie_methods.h"
#include "tests/server/module_fixture.h"

namespace contracts::server {
void PrintTo(const PreviewCounts& counts, std::ostream* out);
}  // namespace contracts::server

namespace servertest {

class BatchTest : public ModuleTest {
 protected:
  void SetUp() override;

  // The three commands and their previews, "Set" or "GetPrevia" before the name.
  Answer recalc(const std::string& prefix, const std::string& replace, const std::string& customer = "C1");
  Answer copyFormula(const std::string& prefix, const std::string& list);
  Answer copyPrices(const std::string& prefix, const std::string& list, const std::string& replace,
                    const std::string& start = "01/01/2027", const std::string& end = "");

  // A preview's rows as "customer product old>new" (blocked rows with a "!" first), and its counts.
  static std::vector<std::string> PreviewRows(const Answer& preview);
  static contracts::server::PreviewCounts Counts(const Answer& preview);
  // The history rows of a batch in the same form, by customer and product.
  std::vector<std::string> BatchRows(std::int64_t batch);
  // The newest batch's number (0 when there is none).
  std::int64_t lastBatch();
  std::int64_t batchCount() { return count("TABPRECLIELOTE"); }
};

}  // namespace servertest
