// TfrmTabPreClie: the price grid. Entering it loads the chosen customer's prices;
// only the price and the two validity dates of an existing row can change (no row is
// ever added, the product code never edits), and a changed row is checked before it
// is posted.
#include "contracts/framework/consiste.h"
#include "contracts/framework/norvexa.h"
#include "platform/ui/screen.h"
#include "screens/Cli_VQR51200/cli_vqr51200.h"
#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"
#include "screens/common/grid_keys.h"
#include "screens/common/server_call.h"

namespace Cli_VQR51200 {

using contracts::server::GetPrecoProd;
using namespace Pkg_VQR51200;

namespace {

// A date typed as its "/" separators and blanks only means no date.
void SetDateText(platform::TField& field, const std::string& text) {
  std::string withoutSlashes;
  for (char c : text)
    if (c != '/') withoutSlashes += c;
  if (Consiste::EmptyString(withoutSlashes))
    field.Clear();
  else
    Consiste::DateSetText(field, text);
}

bool IsEmptyField(const platform::TField& field) { return Consiste::EmptyString(field.Text()); }

}  // namespace

void TfrmTabPreClie::LoadPriceList() {
  const int levels = Norvexa::DBPictObj(Picture::ptProduto).GetTtNiveis();
  const std::string customer = SelectedCustomer();
  const bool again = customer == loadedCustomer_ && cdsPrecoClie->Active() && !cdsPrecoClie->IsEmpty();
  const platform::Variant product = again ? cdsPrecoClieCDPRODUTO->Value() : platform::Variant();
  loadedCustomer_.clear();
  ServerLoad<GetPrecoProd>(*cdsPrecoClie, *session.netTabPreClie, Showavi::saPesquisa, customer, levels);
  loadedCustomer_ = customer;
  if (again) cdsPrecoClie->Locate("CDPRODUTO", product);
}

void TfrmTabPreClie::dbgPadraoEnter(platform::TObject*) {
  LoadPriceList();
  Habilita_Botoes();
}

void TfrmTabPreClie::sbtVerificarClick(platform::TObject*) {
  if (platform::Screen().ActiveControl() != dbgPadrao && !session.boAtualizaPreco) return;
  LoadPriceList();
}

void TfrmTabPreClie::sbtAlterarClick(platform::TObject* Sender) {
  cdsPrecoClieVRPRECOPROD->FocusControl();
  Frmpadrgrid::TfrmPadraoGrid::sbtAlterarClick(Sender);
}

// No row can be added, however the insert started, and the product code column never
// starts an edit. A row that comes back to edit with its typed values (its save
// failed) keeps them, whichever column is selected.
void TfrmTabPreClie::dtsPadraoStateChange(platform::TObject*) {
  if (cdsPrecoClie->State() == platform::dsInsert)
    cdsPrecoClie->Cancel();
  else if (cdsPrecoClie->State() == platform::dsEdit && !cdsPrecoClie->Modified() &&
           dbgPadrao->SelectedField() == cdsPrecoClieCDARVPROD)
    cdsPrecoClie->Cancel();
  Habilita_Botoes();
}

// The product code takes no character; a price takes digits and one decimal comma.
void TfrmTabPreClie::dbgPadraoKeyPress(platform::TObject* Sender, char32_t& Key) {
  Frmpadrgrid::TfrmPadraoGrid::dbgPadraoKeyPress(Sender, Key);
  const platform::TField* field = dbgPadrao->SelectedField();
  if (field == cdsPrecoClieCDARVPROD) {
    if (Key != U'\t' && Key != U'\r') Key = 0;
    return;
  }
  if (field == cdsPrecoClieVRPRECOPROD)
    KeepDecimalChar(Key, Consiste::GridText(*dbgPadrao, cdsPrecoClieVRPRECOPROD->FieldName(), false));
}

void TfrmTabPreClie::dbgPadraoKeyDown(platform::TObject* Sender, std::uint16_t& Key, platform::TShiftState Shift) {
  Frmpadrgrid::TfrmPadraoGrid::dbgPadraoKeyDown(Sender, Key, Shift);
  if (dbgPadrao->SelectedField() == cdsPrecoClieCDARVPROD && !MovesOnInGrid(Key)) Key = 0;
}

void TfrmTabPreClie::cdsPrecoClieDTVALINISetText(platform::TField& Sender, const std::string& Text) {
  SetDateText(Sender, Text);
}

void TfrmTabPreClie::cdsPrecoClieDTVALFINSetText(platform::TField& Sender, const std::string& Text) {
  SetDateText(Sender, Text);
}

// A price above zero (unless the post is a deletion); an end date needs a start date
// no later than it. The final date alone is never required.
void TfrmTabPreClie::cdsPrecoClieBeforePost(platform::TDataSet&) {
  struct DeletionEnds {
    ~DeletionEnds() { boDelete = false; }
  } deletionEnds;
  if (cdsPrecoClieVRPRECOPROD->AsFloat() <= 0 && !boDelete) {
    cdsPrecoClieVRPRECOPROD->FocusControl();
    Consiste::MensErro(msgPadrao->Msg("Preco>0"), true);
  }
  const bool noStart = IsEmptyField(*cdsPrecoClieDTVALINI);
  const bool noEnd = IsEmptyField(*cdsPrecoClieDTVALFIN);
  if (noStart && !noEnd) {
    cdsPrecoClieDTVALINI->FocusControl();
    Consiste::MensErro(msgPadrao->Msg("DtIni_Deve"), true);
  }
  const double start = noStart ? 0 : cdsPrecoClieDTVALINI->AsDateTime().value;
  const double end = noEnd ? 0 : cdsPrecoClieDTVALFIN->AsDateTime().value;
  if (start > end && !noEnd) {
    cdsPrecoClieDTVALINI->FocusControl();
    Consiste::MensErro(msgPadrao->Msg("DtIni<DtFin"), true);
  }
}

void TfrmTabPreClie::cdsPrecoClieAfterScroll(platform::TDataSet&) { Habilita_Botoes(); }

void TfrmTabPreClie::cdsPrecoClieAfterCancel(platform::TDataSet&) { Habilita_Botoes(); }

}  // namespace Cli_VQR51200
