// TfrmRelTabPreClie: the screen's codes, the filter in its report variant, the message
// catalog and the binding of the report runner's parameter event.
#include "screens/Cli_VQR51204/frm_rel_tab_pre_clie.h"

#include "screens/Cli_VQR51204/cli_vqr51204.h"
#include "screens/common/components.h"

namespace Cli_VQR51204 {

TfrmRelTabPreClie::TfrmRelTabPreClie(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session)
    : Dadosgerrel::TfrmDadosGerRel(owner), session(session) {
  Pkg_VQR51200::IdentifyScreen(*this, *lblCodTela, "frmRelTabPreClie", "Tabela de Preços por Cliente", "VQR51204",
                               463, 151);
  lblCodRel->SetCaption("VQR512");
  Pkg_VQR51200::TCliente& chosen = session.Cliente;  // on the price table screen, possibly none
  filter = std::make_unique<Pkg_VQR51200::TClieProdFilter>(
      *this, *grbDadosRel, session, *msgPadrao, stListaClie, *this,
      Pkg_VQR51200::TFilterSettings{.listCustomer = [&chosen]() -> std::string& { return chosen.CdCliente; },
                                    .maskRegistration = false,
                                    .tradeNameLabel = "Nome da Fantasia",
                                    .emptyListAtActivation = false,
                                    .rangeRequired = [] { return true; },
                                    .customerGroup = {5, 44, 129, 76},
                                    .productGroup = {136, 44, 321, 76},
                                    .nameEditWidth = 185});
  panRelat->SetTabOrder(0);
  filter->grbClieDest->SetTabOrder(1);
  filter->GroupBox2->SetTabOrder(2);
  FillCatalog();
  rpddPadrao->BeforeGetQueryParams = [this](platform::TParams& params, bool& ask) {
    rpddPadraoBeforeGetQueryParams(params, ask);
  };
}

// After the base's lines (Arq_Rel_Err, NovoCaption, NovoPrompt, VD_TRAD).
void TfrmRelTabPreClie::FillCatalog() {
  msgPadrao->Add("Cliente", "Cliente");
  msgPadrao->Add("Clie_Deve", "Cliente deve ser informado.");
  msgPadrao->Add("ProdFinDeve", "Produto final deve ser informado.");
  msgPadrao->Add("ProdIniDeve", "Produto inicial deve ser informado.");
  msgPadrao->Add("ProdIni>ProdFin", "Produto inicial deve ser menor ou igual ao Produto final.");
}

}  // namespace Cli_VQR51204
