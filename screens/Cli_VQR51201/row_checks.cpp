// TfrmFormCompPreco: choosing and checking a row's factor and order, the snapshot of
// the rows a new row is checked against, the new-row defaults, and the checks a row
// passes before it is posted. Each failed check puts the grid on the offending column
// and ends the running operation with the catalog text.
#include "contracts/framework/consiste.h"
#include "contracts/framework/pesquisa.h"
#include "screens/Cli_VQR51201/cli_vqr51201.h"
#include "screens/Cli_VQR51201/frm_form_comp_preco.h"

namespace Cli_VQR51201 {

void TfrmFormCompPreco::Report(const char* key) {
  msgPadrao->ReportError(key);
}

void TfrmFormCompPreco::OpenFactors(const std::string& all, const std::string& abbreviation) {
  qryFatAjustPreco->Close();
  qryFatAjustPreco->ParamByName("P_TCDFATPRECO").SetAsString(all);
  qryFatAjustPreco->ParamByName("P_SGFATPRECO").SetAsString(abbreviation);
  qryFatAjustPreco->Open();
}

// The ellipsis of the factor column lists every registered factor; the one chosen
// goes into the row (the duplicate check runs when the column is left or the row
// posted).
void TfrmFormCompPreco::dbgCompPreClieEditButtonClick(platform::TObject*) {
  if (dbgCompPreClie->SelectedField() != cdsFatAjustPreClieSGFATPRECO) return;
  OpenFactors("T", "");
  if (!Pesquisa::Pesquisar(dtsFatAjustPreco, msgPadrao->Msg("FatAjuPreco") + "|" + msgPadrao->Msg("FatAju_N_Cad"),
                           false, true))
    return;
  if (!Editing()) cdsFatAjustPreClie->Edit();
  cdsFatAjustPreClieSGFATPRECO->SetAsString(qryFatAjustPrecoSGFATPRECO->AsString());
  cdsFatAjustPreClieCDFATPRECO->SetAsString(qryFatAjustPrecoCDFATPRECO->AsString());
}

void TfrmFormCompPreco::dbgCompPreClieColExit(platform::TObject*) {
  const platform::TField* field = dbgCompPreClie->SelectedField();
  if (field == cdsFatAjustPreClieSGFATPRECO)
    Vd_FatorPreco(false);
  else if (field == cdsFatAjustPreClieNRORDEMFAT)
    Vd_Ordem(false);
}

void TfrmFormCompPreco::Vd_FatorPreco(bool informa) {
  if (!Editing()) return;
  if (Consiste::EmptyString(cdsFatAjustPreClieSGFATPRECO->AsString())) {
    if (!informa) return;
    cdsFatAjustPreClieSGFATPRECO->FocusControl();
    Report("FatAjPreco_Deve");
  }
  OpenFactors("", cdsFatAjustPreClieSGFATPRECO->AsString());
  if (qryFatAjustPreco->IsEmpty()) {
    cdsFatAjustPreClieSGFATPRECO->FocusControl();
    Report("FatAjPre_N_Cad");
  }
  const std::string factor = qryFatAjustPrecoSGFATPRECO->AsString();
  cdsFatAjustPreClieSGFATPRECO->SetAsString(factor);
  cdsFatAjustPreClieCDFATPRECO->SetAsString(qryFatAjustPrecoCDFATPRECO->AsString());
  if (Inserting() && cdsAuxiliar->Locate("SGFATPRECO", platform::Variant(factor), platform::loCaseInsensitive)) {
    cdsFatAjustPreClieSGFATPRECO->FocusControl();
    Report("FatAjPre_J_Cad");
  }
}

void TfrmFormCompPreco::Vd_Ordem(bool informa) {
  if (Consiste::EmptyString(cdsFatAjustPreClieNRORDEMFAT->AsString())) {
    if (!informa) return;
    cdsFatAjustPreClieNRORDEMFAT->FocusControl();
    Report("Ordem_Deve");
  }
  if (!Inserting()) return;
  const std::string order = Consiste::Ajusta(cdsFatAjustPreClieNRORDEMFAT->AsString(), 3);
  cdsFatAjustPreClieNRORDEMFAT->SetAsString(order);
  cdsAuxiliar->First();
  if (cdsAuxiliar->Locate("NRORDEMFAT", platform::Variant(order), platform::loCaseInsensitive)) {
    cdsFatAjustPreClieNRORDEMFAT->FocusControl();
    Report("Ordem_Cad");
  }
}

// The rows as they are before the new one, for the duplicate checks.
void TfrmFormCompPreco::cdsFatAjustPreClieBeforeInsert(platform::TDataSet&) {
  cdsAuxiliar->SetData(cdsFatAjustPreClie->Data());
}

void TfrmFormCompPreco::cdsFatAjustPreClieAfterInsert(platform::TDataSet&) {
  cdsFatAjustPreClieIDDETFATPRE->SetAsString("M");
  cdsFatAjustPreClieIDTPOPERFATCLIE->SetAsString("SUM");
  cdsFatAjustPreClieCDCLIENTE->SetAsString(Cliente.CdCliente);
}

void TfrmFormCompPreco::cdsFatAjustPreClieBeforePost(platform::TDataSet&) {
  Vd_Ordem(true);
  Vd_FatorPreco(true);
  if (Consiste::EmptyString(cdsFatAjustPreClieVRFATPRECLIE->Text())) {
    cdsFatAjustPreClieVRFATPRECLIE->FocusControl();
    Report("Valor_Deve");
  }
  if (cdsFatAjustPreClieVRFATPRECLIE->AsFloat() <= 0) {
    cdsFatAjustPreClieVRFATPRECLIE->FocusControl();
    Report("Valor_>_zero");
  }
}

}  // namespace Cli_VQR51201
