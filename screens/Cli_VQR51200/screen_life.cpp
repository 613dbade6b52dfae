// TfrmTabPreClie: creation, activation and closing of the screen.
#include "contracts/framework/consiste.h"
#include "contracts/framework/norvexa.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"

namespace Cli_VQR51200 {

void TfrmTabPreClie::FormCreate(platform::TObject* Sender) {
  Frmpadrgrid::TfrmPadraoGrid::FormCreate(Sender);
  netTabPreClie->SetConnected(true);
  netCustos->SetConnected(true);
  boAtualizaPreco = false;
}

void TfrmTabPreClie::netTabPreClieBeforeConnect(platform::TObject*) {
  netTabPreClie->SetHost(Norvexa::WebURL());
  netTabPreClie->SetPort(Norvexa::WebPort());
}

void TfrmTabPreClie::netCustosBeforeConnect(platform::TObject*) {
  netCustos->SetHost(Norvexa::WebURL());
  netCustos->SetPort(Norvexa::WebPort());
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
  netTabPreClie->SetConnected(false);
  netCustos->SetConnected(false);
  Frmpadrgrid::TfrmPadraoGrid::FormClose(Sender, Action);
}

}  // namespace Cli_VQR51200
