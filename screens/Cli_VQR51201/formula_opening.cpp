// TfrmFormCompPreco: the screen's life, the formula shown as the server gives it, and
// the two coded columns, which show and take the catalog texts of their codes.
#include "contracts/framework/lib00500.h"
#include "screens/Cli_VQR51201/cli_vqr51201.h"
#include "screens/Cli_VQR51201/frm_form_comp_preco.h"

namespace Cli_VQR51201 {

void TfrmFormCompPreco::FormCreate(platform::TObject* Sender) { Frmrotgeral::TfrmRotiGeral::FormCreate(Sender); }

void TfrmFormCompPreco::ShowFormula(const contracts::server::PacketAndText& formula, bool withRows) {
  if (withRows) cdsFatAjustPreClie->SetData(formula.packet);
  edtFormula->SetText(formula.text);
  edtFormula->SetHint(edtFormula->Text());  // a long formula is read whole in its hint
}

// The cost types are asked for again at every activation; an earlier choice is not
// kept.
void TfrmFormCompPreco::FormActivate(platform::TObject* Sender) {
  Frmrotgeral::TfrmRotiGeral::FormActivate(Sender);
  cbbTpCusto->Items = Lib00500::ListaTipoCusto(*session.netCustos, nullptr);
  cbbTpCusto->SetItemIndex(cbbTpCusto->Items.empty() ? -1 : 0);
  Habilita_Botoes();
  if (!cdsAuxiliar) cdsAuxiliar = new platform::TClientDataSet();
}

// A row still being edited is never dropped unasked: closing then asks as Escape
// does, and No keeps the screen open on that row.
void TfrmFormCompPreco::FormClose(platform::TObject* Sender, platform::TCloseAction& Action) {
  if (Editing()) {
    if (msgPadrao->ShowMsg("Canc", platform::mtConfirmation, {platform::mbYes, platform::mbNo}, 0) !=
        platform::mrYes) {
      Action = platform::caNone;
      return;
    }
    cdsFatAjustPreClie->Cancel();
  }
  Frmrotgeral::TfrmRotiGeral::FormClose(Sender, Action);
}

void TfrmFormCompPreco::sbtCancelClick(platform::TObject* Sender) { Frmrotgeral::TfrmRotiGeral::sbtCancelClick(Sender); }

void TfrmFormCompPreco::SetCodeFromText(platform::TField& field, const std::string& text,
                                        std::initializer_list<const char*> codes) {
  for (const char* code : codes) {
    if (msgPadrao->Msg(code) != text) continue;
    field.SetAsString(code);
    return;
  }
}

void TfrmFormCompPreco::cdsFatAjustPreClieIDDETFATPREGetText(platform::TField& Sender, std::string& Text, bool) {
  Text = msgPadrao->Msg(Sender.AsString());
}

void TfrmFormCompPreco::cdsFatAjustPreClieIDDETFATPRESetText(platform::TField& Sender, const std::string& Text) {
  SetCodeFromText(Sender, Text, {"P", "N", "M"});
}

void TfrmFormCompPreco::cdsFatAjustPreClieIDTPOPERFATCLIEGetText(platform::TField& Sender, std::string& Text, bool) {
  Text = msgPadrao->Msg(Sender.AsString());
}

void TfrmFormCompPreco::cdsFatAjustPreClieIDTPOPERFATCLIESetText(platform::TField& Sender, const std::string& Text) {
  SetCodeFromText(Sender, Text, {"SUM", "SUB", "MUL", "DIV"});
}

}  // namespace Cli_VQR51201
