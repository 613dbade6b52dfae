// TClieProdFilter: choosing the customers, searching and checking the product codes,
// and the range check the screens run before they use the filter.
#include "contracts/framework/consiste.h"
#include "contracts/framework/norvexa.h"
#include "contracts/framework/pesqlista.h"
#include "contracts/framework/tabvalid.h"
#include "contracts/server/customer_list.h"
#include "platform/text/float_format.h"
#include "platform/text/ascii_text.h"
#include "platform/text/edit_mask.h"
#include "screens/common/clie_prod_filter.h"
#include "screens/common/server_call.h"

namespace Pkg_VQR51200 {

void TClieProdFilter::rbtTodosClick() {
  if (rbtTodos->Checked()) btpPesqClie->SetEnabled(false);
  list_.clear();
  ShowListCount();
}

void TClieProdFilter::rbtListaClick() {
  if (rbtLista->Checked()) btpPesqClie->SetEnabled(true);
  list_.clear();
  ShowListCount();
}

void TClieProdFilter::ShowListCount() {
  const std::size_t count = contracts::server::DecodeCustomerList(list_).size();
  const std::string shown = platform::FormatFloat("#,##0", static_cast<double>(count));
  lblQtdeClie->SetCaption(count == 0 ? "" : "(" + shown + ")");
  lblQtdeClie->SetHint(count == 0 ? "" : shown + (count == 1 ? " cliente marcado" : " clientes marcados"));
}

void TClieProdFilter::LeaveOutListCustomer() {
  const std::string& code = settings_.listCustomer();
  if (code.empty() || !cdsPesqClie->Locate("CDCLIENTE", platform::Variant(code))) return;
  cdsPesqClie->Delete();
  cdsPesqClie->First();
}

// The customers are asked for again at every press, so the list always offers the
// customers as they are now; a failed load opens nothing and keeps the list.
void TClieProdFilter::btpPesqClieClick() {
  ServerLoad<contracts::server::GetPesqClieLista>(*cdsPesqClie, *session_.netTabPreClie, Showavi::saPesquisa,
                                                 settings_.listCustomer());
  if (settings_.leaveOutListCustomer) LeaveOutListCustomer();
  Pesqlista::PesquisaLista(dtsPesqClie, "CDCLIENTE", catalog_.Msg("Cliente"), false, list_);
  ShowListCount();
}

void TClieProdFilter::cdsPesqClieNRINSJURCLIEGetText(platform::TField& Sender, std::string& Text) {
  Text = platform::FormatMaskText(Consiste::PictPess(cdsPesqClieIDTPIJURCLIE->AsString()), Sender.AsString());
}

void TClieProdFilter::medProdIniChange() { edtNmProdIni->SetText(""); }

void TClieProdFilter::medProdFinChange() { edtNmProdFin->SetText(""); }

void TClieProdFilter::OpenProducts(const std::string& all, const std::string& code) {
  qryPesqProd->Close();
  qryPesqProd->ParamByName("P_TCDPRODUTO").SetAsString(all);
  qryPesqProd->ParamByName("P_CDARVPROD").SetAsString(code);
  qryPesqProd->Open();
}

void TClieProdFilter::OpenAllProducts() { OpenProducts("T", ""); }

// The code first: setting it clears the name, which the product's name then fills.
void TClieProdFilter::TakeSearchedProduct(const ProductRow& row) {
  if (qryPesqProd->IsEmpty()) return;
  row.code->SetText(qryPesqProdCDARVPROD->AsString());
  row.name->SetText(qryPesqProdNMPRODUTO->AsString());
}

void TClieProdFilter::brnPesqProdIniAfterPesq() { TakeSearchedProduct({medProdIni, edtNmProdIni}); }

void TClieProdFilter::btnProdFinAfterPesq() { TakeSearchedProduct({medProdFin, edtNmProdFin}); }

// The lookup uses the code as the picture check leaves it (separators and blanks
// removed), the form the product table holds.
void TClieProdFilter::CheckAndLookUp(const ProductRow& row) {
  std::string code(platform::TrimBlanks(row.code->Text()));
  if (Consiste::EmptyString(code)) return;
  try {
    Tabvalid::ValidEx(nullptr, Picture::ptProduto, code, 0, "", true);
  } catch (...) {
    row.code->SetFocus();
    throw;
  }
  OpenProducts("", code);
  if (qryPesqProd->IsEmpty()) return;
  row.code->SetText(qryPesqProdCDARVPROD->AsString());
  row.name->SetText(qryPesqProdNMPRODUTO->AsString());
}

void TClieProdFilter::VdProdIni() { CheckAndLookUp({medProdIni, edtNmProdIni}); }

void TClieProdFilter::VdProdFin() { CheckAndLookUp({medProdFin, edtNmProdFin}); }

void TClieProdFilter::Refuse(platform::TControl& focus, const char* key) const {
  focus.SetFocus();
  catalog_.ReportError(key);
}

void TClieProdFilter::VdListaClie() {
  if (rbtLista->Checked() && Consiste::EmptyString(list_)) Refuse(*rbtLista, "Clie_Deve");
}

void TClieProdFilter::VdProdutos() {
  VdProdIni();
  VdProdFin();
  const std::string first = FirstProduct();
  const std::string last = LastProduct();
  const bool noFirst = first.empty();
  const bool noLast = last.empty();
  if (noFirst && noLast && !settings_.rangeRequired()) return;
  if (noFirst) Refuse(*medProdIni, "ProdIniDeve");
  if (noLast) Refuse(*medProdFin, "ProdFinDeve");
  if (first > last) Refuse(*medProdIni, "ProdIni>ProdFin");
}

void TClieProdFilter::PaintRange() {
  const platform::TColor color = settings_.rangeRequired() ? platform::clInfoBk : platform::clWindow;
  medProdIni->SetColor(color);
  medProdFin->SetColor(color);
}

void TClieProdFilter::Activate() {
  const std::string mask = Norvexa::DBPictObj(Picture::ptProduto).EditMask();
  medProdIni->SetEditMask(mask);
  medProdFin->SetEditMask(mask);
  qryPesqProdCDARVPROD->SetEditMask(mask);
  if (settings_.emptyListAtActivation) list_.clear();
  ShowListCount();
  PaintRange();
}

std::string TClieProdFilter::FirstProduct() const { return std::string(platform::TrimBlanks(medProdIni->Text())); }

std::string TClieProdFilter::LastProduct() const { return std::string(platform::TrimBlanks(medProdFin->Text())); }

std::string TClieProdFilter::AllCustomersFlag() const { return rbtTodos->Checked() ? "T" : ""; }

}  // namespace Pkg_VQR51200
