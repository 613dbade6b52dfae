// TfrmFormCompPreco: every accepted post and every delete goes to the server at once
// as a one-change delta (SetCompPreco), and the server's formula text is shown. A row
// the server did not take stays in edit (or insert) with what was typed, to be posted
// again or cancelled; a deletion it did not take brings the row back. The confirm command recalculates the
// customer's prices from the saved formula (SetCalcCusProd) and closes the screen; the
// preview shows what that would do without writing, and a recalculation after it
// lists the prices it wrote over a change made since.
#include "contracts/framework/consiste.h"
#include "contracts/framework/lib00500.h"
#include "contracts/framework/norvexa.h"
#include "contracts/framework/showavi.h"
#include "platform/ui/application.h"
#include "platform/ui/window_update.h"
#include "screens/Cli_VQR51201/cli_vqr51201.h"
#include "screens/Cli_VQR51201/frm_form_comp_preco.h"
#include "screens/Cli_VQR51205/cli_vqr51205.h"
#include "screens/common/server_call.h"

namespace Cli_VQR51201 {

using namespace Pkg_VQR51200;

// Nothing of a failed save stays: the animation stops (it belongs to the call) and no
// window stays locked. A failed post is taken back by the dataset, which returns the
// row to edit with its typed values; a failed deletion is undone here.
void TfrmFormCompPreco::SavePendingChange(bool posted) {
  if (cdsFatAjustPreClie->ChangeCount() == 0) return;
  try {
    ShowFormula(ServerCall<contracts::server::SetCompPreco>(*session.netTabPreClie,
                                                            Showavi::saGravacao, cdsFatAjustPreClie->Delta(),
                                                            Cliente.CdCliente, msgPadrao->Msg("Custo")),
                false);
    cdsFatAjustPreClie->MergeChangeLog();
    Norvexa::AtualizaLocalCache(platform::VarArrayOf({"COMPPRECLIE"}));
    if (posted) dbgCompPreClie->SetEditorMode(false);
  } catch (...) {
    platform::LockWindowUpdate(nullptr);
    if (!posted) cdsFatAjustPreClie->CancelUpdates();
    throw;
  }
}

void TfrmFormCompPreco::cdsFatAjustPreClieAfterPost(platform::TDataSet&) { SavePendingChange(true); }

void TfrmFormCompPreco::cdsFatAjustPreClieAfterDelete(platform::TDataSet&) { SavePendingChange(false); }

// A row still being edited is posted first (so saved, or refused by its checks), so
// the recalculation never ends the screen over a row the person typed and the prices
// come from the formula as shown.
void TfrmFormCompPreco::sbtConfirmaClick(platform::TObject*) {
  cdsFatAjustPreClie->CheckBrowseMode();
  if (msgPadrao->ShowMsg("Recalc", platform::mtConfirmation, {platform::mbYes, platform::mbNo}, 0) != platform::mrYes)
    return;
  contracts::server::RunReply written;
  RunBehindWaitPanel(*panEspera, *anmAnimacao, [this, &written] {
    const int levels = Norvexa::DBPictObj(Picture::ptProduto).GetTtNiveis();
    const int costType = Lib00500::NumeroTipoCusto(cbbTpCusto->ItemIndex());
    written = ServerCallAfterPreview<contracts::server::SetCalcCusProd>(
        *session.netTabPreClie, Showavi::saGravacao, previewMark_, Norvexa::FiliProc(), Cliente.CdCliente,
        Cliente.NrInsJurClie, levels, costType, "", "", "S");
  });
  platform::MessageDlg(msgPadrao->Msg("Recalc_Ok"), platform::mtInformation, {platform::mbOK}, 0);
  Cli_VQR51205::MostraAlteradosDesdePrevia(written);
  session.boAtualizaPreco = true;
  Close();
}

// The same arguments as the recalculation itself, so the preview is what it would do.
void TfrmFormCompPreco::sbtPreviaClick(platform::TObject*) {
  cdsFatAjustPreClie->CheckBrowseMode();
  contracts::server::PreviewReply answer;
  RunBehindWaitPanel(*panEspera, *anmAnimacao, [this, &answer] {
    const int levels = Norvexa::DBPictObj(Picture::ptProduto).GetTtNiveis();
    const int costType = Lib00500::NumeroTipoCusto(cbbTpCusto->ItemIndex());
    answer = ServerCall<contracts::server::GetPreviaCalcCusProd>(*session.netTabPreClie,
                                                                 Showavi::saPesquisa, Norvexa::FiliProc(),
                                                                 Cliente.CdCliente, Cliente.NrInsJurClie, levels,
                                                                 costType, "", "", "S");
  });
  previewMark_ = answer.record.historyMark;
  Cli_VQR51205::MostraPrevia(answer, Cli_VQR51205::TTipoPrevia::tpRecalculo, msgPadrao->Msg("@PrecoZerNeg"));
}

}  // namespace Cli_VQR51201
