#include "server/modules/targets.h"

#include <vector>

#include "server/modules/base_prices.h"
#include "contracts/server/customer_list.h"
#include "server/modules/refusal.h"

namespace server::modules {
namespace {

void ResetTargetTable(store::Connection& connection) {
  ResetTempTable(connection, kTargetTable, "CDCLIENTE VARCHAR(21) NOT NULL PRIMARY KEY");
}

void RefuseUnknownCustomers(store::Connection& connection) {
  std::vector<std::string> unknown;
  connection.query(std::string("SELECT A.CDCLIENTE FROM ") + kTargetTable +
                       " A WHERE NOT EXISTS (SELECT 1 FROM CLIENTE C WHERE C.CDCLIENTE = A.CDCLIENTE)"
                       " ORDER BY A.CDCLIENTE",
                   {}, [&](const store::Row& row) { unknown.push_back(row.text(0)); });
  if (unknown.empty()) return;
  if (unknown.size() == 1) throw Refusal("Cliente " + ShownValue(unknown.front()) + " não cadastrado.");
  std::string names;
  for (std::size_t i = 0; i < unknown.size() && i < 5; ++i) names += (i ? ", " : "") + ShownValue(unknown[i]);
  if (unknown.size() > 5) names += " e outros " + std::to_string(unknown.size() - 5);
  throw Refusal("Clientes não cadastrados: " + names + ".");
}

// A code longer than any customer's names none, before the database is asked.
void RefuseOverlongCodes(const std::vector<std::string>& codes) {
  for (const std::string& code : codes)
    if (code.size() > contracts::server::kMaxCustomerCodeLength)
      throw Refusal("Cliente " + ShownValue(code) + " não cadastrado.");
}

void AnalyzeTargets(store::Connection& connection) {
  // PostgreSQL keeps no statistics of temporary tables by itself; without them it
  // plans the copy's joins for a handful of rows.
  if (connection.backend() == store::Backend::PostgreSQL)
    connection.executeScript(std::string("ANALYZE ") + kTargetTable);
}

}  // namespace

std::size_t FillCopyTargets(store::Connection& connection, const std::string& source, bool all,
                            std::string_view list) {
  ResetTargetTable(connection);
  std::size_t count = 0;
  if (all) {
    count = static_cast<std::size_t>(connection.execute(
        std::string("INSERT INTO ") + kTargetTable +
            " (CDCLIENTE) SELECT CDCLIENTE FROM CLIENTE WHERE CDCLIENTE <> $1",
        {source}));
  } else {
    std::vector<std::string> codes = contracts::server::DecodeCustomerList(list);
    if (codes.empty()) throw Refusal("Cliente destino deve ser informado.");
    RefuseOverlongCodes(codes);
    auto writer = connection.bulkWriter(kTargetTable, {"CDCLIENTE"});
    for (const std::string& code : codes)
      if (code != source) {
        writer->add({code});
        ++count;
      }
    writer->finish();
    RefuseUnknownCustomers(connection);
  }
  if (count == 0) throw Refusal("Nenhum cliente de destino além do cliente de origem.");
  AnalyzeTargets(connection);
  return count;
}

}  // namespace server::modules
