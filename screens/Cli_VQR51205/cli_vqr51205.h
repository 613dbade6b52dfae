#pragma once
// Cli_VQR51205: the unit of the windows that show what a mass repricing would do and
// what it did: the preview of a recalculation or copy (frmPrevia) and a customer's
// price history with the undo of a batch (frmHistPreco). Both are modal; the history
// calls through the module session's connection. The unit keeps no state between
// calls.
//
//   MostraPrevia(answer, kind, blockedText)
//                        shows the reply of a GetPrevia* call: the summary of its counts in
//                        lblResumo (for a copy also the customers), the rows in
//                        dbgPrevia as the server ordered them (blocked products first,
//                        then the largest changes). When products are blocked, the
//                        summary is `blockedText` (the screen's "@PrecoZerNeg" text).
//   MostraAlteradosDesdePrevia(reply)
//                        after a command committed after its preview: when it wrote
//                        over prices someone changed since the preview, lists them
//                        (frmAlteradosPrevia); shows nothing otherwise.
//   ConfirmaImportacao(answer), CriaImpPlanilha(session, cliente)
//                        the import of a spreadsheet's prices (frmImpPlanilha) and
//                        its preview with a confirmation.
//   CriaHistPreco(session, cliente, produto, nomeProduto)
//                        opens the history of the customer on `session`; with a product (the main
//                        grid's current one) "Produto atual" is chosen, without one
//                        only "Todos os produtos" can be. Returns when it closes;
//                        true when a batch was undone (the caller reloads its prices).
#include <string>

#include "contracts/module/cliente.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "screens/common/module_session.h"

namespace Cli_VQR51205 {

enum class TTipoPrevia { tpRecalculo, tpCopiaFormula, tpCopiaPreco, tpImportacao };

void MostraPrevia(const contracts::server::PreviewReply& answer, TTipoPrevia kind, const std::string& blockedText);

void MostraAlteradosDesdePrevia(const contracts::server::RunReply& reply);

// Shows the preview of an import (its refused lines with line, column, value and
// reason first) with Confirmar, which writes the accepted lines, and Fechar, which
// writes nothing; true when the person confirmed.
bool ConfirmaImportacao(const contracts::server::ReplyOf<contracts::server::ImportPreviewData>& answer);

// The import of special prices from a spreadsheet for the customer (the default of
// lines naming none; may be empty when every line names one) on `session`: the file
// and its encoding are chosen, the preview shown, and on confirmation the accepted lines
// written as one batch. Returns when the window closes; true when prices were written.
bool CriaImpPlanilha(Pkg_VQR51200::TModuleSession& session, const Pkg_VQR51200::TCliente& cliente);

bool CriaHistPreco(Pkg_VQR51200::TModuleSession& session, const Pkg_VQR51200::TCliente& cliente,
                   const std::string& produto, const std::string& nomeProduto);

}  // namespace Cli_VQR51205
