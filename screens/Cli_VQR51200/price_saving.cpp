// TfrmTabPreClie: the screen keeps no pending changes. Every posted row goes to the
// server at once with SetTabPreClie; deleting a special price is clearing its price
// and dates and posting the row, which sends price 0 and two empty dates. A row the
// server did not store stays in edit with what was typed (the dataset takes back a
// post whose AfterPost fails), so it can be confirmed again or cancelled.
#include "contracts/framework/consiste.h"
#include "platform/ui/dialogs.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"
#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"
#include "screens/common/server_call.h"

namespace Cli_VQR51200 {

using contracts::server::SetTabPreClie;
using namespace Pkg_VQR51200;

void TfrmTabPreClie::cdsPrecoClieAfterPost(platform::TDataSet&) {
  ServerCall<SetTabPreClie>(*session.netTabPreClie, Showavi::saGravacao, SelectedCustomer(),
                            cdsPrecoClieCDPRODUTO->AsString(), cdsPrecoClieVRPRECOPROD->AsFloat(),
                            cdsPrecoClieDTVALINI->Text(), cdsPrecoClieDTVALFIN->Text(), "S");
  Habilita_Botoes();
}

void TfrmTabPreClie::AttachStateChange() {
  dtsPadrao->OnStateChange = [this](platform::TDataSource& s) { dtsPadraoStateChange(&s); };
}

// The state-change handler stays detached while the row is cleared and posted, so
// the state rule cannot cancel that edit (the product code column may be selected);
// it is attached again whatever happens. A deletion the server did not take leaves the
// row with its price and dates, as the server still has them.
void TfrmTabPreClie::sbtExcluirClick(platform::TObject*) {
  if (!cdsPrecoClie->Active() || cdsPrecoClie->IsEmpty()) return;
  if (Consiste::EmptyString(cdsPrecoClieVRPRECOPROD->Text()) && Consiste::EmptyString(cdsPrecoClieDTVALINI->Text()) &&
      Consiste::EmptyString(cdsPrecoClieDTVALFIN->Text()))
    return;
  // The question names the product under the cursor on a line of its own.
  const std::string product = cdsPrecoClieCDARVPROD->DisplayText() + " - " + cdsPrecoClieNMPRODUTO->Text();
  if (platform::MessageDlg(msgPadrao->Msg("Excl") + "\n" + product, platform::mtConfirmation,
                           {platform::mbYes, platform::mbNo}, 0) != platform::mrYes)
    return;
  dtsPadrao->OnStateChange = nullptr;
  try {
    cdsPrecoClie->Edit();
    boDelete = true;
    cdsPrecoClieVRPRECOPROD->Clear();
    cdsPrecoClieDTVALFIN->Clear();
    cdsPrecoClieDTVALINI->Clear();
    cdsPrecoClie->Post();
  } catch (...) {
    boDelete = false;
    if (cdsPrecoClie->IsEditing()) cdsPrecoClie->Cancel();
    AttachStateChange();
    Habilita_Botoes();
    throw;
  }
  AttachStateChange();
}

// Any other way of deleting a row (the grid's Ctrl+Delete, the navigator) is the
// delete command: the special price is cleared on the server and the product stays
// in the list, as every product does.
void TfrmTabPreClie::cdsPrecoClieBeforeDelete(platform::TDataSet&) {
  sbtExcluirClick(sbtExcluir);
  platform::Abort();
}

}  // namespace Cli_VQR51200
