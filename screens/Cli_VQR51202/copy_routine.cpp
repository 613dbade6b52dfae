// TfrmCopiaDados: the screen's life, its two modes, the validity period and the copy
// itself; the filter's handlers are inherited (screens/common/clie_prod_filter.h).
#include "contracts/framework/consiste.h"
#include "contracts/framework/lib00500.h"
#include "contracts/framework/norvexa.h"
#include "contracts/framework/showavi.h"
#include "screens/Cli_VQR51202/cli_vqr51202.h"
#include "screens/Cli_VQR51202/frm_copia_dados.h"
#include "screens/Cli_VQR51205/cli_vqr51205.h"
#include "screens/common/server_call.h"

namespace Cli_VQR51202 {

using namespace Pkg_VQR51200;

void TfrmCopiaDados::ShowFormula(const contracts::server::PacketAndText& formula) {
  cdsFatAjustPreClie->SetData(formula.packet);
  lblFormula->SetCaption(formula.text);
}

// The cost types are asked for again at every activation; the list of customers starts
// empty.
void TfrmCopiaDados::FormActivate(platform::TObject* Sender) {
  Frmrotgeral::TfrmRotiGeral::FormActivate(Sender);
  cbbTpCusto->Items = Lib00500::ListaTipoCusto(*session.netCustos, Lib00500::dtmCustProd);
  cbbTpCusto->SetItemIndex(cbbTpCusto->Items.empty() ? -1 : 0);
  EnableGroup();
  filter->Activate();
}

void TfrmCopiaDados::FormClose(platform::TObject* Sender, platform::TCloseAction& Action) {
  Frmrotgeral::TfrmRotiGeral::FormClose(Sender, Action);
}

// Values are left as they are: a mark of "Sobrescrever" survives a switch to the
// formula, which sends no replace flag anyway.
void TfrmCopiaDados::EnableGroup() {
  const bool prices = rbtPreco->Checked();
  Consiste::SetChildEnabled(*grbValidade, prices);
  Consiste::SetChildEnabled(*grbFormula, !prices);
  lblTipoCusto->SetEnabled(!prices);
  cbbTpCusto->SetEnabled(!prices);
  chkSubstituir->SetEnabled(prices);
  filter->PaintRange();
}

void TfrmCopiaDados::rbtFormulaClick(platform::TObject*) { EnableGroup(); }

void TfrmCopiaDados::rbtPrecoClick(platform::TObject*) { EnableGroup(); }

void TfrmCopiaDados::DepDataIniExit(platform::TObject*) { VdData(false); }

void TfrmCopiaDados::depDataFinExit(platform::TObject*) { VdData(false); }

// An open period (no dates, or only the initial one) is for the server to interpret.
void TfrmCopiaDados::VdData(bool fullCheck) {
  if (!rbtPreco->Checked()) return;
  for (Dateeditplus::TDateEditPlus* date : {DepDataIni, depDataFin}) {
    try {
      date->CheckValidDate();
    } catch (...) {
      date->SetFocus();
      throw;
    }
  }
  if (!fullCheck) return;
  const bool noStart = Consiste::EmptyString(DepDataIni->Text());
  const bool noEnd = Consiste::EmptyString(depDataFin->Text());
  if (noStart && !noEnd) {
    DepDataIni->SetFocus();
    msgPadrao->ReportError("DataIniDeve");
  }
  if (!noEnd && DepDataIni->GetDate().value > depDataFin->GetDate().value) {
    DepDataIni->SetFocus();
    msgPadrao->ReportError("DtFin<DtIni");
  }
}

// The formula copy sends neither the dates nor the replace flag; the price copy
// neither the cost type nor the registration number.
template <class FormulaMethod, class PriceMethod, class Call>
auto TfrmCopiaDados::CallCopyAs(std::string& allCustomers, std::string& replace, Call&& call) {
  const int levels = Norvexa::DBPictObj(Picture::ptProduto).GetTtNiveis();
  if (rbtFormula->Checked()) {
    const int costType = Lib00500::NumeroTipoCusto(cbbTpCusto->ItemIndex());
    return call.template operator()<FormulaMethod>(Norvexa::FiliProc(), Cliente.CdCliente, Cliente.NrInsJurClie,
                                                   levels, allCustomers, filter->List(), costType,
                                                   filter->FirstProduct(), filter->LastProduct());
  }
  return call.template operator()<PriceMethod>(Norvexa::FiliProc(), Cliente.CdCliente, levels, allCustomers,
                                               filter->List(), DepDataIni->Text(), depDataFin->Text(), replace,
                                               filter->FirstProduct(), filter->LastProduct());
}

contracts::server::RunReply TfrmCopiaDados::CallCopy(std::string& allCustomers, std::string& replace) {
  return CallCopyAs<contracts::server::SetCopiaDados, contracts::server::SetCopiaPreco>(
      allCustomers, replace, [this]<class M>(auto&&... args) {
        return ServerCallAfterPreview<M>(*session.netTabPreClie, Showavi::saGravacao, previewMark_,
                                         std::forward<decltype(args)>(args)...);
      });
}

void TfrmCopiaDados::CheckCopy(std::string& allCustomers, std::string& replace) {
  filter->VdListaClie();
  VdProdutos();
  replace = chkSubstituir->Checked() ? "S" : "N";
  allCustomers = filter->AllCustomersFlag();
  VdData(true);
}

// Every check comes before the question, and nothing is sent unless it is answered Yes.
// A failed copy leaves the screen open with everything entered, for another attempt.
void TfrmCopiaDados::sbtConfirmaClick(platform::TObject*) {
  std::string replace, allCustomers;
  CheckCopy(allCustomers, replace);
  const char* question = rbtFormula->Checked() ? "Conf_Copia_Form" : "Conf_Copia_Pre";
  if (msgPadrao->ShowMsg(question, platform::mtConfirmation, {platform::mbYes, platform::mbNo}, 0) != platform::mrYes)
    return;
  contracts::server::RunReply written;
  RunBehindWaitPanel(*panEspera, *anmAnimacao, [&] { written = CallCopy(allCustomers, replace); });
  platform::MessageDlg(msgPadrao->Msg("Copia_Ok"), platform::mtInformation, {platform::mbOK}, 0);
  Cli_VQR51205::MostraAlteradosDesdePrevia(written);
  session.boAtualizaPreco = true;
  Close();
}

void TfrmCopiaDados::sbtPreviaClick(platform::TObject*) {
  std::string replace, allCustomers;
  CheckCopy(allCustomers, replace);
  contracts::server::PreviewReply answer;
  RunBehindWaitPanel(*panEspera, *anmAnimacao, [&] {
    answer = CallCopyAs<contracts::server::GetPreviaCopiaDados, contracts::server::GetPreviaCopiaPreco>(
        allCustomers, replace, [this]<class M>(auto&&... args) {
          return ServerCall<M>(*session.netTabPreClie, Showavi::saPesquisa, std::forward<decltype(args)>(args)...);
        });
  });
  previewMark_ = answer.record.historyMark;
  Cli_VQR51205::MostraPrevia(answer,
                             rbtFormula->Checked() ? Cli_VQR51205::TTipoPrevia::tpCopiaFormula
                                                   : Cli_VQR51205::TTipoPrevia::tpCopiaPreco,
                             msgPadrao->Msg("@PrecoZerNeg"));
}

}  // namespace Cli_VQR51202
