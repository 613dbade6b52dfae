#include "contracts/framework/btnpesquisa.h"

#include <nlohmann/json.hpp>

#include "contracts/framework/pesquisa.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/ui/dialogs.h"

namespace Btnpesquisa {

TBtnPesquisa::TBtnPesquisa(platform::TComponent* owner) : platform::TControl(owner) {
  SetBounds(0, 0, 21, 21);
  SetHint("Pesquisar");
}

void TBtnPesquisa::Click() {
  if (!DataSource) {
    platform::TControl::Click();
    return;
  }
  Execute();
}

bool TBtnPesquisa::Execute() {
  bool proceed = true;
  if (OnBeforePesq) OnBeforePesq(this, proceed);
  if (!proceed) return false;
  platform::TDataSet* rows = DataSource->DataSet();
  if (!rows || !rows->Active() || rows->IsEmpty()) {
    platform::MessageDlg(EmptyError.empty() ? "Não há registros para pesquisar." : EmptyError, platform::mtInformation,
                         {platform::mbOK}, 0);
    return false;
  }
  if (!Pesquisa::Pesquisar(DataSource, Title + "|" + EmptyError, false, true)) return false;
  if (OnAfterPesq) OnAfterPesq(this);
  return true;
}

void TBtnPesquisa::WriteFields(nlohmann::json& out) const {
  platform::TControl::WriteFields(out);
  if (Associate) out["associate"] = Associate->Name();
}

}  // namespace Btnpesquisa
