#pragma once
// The choice of spreadsheet format behind a report screen's export command.
//
// Window dlgExportar, "Exportar planilha", modal: btnXlsx "Planilha (XLSX)" (Enter),
// btnCsv "Texto separado por ponto e vírgula (CSV)", btnCancel "Cancelar" (Escape,
// the close box). Returns the format chosen, nothing on cancel.
#include <optional>

#include "contracts/framework/qrddlgs.h"

namespace framework {

std::optional<Qrddlgs::TReportOutput> ChooseExportFormat();

}  // namespace framework
