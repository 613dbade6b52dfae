#include "contracts/framework/lib00500.h"

#include "contracts/framework/consiste.h"
#include "contracts/framework/showavi.h"
#include "contracts/server/cust_prod_methods.h"

namespace Lib00500 {

namespace {

// Numbers of the cost types of the last list, in the list's order.
std::vector<int> lastNumbers;

TdtmCustProd sharedCustProd;

// The cost types of GetTipoCusto, under the wait animation.
contracts::server::PacketPtr FetchCostTypes(Netconnection::TNetConnection& netCustos) {
  Showavi::TShowAviScope wait(nullptr, Showavi::saPesquisa);
  return contracts::server::DecodeReplyOf<contracts::server::GetTipoCusto>(
      Consiste::CheckResultServ(netCustos.Call<contracts::server::GetTipoCusto>(), true, 0));
}

}  // namespace

TdtmCustProd* const dtmCustProd = &sharedCustProd;

TdtmCustProd::TdtmCustProd(platform::TComponent* owner)
    : platform::TComponent(owner), cdsTipoCusto(new platform::TClientDataSet(this)) {
  SetName("dtmCustProd");
  cdsTipoCusto->SetName("cdsTipoCusto");
}

std::vector<std::string> ListaTipoCusto(Netconnection::TNetConnection& netCustos, TdtmCustProd* dataModule) {
  const contracts::server::PacketPtr data = FetchCostTypes(netCustos);
  platform::TClientDataSet local;
  platform::TClientDataSet& rows = dataModule ? *dataModule->cdsTipoCusto : local;
  rows.SetData(data);
  platform::TField& number = rows.FieldByName("NRTIPOCUSTO");
  platform::TField& name = rows.FieldByName("NMTIPOCUSTO");
  std::vector<std::string> items;
  std::vector<int> numbers;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    items.push_back(name.AsString());
    numbers.push_back(static_cast<int>(number.AsInteger()));
  }
  rows.First();
  lastNumbers = std::move(numbers);
  return items;
}

int NumeroTipoCusto(int index) {
  if (index == -1) throw platform::Exception("Tipo de custo deve ser informado.");
  if (index < 0 || static_cast<std::size_t>(index) >= lastNumbers.size())
    throw platform::Exception("Tipo de custo inválido: não há o item " + std::to_string(index) + " na lista.");
  return lastNumbers[static_cast<std::size_t>(index)];
}

}  // namespace Lib00500
