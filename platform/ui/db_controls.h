#pragma once
// Small data-aware controls.
//
// TDBText shows the display text of one field of the current record (DataSource +
// DataField), read when the screen is drawn.
//
// TDBNavigator: the record buttons (first, prior, next, last, insert, delete, edit,
// post, cancel, refresh) over a data source. A button is enabled when its action makes
// sense in the dataset's state (no moving past the ends, post and cancel only while
// editing...). Delete asks for confirmation when ConfirmDelete is on. BtnClick runs
// the action, then OnClick-like OnNavClick.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace platform {

class TDataLink;
class TDataSource;
class TDataSet;
class TField;

class TDBText : public TControl {
 public:
  explicit TDBText(TComponent* owner);
  ~TDBText() override;
  const char* Kind() const override { return "dbtext"; }
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* source);
  std::string DataField;
  TField* Field() const;
  // The field's display text on the current record ("" when none).
  std::string DisplayText() const;

 protected:
  void WriteFields(nlohmann::json& out) const override;

 private:
  std::unique_ptr<TDataLink> link_;
};

enum class TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
using enum TNavigateBtn;

class TDBNavigator : public TWinControl {
 public:
  explicit TDBNavigator(TComponent* owner);
  ~TDBNavigator() override;
  const char* Kind() const override { return "dbnavigator"; }
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* source);

  std::vector<TNavigateBtn> VisibleButtons = {nbFirst, nbPrior, nbNext, nbLast, nbInsert,
                                              nbDelete, nbEdit, nbPost, nbCancel, nbRefresh};
  // One per button in the order above; a missing or empty one is the button's default
  // hint ("Primeiro", "Anterior", "Próximo", "Último", "Incluir", "Excluir", "Alterar",
  // "Gravar", "Cancelar", "Atualizar"), so every button tells what it does.
  std::vector<std::string> Hints;
  bool ConfirmDelete = true;
  std::function<void(TObject* Sender, TNavigateBtn Button)> OnNavClick;
  // Runs before the refresh button's default (which re-reads nothing by itself).
  TNotifyEvent OnRefresh;

  bool ButtonEnabled(TNavigateBtn button) const;
  void BtnClick(TNavigateBtn button);
  static const char* ButtonName(TNavigateBtn button) noexcept;
  // The button of that name ("first", "prior", ...), or false.
  static bool ButtonByName(const std::string& name, TNavigateBtn& button) noexcept;

 protected:
  void WriteFields(nlohmann::json& out) const override;

 private:
  TDataSet* dataSet() const;
  std::unique_ptr<TDataLink> link_;
};

}  // namespace platform
