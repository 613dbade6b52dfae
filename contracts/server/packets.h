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
// The previews of a recalculation or copy (GetPrevia*): one row per price the command
// would create or change, IDBLOQUEIO "S" on a product whose price would be zero,
// negative or over the ceiling (then only those rows come).
const std::vector<platform::ColumnDef>& PreviewColumns();
// The lines of an import (ImportArgs::Linhas): NRLINHA, CDCLIENTE, NRINSJURCLIE,
// CDARVPROD, VRPRECOPROD, DTVALINI, DTVALFIN; texts as the file has them.
const std::vector<platform::ColumnDef>& ImportLineColumns();
// GetPreviaImpPreco: PreviewColumns, then the file's line (NRLINHA) and, for a refused
// line, the column (NMCOLUNA), its value (DSVALOR) and the reason (DSMOTIVO).
const std::vector<platform::ColumnDef>& ImportPreviewColumns();
// GetHistPreco: the history of a customer's prices, newest first, each change with the
// user who made it (CDUSUARIO).
const std::vector<platform::ColumnDef>& HistoryColumns();
// GetLotePreco: one batch of a recalculation, copy or undo, with the customers it
// reaches (those whose prices or formula it changed): how many (QTCLIENTE) and the
// corporate names of the first kBatchCustomersNamed by name, one per line (NMCLIENTES),
// and the user who ran it (CDUSUARIO).
inline constexpr int kBatchCustomersNamed = 10;
const std::vector<platform::ColumnDef>& BatchColumns();
// SetDesfazLote: the prices (or, with no product, the formulas) kept because they
// changed after the batch.
const std::vector<platform::ColumnDef>& KeptColumns();
// SetCalcCusProd, SetCopiaDados, SetCopiaPreco, SetImpPreco after a preview: the prices
// written over another change made since it, with that change's user (CDUSUARIO) and
// time (DTHRALT), the price it had left (VRPRECOANT) and the price written (VRPRECONOV).
const std::vector<platform::ColumnDef>& ChangedSinceColumns();
// rdmCustProd.GetTipoCusto.
const std::vector<platform::ColumnDef>& CostTypeColumns();
// rdmUsuario.GetUsuarios: every user by login, without any password.
const std::vector<platform::ColumnDef>& UserColumns();

}  // namespace contracts::server
