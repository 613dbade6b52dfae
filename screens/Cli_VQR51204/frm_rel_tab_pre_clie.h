#pragma once
// TfrmRelTabPreClie: prints the customers' special prices ("Tabela de Preços por
// Cliente") for all customers or a chosen list and a range of products; shown modally
// from the price table screen, with or without a customer chosen there.
//
// A report screen (TfrmDadosGerRel) of report code "VQR512": the base lists that
// code's reports and runs the chosen one. The screen adds the filter (filter, a
// TClieProdFilter; its controls are reached through it) side by side under the list:
// grbClieDest at the left, GroupBox2 at the right. Its customer list search asks the
// server through the module session's connection, for the customer the price table
// screen chose (the session's Cliente, possibly empty), and shows registration
// numbers as stored.
//
// Before a report fetches its data, rpddPadraoBeforeGetQueryParams checks the filter
// ("Lista" needs a list, then the product range) and fills the parameters the report
// declares among P_CDARVPRODINI, P_CDARVPRODFIN, P_LISTACLIENTES and P_TCDCLIENTES; a
// failed check shows its catalog text with the focus on the control concerned and
// stops the run. The chosen list is the unit's stListaClie, which outlives the screen.
#include <memory>
#include <string>

#include "contracts/framework/dadosgerrel.h"
#include "platform/data/params.h"
#include "screens/common/clie_prod_filter.h"
#include "screens/common/module_session.h"

namespace Cli_VQR51204 {

class TfrmRelTabPreClie : public Dadosgerrel::TfrmDadosGerRel, public Pkg_VQR51200::TClieProdFilterHandlers {
 public:
  TfrmRelTabPreClie(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session);

  Pkg_VQR51200::TModuleSession& session;

  // --- the screen's life ---
  void FormClose(platform::TObject* Sender, platform::TCloseAction& Action) override;

  // --- the filter (its handlers inherited) ---
  void FormActivate(platform::TObject* Sender) override;

  // --- the report's parameters ---
  void rpddPadraoBeforeGetQueryParams(platform::TParams& Params, bool& AskMissing);

 private:
  void FillCatalog();
};

}  // namespace Cli_VQR51204
