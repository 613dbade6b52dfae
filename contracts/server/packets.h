#pragma once
// Columns of the data packets the server sends, in order. The server builds its
// packets from these and the client's tests check against them.
#include <vector>

#include "platform/variant/data_packet.h"

namespace contracts::server {

// GetPesqCliente, GetCDCliente.
const std::vector<platform::ColumnDef>& CustomerColumns();
// GetPrecoProd.
const std::vector<platform::ColumnDef>& PriceColumns();
// GetFatPreClie element 0; the delta of SetCompPreco has these columns too.
const std::vector<platform::ColumnDef>& FormulaColumns();
// GetPesqClieLista (first column the mark IDMARCADO, "S" or "N").
const std::vector<platform::ColumnDef>& CustomerListColumns();
// rdmCustProd.GetTipoCusto.
const std::vector<platform::ColumnDef>& CostTypeColumns();

}  // namespace contracts::server
