// TfrmTabPreClie: creation, activation and closing of the screen, the enabling of its
// record commands, and the commands that open the module's other screens.
#include "contracts/framework/consiste.h"
#include "contracts/framework/norvexa.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"
#include "screens/Cli_VQR51201/cli_vqr51201.h"
#include "screens/Cli_VQR51202/cli_vqr51202.h"
#include "screens/Cli_VQR51204/cli_vqr51204.h"

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
  if (cdsPrecoClie->Active()) cdsPrecoClie->CheckBrowseMode();
  netTabPreClie->SetConnected(false);
  netCustos->SetConnected(false);
  Frmpadrgrid::TfrmPadraoGrid::FormClose(Sender, Action);
}

// Which record commands make sense now: only inside the grid, and never an insert;
// while a row is being edited only confirm and cancel, and the customer cannot change.
void TfrmTabPreClie::Habilita_Botoes() {
  const bool vazio = !cdsPrecoClie->Active() || cdsPrecoClie->IsEmpty();
  const bool editando = cdsPrecoClie->State() == platform::dsEdit;
  bool atualizar = false;
  mnuIncluir->Enabled = false;
  if (ActiveControl() == dbgPadrao) {
    const bool temPreco = !vazio && (!Consiste::EmptyString(cdsPrecoClieVRPRECOPROD->Text()) ||
                                     !Consiste::EmptyString(cdsPrecoClieDTVALINI->Text()) ||
                                     !Consiste::EmptyString(cdsPrecoClieDTVALFIN->Text()));
    mnuAlterar->Enabled = !vazio && !editando;
    mnuConsultar->Enabled = !vazio && !editando;
    atualizar = !editando;
    mnuExcluir->Enabled = !vazio && !editando && temPreco;
    mnuConfirmar->Enabled = !vazio && editando;
    mnuCancelar->Enabled = !vazio && editando;
    panCliente->SetEnabled(!editando);
  } else {
    mnuAlterar->Enabled = false;
    mnuConsultar->Enabled = false;
    mnuExcluir->Enabled = false;
    mnuConfirmar->Enabled = false;
    mnuCancelar->Enabled = false;
  }
  sbtIncluir->SetEnabled(mnuIncluir->Enabled);
  sbtExcluir->SetEnabled(mnuExcluir->Enabled);
  sbtAlterar->SetEnabled(mnuAlterar->Enabled);
  sbtConsultar->SetEnabled(mnuConsultar->Enabled);
  sbtVerificar->SetEnabled(atualizar);
  sbtConfirmar->SetEnabled(mnuConfirmar->Enabled);
  sbtCancelar->SetEnabled(mnuCancelar->Enabled);
}

void TfrmTabPreClie::sbtFormCompClick(platform::TObject*) {
  Vd_Cliente(true);
  Cli_VQR51201::CriaFormCompPreco(Cliente);
  dbgPadrao->SetFocus();
  if (boAtualizaPreco) {
    sbtVerificarClick(sbtVerificar);
    boAtualizaPreco = false;
  }
}

void TfrmTabPreClie::sbtCopiaDadosClick(platform::TObject*) {
  Vd_Cliente(true);
  Cli_VQR51202::CriaCopiaDados(Cliente);
}

void TfrmTabPreClie::sbtImprimirClick(platform::TObject*) { Cli_VQR51204::CriaRelTabPreClie(); }

}  // namespace Cli_VQR51200
