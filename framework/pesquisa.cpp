#include "contracts/framework/pesquisa.h"

#include <memory>

#include "framework/search_dialog.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/data/database_error.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"

namespace Pesquisa {

bool Pesquisar(platform::TDataSource* source, const std::string& titles, bool autoChoose, bool showEmpty) {
  if (!source || !source->DataSet()) throw platform::EDatabaseError("Pesquisa sem dados: informe a origem dos dados.");
  platform::TDataSet& rows = *source->DataSet();
  const framework::SearchTitles text = framework::SplitSearchTitles(titles);
  if (!rows.Active() || rows.IsEmpty()) {
    if (showEmpty) platform::MessageDlg(text.emptyText, platform::mtInformation, {platform::mbOK}, 0);
    return false;
  }
  if (autoChoose && rows.RecordCount() == 1) {
    rows.First();
    return true;
  }
  rows.CheckBrowseMode();
  const int startRow = rows.RecNo();
  std::unique_ptr<framework::SearchDialog> dialog(
      platform::NewForm<framework::SearchDialog>(&platform::Application(), "dlgPesquisa", text.title, source));
  const bool chosen = dialog->Execute();
  dialog.reset();
  if (!chosen && rows.Active() && startRow >= 1 && startRow <= rows.RecordCount() && rows.RecNo() != startRow)
    rows.SetRecNo(startRow);
  return chosen;
}

}  // namespace Pesquisa
