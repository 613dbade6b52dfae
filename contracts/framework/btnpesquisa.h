#pragma once
// Btnpesquisa: TBtnPesquisa, the search button beside an edit (snapshot kind
// "searchbutton"; hint "Pesquisar" by default). It never takes the focus, so pressing
// it runs no exit handler of the edit it serves.
//
// With a DataSource, a click runs the search:
//   1. OnBeforePesq(Sender, Continue): the screen fills the dataset; Continue starts
//      true and, set false, ends the search there;
//   2. no rows: the EmptyError text in an information box, and nothing more;
//   3. the single-choice list (Pesquisa::Pesquisar) titled Title;
//   4. a row chosen: OnAfterPesq(Sender), with the dataset on that row, so the screen
//      copies it into its edits. A cancelled list calls nothing more.
// Without a DataSource a click only runs OnClick.
// Associate is the control the button serves (its edit, or the radio button of a
// customer list); the snapshot names it as "associate", and the toolkit's search key
// (Alt+Down) in that control clicks the button.
#include <functional>
#include <string>

#include "platform/ui/control.h"

namespace platform {
class TDataSource;
}

namespace Btnpesquisa {

class TBtnPesquisa : public platform::TControl {
 public:
  using TBeforePesqEvent = std::function<void(platform::TObject* Sender, bool& Continue)>;

  explicit TBtnPesquisa(platform::TComponent* owner);
  const char* Kind() const override { return "searchbutton"; }

  platform::TControl* Associate = nullptr;
  std::string Title;
  platform::TDataSource* DataSource = nullptr;
  std::string EmptyError;
  TBeforePesqEvent OnBeforePesq;
  platform::TNotifyEvent OnAfterPesq;

  void Click() override;
  platform::TControl* ServedControl() const noexcept override { return Associate; }
  // The search of a click with a DataSource; true when a row was chosen.
  bool Execute();

 protected:
  void WriteFields(nlohmann::json& out) const override;
};

}  // namespace Btnpesquisa
