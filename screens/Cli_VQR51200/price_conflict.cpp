// TfrmTabPreClie: a save refused because someone else changed the price since the
// row was read. The person sees who changed it and chooses between the current values
// (reloaded into that row alone) and the typed ones (still in edit, to cancel or
// confirm after a look).
#include "contracts/framework/norvexa.h"
#include "contracts/framework/picture.h"
#include "platform/data/client_dataset.h"
#include "platform/text/date_time.h"
#include "platform/ui/dialogs.h"
#include "screens/Cli_VQR51200/frm_tab_pre_clie.h"
#include "screens/common/server_call.h"

namespace Cli_VQR51200 {

using namespace Pkg_VQR51200;

namespace {

std::string DateBasis(const platform::Variant& value) {
  return value.isBlank() ? std::string() : platform::DateToStr(value.asDateTime());
}

}  // namespace

contracts::server::PriceBasis TfrmTabPreClie::RowBasis() const {
  contracts::server::PriceBasis basis;
  platform::Variant price = cdsPrecoClie->OldValue(*cdsPrecoClieVRPRECOPROD);
  if (!price.isBlank()) basis.price = price.asDouble();
  basis.start = DateBasis(cdsPrecoClie->OldValue(*cdsPrecoClieDTVALINI));
  basis.end = DateBasis(cdsPrecoClie->OldValue(*cdsPrecoClieDTVALFIN));
  return basis;
}

void TfrmTabPreClie::OfferRowReload(const std::string& refusal) {
  if (platform::MessageDlg(refusal + "\n\nRecarregar o produto com os valores atuais?", platform::mtWarning,
                           {platform::mbYes, platform::mbNo}, 0) != platform::mrYes)
    platform::Abort();
  ReloadRow();
}

// The row is edited to the values the server holds now and posted without a save;
// its change log is merged, so they are what the next save is based on.
void TfrmTabPreClie::ReloadRow() {
  const std::string product = cdsPrecoClieCDPRODUTO->AsString();
  platform::TClientDataSet current;
  const int levels = Norvexa::DBPictObj(Picture::ptProduto).GetTtNiveis();
  ServerLoad<contracts::server::GetPrecoProd>(current, *session.netTabPreClie, Showavi::saPesquisa,
                                              SelectedCustomer(), levels);
  if (!current.Locate("CDPRODUTO", platform::Variant(product)))
    throw platform::Exception("Produto " + product + " não encontrado ao recarregar os preços.");
  auto stateChange = dtsPadrao->OnStateChange;
  dtsPadrao->OnStateChange = nullptr;
  reloadingRow_ = true;
  struct Restore {
    TfrmTabPreClie& screen;
    decltype(stateChange) handler;
    ~Restore() {
      screen.reloadingRow_ = false;
      screen.dtsPadrao->OnStateChange = std::move(handler);
    }
  } restore{*this, stateChange};
  cdsPrecoClie->Edit();
  cdsPrecoClieVRPRECOPROD->SetValue(current.FieldByName("VRPRECOPROD").Value());
  cdsPrecoClieDTVALINI->SetValue(current.FieldByName("DTVALINI").Value());
  cdsPrecoClieDTVALFIN->SetValue(current.FieldByName("DTVALFIN").Value());
  cdsPrecoClie->Post();
}

}  // namespace Cli_VQR51200
