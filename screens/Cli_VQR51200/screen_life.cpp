// TfrmTabPreClie: creation, activation and closing of the screen.
#include "contracts/framework/consiste.h"
#include "contracts/framework/norvexa.h"
#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"

namespace Cli_VQR51200 {

void TfrmTabPreClie::FormCreate(platform::TObject* Sender) {
  Frmpadrgrid::TfrmPadraoGrid::FormCreate(Sender);
  session.netTabPreClie->SetConnected(true);
  session.netCustos->SetConnected(true);
  session.boAtualizaPreco = false;
}

void TfrmTabPreClie::FormActivate(platform::TObject* Sender) {
  Frmpadrgrid::TfrmPadraoGrid::FormActivate(Sender);
  cdsPrecoClieCDARVPROD->SetEditMask(Norvexa::DBPictObj(Picture::ptProduto).EditMask());
  cdsPrecoClieDTVALFIN->SetEditMask(Consiste::DateMask());
  cdsPrecoClieDTVALINI->SetEditMask(Consiste::DateMask());
  Habilita_Botoes();
}

// A price being edited is posted (and so stored) before the screen goes; when its
// checks or the server refuse it, the screen stays open on that row.
void TfrmTabPreClie::FormClose(platform::TObject* Sender, platform::TCloseAction& Action) {
  PostEditedRow();
  session.netTabPreClie->SetConnected(false);
  session.netCustos->SetConnected(false);
  Frmpadrgrid::TfrmPadraoGrid::FormClose(Sender, Action);
}

}  // namespace Cli_VQR51200
