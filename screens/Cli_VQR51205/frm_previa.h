#pragma once
// TfrmPrevia: the preview of a recalculation or copy, shown modally; it only shows.
//
// lblResumo tells how many prices would be created, changed, kept unchanged and how
// many products skipped (and, for a copy, for how many customers), or, when some
// product would be priced zero, negative or over the ceiling, the refusal the command
// would meet; dbgPrevia lists the rows (customer for a copy, product code with its
// mask, name, current and new price, change in percent), each marked as a price to
// create or to change, or as blocked.
#include <string>

#include "contracts/framework/frmrotgeral.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/data/field.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/std_controls.h"
#include "screens/Cli_VQR51205/cli_vqr51205.h"

namespace Cli_VQR51205 {

class TfrmPrevia : public Frmrotgeral::TfrmRotiGeral {
 public:
  explicit TfrmPrevia(platform::TComponent* owner);

  platform::TLabel* lblResumo;
  platform::TDBGrid* dbgPrevia;

  platform::TClientDataSet* cdsPrevia;
  platform::TDataSource* dtsPrevia;
  platform::TStringField* cdsPreviaIDBLOQUEIO;
  platform::TStringField* cdsPreviaCDCLIENTE;
  platform::TStringField* cdsPreviaNMRAZSOCCLIE;
  platform::TStringField* cdsPreviaCDPRODUTO;
  platform::TStringField* cdsPreviaCDARVPROD;
  platform::TStringField* cdsPreviaNMPRODUTO;
  platform::TFloatField* cdsPreviaVRPRECOANT;
  platform::TFloatField* cdsPreviaVRPRECONOV;
  platform::TFloatField* cdsPreviaPCVARIACAO;

  // Where Confirmar (shown only for an import) records that the person confirmed.
  bool* boConfirmado = nullptr;

  void FormActivate(platform::TObject* Sender) override;
  void sbtConfirmaClick(platform::TObject* Sender) override;
  void cdsPreviaIDBLOQUEIOGetText(platform::TField& Sender, std::string& Text, bool DisplayText);

  // Puts a GetPrevia* reply on the window.
  void ShowPreview(const contracts::server::PreviewReply& answer, TTipoPrevia kind, const std::string& blockedText);
  // Puts a GetPreviaImpPreco reply on the window, with the refused lines' columns and
  // Confirmar.
  void ShowImportPreview(const contracts::server::ReplyOf<contracts::server::ImportPreviewData>& answer);

 private:
  void CreateDataSet();
  void CreateGrid();
  void AddImportColumns();
  bool import_ = false;
};

// The summary of a preview's counts, telling when fewer rows are shown than changed.
std::string PreviewSummary(const contracts::server::PreviewCounts& counts, TTipoPrevia kind, std::size_t shownRows);

}  // namespace Cli_VQR51205
