#include "server/modules/price_lock.h"

namespace server::modules {

std::optional<std::int64_t> LockPriceRows(store::Connection& c, const std::string& rows, const store::Params& params) {
  if (c.backend() != store::Backend::PostgreSQL) return std::nullopt;
  // The locking step sits above the sort: rows are locked in the order they are listed.
  return c.queryInteger("SELECT COUNT(*) FROM (SELECT 1 FROM " + rows +
                            " ORDER BY T.CDCLIENTE, T.CDPRODUTO FOR UPDATE OF T) L",
                        params)
      .value_or(0);
}

void LockFormulaCustomers(store::Connection& c, const std::string& customers, const store::Params& params) {
  if (c.backend() != store::Backend::PostgreSQL) return;
  c.queryInteger("SELECT COUNT(*) FROM (SELECT 1 FROM CLIENTE C WHERE C.CDCLIENTE IN (" + customers +
                     ") ORDER BY C.CDCLIENTE FOR NO KEY UPDATE OF C) L",
                 params);
}

}  // namespace server::modules
