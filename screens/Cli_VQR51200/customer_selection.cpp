// TfrmTabPreClie: choosing the customer. The registration number is typed in
// medCdClie without a mask and looked up when the edit is left; the search button
// lists every customer; Vd_Cliente re-checks the chosen one before another screen
// opens for it. An empty name box means the number is not resolved yet.
#include "contracts/framework/consiste.h"
#include "platform/text/edit_mask.h"
#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"
#include "screens/common/server_call.h"

namespace Cli_VQR51200 {

using contracts::server::GetCDCliente;
using contracts::server::GetPesqCliente;
using namespace Pkg_VQR51200;

std::string TfrmTabPreClie::SelectedCustomer() const { return cdsPesqClieCDCLIENTE->AsString(); }

void TfrmTabPreClie::CopySearchRowToCliente() {
  session.Cliente = {cdsPesqClieCDCLIENTE->AsString(), cdsPesqClieNMRAZSOCCLIE->AsString(),
                     cdsPesqClieNRINSJURCLIE->AsString()};
}

// Going back to the customer discards the shown prices; entering the grid loads them
// again for the customer then chosen.
void TfrmTabPreClie::panClienteEnter(platform::TObject*) {
  if (cdsPrecoClie->Active()) {
    cdsPrecoClie->EmptyDataSet();
    cdsPrecoClie->Close();
  }
  Habilita_Botoes();
}

// The number is typed without a mask; it stays selected, so typing replaces it.
void TfrmTabPreClie::medCdClieEnter(platform::TObject*) {
  medCdClie->SetEditMask("");
  medCdClie->SetMaxLength(20);
  medCdClie->SelectAll();
}

void TfrmTabPreClie::medCdClieChange(platform::TObject*) { edtNmClie->SetText(""); }

void TfrmTabPreClie::medCdClieExit(platform::TObject*) {
  std::string number = medCdClie->Text();
  if (Consiste::EmptyString(number)) {
    medCdClie->SetFocus();
    Consiste::MensErro(msgPadrao->Msg("Clie_Deve"), true);
  }
  const bool otherNumber =
      cdsPesqClieCDCLIENTE->AsString().empty() && cdsPesqClieNRINSJURCLIE->AsString() != number;
  if (!otherNumber && !Consiste::EmptyString(edtNmClie->Text())) return;

  const std::string personKind = Consiste::Ajusta_Inscricao(number);
  medCdClie->SetText(number);
  ServerLoad<GetPesqCliente>(*cdsPesqClie, *session.netTabPreClie, Showavi::saPesquisa, number, "");
  CopySearchRowToCliente();
  if (cdsPesqClie->IsEmpty()) {
    medCdClie->SetFocus();
    Consiste::MensErro(msgPadrao->Msg("Clie_N_Cad"), true);
  }
  medCdClie->SetEditMask(Consiste::PictPess(personKind));
  edtNmClie->SetText(cdsPesqClieNMRAZSOCCLIE->AsString());
}

// The search lists every customer; Cliente follows the first one of the list until a
// pick is checked by Vd_Cliente or a typed number is looked up. The list opens on the
// customer chosen before, so a cancelled search leaves that customer chosen, and the
// prices shown stay: only a pick moves the focus to the customer strip (which discards
// them, to be loaded for the customer picked).
void TfrmTabPreClie::btpClienteBeforePesq(platform::TObject*, bool&) {
  const std::string previous = SelectedCustomer();
  ServerLoad<GetPesqCliente>(*cdsPesqClie, *session.netTabPreClie, Showavi::saPesquisa, "", "T");
  CopySearchRowToCliente();
  if (!previous.empty()) cdsPesqClie->Locate("CDCLIENTE", platform::Variant(previous));
}

void TfrmTabPreClie::btpClienteAfterPesq(platform::TObject*) {
  if (cdsPesqClie->IsEmpty()) return;
  if (!panCliente->ContainsControl(ActiveControl())) medCdClie->SetFocus();
  // The picked number shows in the mask of its person kind, as a looked-up one does.
  medCdClie->SetEditMask(Consiste::PictPess(cdsPesqClieIDTPIJURCLIE->AsString()));
  medCdClie->SetText(cdsPesqClieNRINSJURCLIE->AsString());
  edtNmClie->SetText(cdsPesqClieNMRAZSOCCLIE->AsString());
}

// The stored number laid into the mask of the row's person kind, in lists and edits.
void TfrmTabPreClie::cdsPesqClieNRINSJURCLIEGetText(platform::TField& Sender, std::string& Text, bool) {
  Text = platform::FormatMaskText(Consiste::PictPess(cdsPesqClieIDTPIJURCLIE->AsString()), Sender.AsString());
}

// A number typed but not yet looked up (the name box is empty) is looked up as leaving
// the strip does, with its checks and messages; an empty strip is no customer. So no
// command acts on a customer other than the one the strip shows.
void TfrmTabPreClie::ResolveTypedCustomer() {
  if (!Consiste::EmptyString(edtNmClie->Text())) return;
  if (Consiste::EmptyString(medCdClie->Text())) {
    session.Cliente = {};
    return;
  }
  medCdClieExit(medCdClie);
}

// The customer checked is the one the strip shows, resolved first when only typed;
// once checked, medCdClie shows that customer's number in the mask of its person kind,
// so the number and the name beside it always belong to the same customer.
void TfrmTabPreClie::Vd_Cliente(bool informa) {
  ResolveTypedCustomer();
  if (Consiste::EmptyString(medCdClie->Text())) {
    if (!informa) return;
    medCdClie->SetFocus();
    Consiste::MensErro(msgPadrao->Msg("Clie_Deve"), true);
  }
  ServerLoad<GetCDCliente>(*cdsCDCLiente, *session.netTabPreClie, Showavi::saPesquisa, SelectedCustomer(), "");
  session.Cliente = {cdsCDCLienteCDCLIENTE->AsString(), cdsCDCLienteNMRAZSOCCLIE->AsString(),
                     cdsCDCLienteNRINSJURCLIE->AsString()};
  if (cdsCDCLiente->IsEmpty()) {
    medCdClie->SetFocus();
    Consiste::MensErro(msgPadrao->Msg("Clie_N_Cad"), true);
  }
  medCdClie->SetEditMask(Consiste::PictPess(cdsCDCLienteIDTPIJURCLIE->AsString()));
  medCdClie->SetText(cdsCDCLienteNRINSJURCLIE->AsString());
  edtNmClie->SetText(cdsCDCLienteNMRAZSOCCLIE->AsString());
  if (cdsPesqClie->IsEditing()) {
    cdsPesqClieCDCLIENTE->SetAsString(cdsCDCLienteCDCLIENTE->AsString());
    cdsPesqClieNMRAZSOCCLIE->SetAsString(cdsCDCLienteNMRAZSOCCLIE->AsString());
    cdsPesqClieNRINSJURCLIE->SetAsString(cdsCDCLienteNRINSJURCLIE->AsString());
  }
}

}  // namespace Cli_VQR51200
