// Consiste's helpers that act on the screen: the error box with its silent abort,
// enabling a container's contents and the text being typed in a grid cell.
#include "contracts/framework/consiste.h"
#include "platform/data/dataset.h"
#include "platform/data/field_names.h"
#include "platform/ui/control.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"

namespace Consiste {

void MensErro(const std::string& text, bool abort) {
  platform::MessageDlg(text, platform::mtError, {platform::mbOK}, 0);
  if (abort) platform::Abort();
}

void SetChildEnabled(platform::TControl& container, bool enabled) {
  for (platform::TControl* child : container.Controls()) {
    child->SetEnabled(enabled);
    SetChildEnabled(*child, enabled);
  }
}

}  // namespace Consiste

namespace Consiste {

std::string GridText(const platform::TDBGrid& grid, const std::string& fieldName, bool displayText) {
  platform::TField* selected = grid.SelectedField();
  if (grid.EditorMode() && selected && platform::SameFieldName(selected->FieldName(), fieldName))
    return grid.EditorText();
  platform::TDataSet* rows = grid.DataSet();
  if (!rows || !rows->Active()) return "";
  platform::TField& field = rows->FieldByName(fieldName);
  return displayText ? field.DisplayText() : field.Text();
}

}  // namespace Consiste
