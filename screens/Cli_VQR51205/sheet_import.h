#pragma once
// The special prices of a spreadsheet as the import sends them: the columns of the
// price table report's export (Cliente, Inscrição, Produto, Preço, Validade Inicial,
// Validade Final; only Produto and Preço are required), read by the framework
// (Planilha), as a packet of ImportLineColumns; and the preview the person sees: the
// server's answer with the lines the file itself refused merged in line order.
#include <string>

#include "contracts/framework/planilha.h"
#include "contracts/server/tab_pre_clie_methods.h"

namespace Cli_VQR51205 {

// The columns the import asks the spreadsheet for.
const std::vector<Planilha::TColuna>& ImportColumns();

// The columns of the template a person fills in: those of the price table report's
// export, Cliente (optional: empty is the customer the import is for), Produto, Preço,
// Validade Inicial and Validade Final.
std::vector<Planilha::TColuna> TemplateColumns();

// The table's lines as the Linhas argument of GetPreviaImpPreco and SetImpPreco.
platform::Variant ImportLines(const Planilha::TTabela& table);

using ImportPreview = contracts::server::ReplyOf<contracts::server::ImportPreviewData>;

// The server's preview with the file's own refusals: refused lines first, in line
// order (at most kMaxPreviewRows in all), then the changes; QTBLOQUEADOS counts both.
ImportPreview MergeFileRefusals(const ImportPreview& server, const Planilha::TTabela& table);

}  // namespace Cli_VQR51205
