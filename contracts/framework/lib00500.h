#pragma once
// Lib00500: the cost types of the costs data module (rdmCustProd) for a combo box.
//
//   cbbTpCusto->Items = Lib00500::ListaTipoCusto(*netCustos, nullptr);
//   cbbTpCusto->SetItemIndex(0);
//   ... Lib00500::NumeroTipoCusto(cbbTpCusto->ItemIndex())   // the number for the server
//
// ListaTipoCusto calls rdmCustProd.GetTipoCusto through the given connection (which
// must name "cus.rdmCustProd"; it connects when closed), under a scoped wait animation
// of the search kind (an outer animation gets its own kind back afterwards), and returns the cost type names (NMTIPOCUSTO) in number order. It
// remembers the numbers (NRTIPOCUSTO) of that list for NumeroTipoCusto. With a costs
// data module the rows are also kept in its cdsTipoCusto (open after the call); with
// nullptr they are not kept. A failed call raises and leaves the remembered list as it
// was.
//
// NumeroTipoCusto(index) gives the number of the item at `index` of the last list.
// Index -1 (no item chosen, as with an empty list) raises platform::Exception
// "Tipo de custo deve ser informado."; any other index outside the list raises too.
// Nothing is ever sent to the server for a cost type that was not chosen.
#include <string>
#include <vector>

#include "contracts/framework/netconnection.h"
#include "platform/core/component.h"
#include "platform/data/client_dataset.h"

namespace Lib00500 {

class TdtmCustProd : public platform::TComponent {
 public:
  explicit TdtmCustProd(platform::TComponent* owner = nullptr);
  // NRTIPOCUSTO, NMTIPOCUSTO of the last list loaded through this module.
  platform::TClientDataSet* cdsTipoCusto;
};

// The costs data module the copy screen hands to ListaTipoCusto.
extern TdtmCustProd* const dtmCustProd;

std::vector<std::string> ListaTipoCusto(Netconnection::TNetConnection& netCustos, TdtmCustProd* dataModule);

int NumeroTipoCusto(int index);

}  // namespace Lib00500
