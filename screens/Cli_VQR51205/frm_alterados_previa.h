#pragma once
// TfrmAlteradosPrevia: after a recalculation, copy or import committed after its
// preview, the prices it wrote over a change someone made since the preview, shown
// modally; it only shows. lblResumo tells how many there are (and when fewer are
// listed); dbgAlterados lists each with its customer, product, who changed it and
// when, the price that change had left and the price the command wrote.
#include "contracts/framework/frmrotgeral.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/data/field.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/std_controls.h"

namespace Cli_VQR51205 {

class TfrmAlteradosPrevia : public Frmrotgeral::TfrmRotiGeral {
 public:
  explicit TfrmAlteradosPrevia(platform::TComponent* owner);

  platform::TLabel* lblResumo;
  platform::TDBGrid* dbgAlterados;
  platform::TClientDataSet* cdsAlterados;
  platform::TDataSource* dtsAlterados;
  platform::TStringField* cdsAlteradosCDARVPROD;

  void FormActivate(platform::TObject* Sender) override;

  // Puts a command's reply on the window.
  void ShowChanges(const contracts::server::RunReply& reply);
};

// "Alterados por outras gravações desde a prévia: 3", telling when fewer are listed.
std::string ChangedSinceSummary(const contracts::server::ChangedSinceCount& count, std::size_t shownRows);

}  // namespace Cli_VQR51205
