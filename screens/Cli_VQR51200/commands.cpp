// TfrmTabPreClie: the screen's commands. Which record commands make sense at each
// moment, and the commands that open the module's other screens for the customer.
#include "contracts/framework/consiste.h"
#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"
#include "screens/Cli_VQR51201/cli_vqr51201.h"
#include "screens/Cli_VQR51202/cli_vqr51202.h"
#include "screens/Cli_VQR51204/cli_vqr51204.h"
#include "screens/Cli_VQR51205/cli_vqr51205.h"

namespace Cli_VQR51200 {

// Record commands only inside the grid, and never an insert; while a row is being
// edited only confirm and cancel, and the customer cannot change. Each command is one
// action, so its toolbar button and its menu item always agree.
void TfrmTabPreClie::Habilita_Botoes() {
  const bool empty = !cdsPrecoClie->Active() || cdsPrecoClie->IsEmpty();
  const bool editing = cdsPrecoClie->State() == platform::dsEdit;
  actIncluir->SetEnabled(false);
  if (ActiveControl() != dbgPadrao) {
    for (platform::TAction* action : {actAlterar, actConsultar, actVerificar, actExcluir, actConfirmar, actCancelar})
      action->SetEnabled(false);
    return;
  }
  const bool hasPrice = !empty && (!Consiste::EmptyString(cdsPrecoClieVRPRECOPROD->Text()) ||
                                   !Consiste::EmptyString(cdsPrecoClieDTVALINI->Text()) ||
                                   !Consiste::EmptyString(cdsPrecoClieDTVALFIN->Text()));
  actAlterar->SetEnabled(!empty && !editing);
  actConsultar->SetEnabled(!empty && !editing);
  actVerificar->SetEnabled(!editing);
  actExcluir->SetEnabled(!empty && !editing && hasPrice);
  actConfirmar->SetEnabled(!empty && editing);
  actCancelar->SetEnabled(!empty && editing);
  panCliente->SetEnabled(!editing);
}

// Each command that opens another screen first posts the row being edited, as closing
// does (the grid reloads when it gets the focus back, which would drop the edit); a
// refused row stops the command and stays in edit.
void TfrmTabPreClie::sbtFormCompClick(platform::TObject*) {
  PostEditedRow();
  Vd_Cliente(true);
  Cli_VQR51201::CriaFormCompPreco(session, session.Cliente);
  dbgPadrao->SetFocus();
  if (session.boAtualizaPreco) {
    sbtVerificarClick(sbtVerificar);
    session.boAtualizaPreco = false;
  }
}

void TfrmTabPreClie::sbtCopiaDadosClick(platform::TObject*) {
  PostEditedRow();
  Vd_Cliente(true);
  Cli_VQR51202::CriaCopiaDados(session, session.Cliente);
}

void TfrmTabPreClie::sbtHistoricoClick(platform::TObject*) {
  PostEditedRow();
  Vd_Cliente(true);
  const bool onRow = cdsPrecoClie->Active() && !cdsPrecoClie->IsEmpty();
  const std::string product = onRow ? cdsPrecoClieCDPRODUTO->AsString() : "";
  const std::string name = onRow ? cdsPrecoClieCDARVPROD->DisplayText() + " " + cdsPrecoClieNMPRODUTO->AsString() : "";
  const int row = cdsPrecoClie->RecNo();
  if (!Cli_VQR51205::CriaHistPreco(session, session.Cliente, product, name) || !onRow) return;
  LoadPriceList();
  if (row >= 1 && row <= cdsPrecoClie->RecordCount()) cdsPrecoClie->SetRecNo(row);
}

void TfrmTabPreClie::sbtImportarClick(platform::TObject*) {
  PostEditedRow();
  ResolveTypedCustomer();
  if (!Cli_VQR51205::CriaImpPlanilha(session, session.Cliente)) return;
  if (!session.Cliente.CdCliente.empty()) LoadPriceList();
}

// The report needs no customer, but never takes another one than the strip shows.
void TfrmTabPreClie::sbtImprimirClick(platform::TObject*) {
  PostEditedRow();
  ResolveTypedCustomer();
  Cli_VQR51204::CriaRelTabPreClie(session);
}

}  // namespace Cli_VQR51200
