#include "platform/ui/db_controls.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "platform/data/data_link.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/ui/dialogs.h"

namespace platform {

TDBText::TDBText(TComponent* owner) : TControl(owner), link_(std::make_unique<TDataLink>()) {
  SetBounds(0, 0, 65, 17);
}

TDBText::~TDBText() = default;

TDataSource* TDBText::DataSource() const { return link_->DataSource(); }
void TDBText::SetDataSource(TDataSource* source) { link_->SetDataSource(source); }

TField* TDBText::Field() const {
  TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
  return ds ? ds->FindField(DataField) : nullptr;
}

std::string TDBText::DisplayText() const {
  TField* f = Field();
  return f && !f->DataSet()->IsEmpty() ? f->DisplayText() : std::string();
}

void TDBText::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  std::string text = DisplayText();
  out["caption"] = text;
  out["text"] = text;
  out["dataField"] = DataField;
}

static const char* const kButtonNames[] = {"first", "prior", "next", "last", "insert",
                                           "delete", "edit", "post", "cancel", "refresh"};
static const char* const kDefaultHints[] = {"Primeiro", "Anterior", "Próximo", "Último", "Incluir",
                                            "Excluir",  "Alterar",  "Gravar",  "Cancelar", "Atualizar"};

TDBNavigator::TDBNavigator(TComponent* owner) : TWinControl(owner), link_(std::make_unique<TDataLink>()) {
  SetBounds(0, 0, 240, 25);
  SetTabStop(false);
}

TDBNavigator::~TDBNavigator() = default;

TDataSource* TDBNavigator::DataSource() const { return link_->DataSource(); }
void TDBNavigator::SetDataSource(TDataSource* source) { link_->SetDataSource(source); }
TDataSet* TDBNavigator::dataSet() const { return link_->Active() ? link_->DataSet() : nullptr; }

const char* TDBNavigator::ButtonName(TNavigateBtn button) noexcept {
  return kButtonNames[static_cast<int>(button)];
}

bool TDBNavigator::ButtonByName(const std::string& name, TNavigateBtn& button) noexcept {
  for (int i = 0; i < 10; ++i)
    if (name == kButtonNames[i]) {
      button = static_cast<TNavigateBtn>(i);
      return true;
    }
  return false;
}

bool TDBNavigator::ButtonEnabled(TNavigateBtn button) const {
  TDataSet* ds = dataSet();
  if (!ds || !EffectiveEnabled()) return false;
  if (std::find(VisibleButtons.begin(), VisibleButtons.end(), button) == VisibleButtons.end()) return false;
  bool editing = ds->IsEditing();
  bool modify = ds->CanModify() && !link_->ReadOnly();
  switch (button) {
    case nbFirst:
    case nbPrior: return !ds->IsEmpty() && ds->RecNo() > 1;
    case nbNext:
    case nbLast: return !ds->IsEmpty() && ds->RecNo() < ds->RecordCount();
    case nbInsert: return modify;
    case nbDelete: return modify && !ds->IsEmpty();
    case nbEdit: return modify && !editing && !ds->IsEmpty();
    case nbPost:
    case nbCancel: return modify && editing;
    case nbRefresh: return !editing;
  }
  return false;
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
  if (!ButtonEnabled(button)) return;
  TDataSet* ds = dataSet();
  switch (button) {
    case nbFirst: ds->First(); break;
    case nbPrior: ds->Prior(); break;
    case nbNext: ds->Next(); break;
    case nbLast: ds->Last(); break;
    case nbInsert: ds->Insert(); break;
    case nbDelete:
      if (ConfirmDelete && MessageDlg("Excluir o registro?", mtConfirmation, {mbYes, mbNo}, 0) != mrYes)
        return;
      ds->Delete();
      break;
    case nbEdit: ds->Edit(); break;
    case nbPost: ds->Post(); break;
    case nbCancel: ds->Cancel(); break;
    case nbRefresh:
      if (OnRefresh) OnRefresh(this);
      break;
  }
  if (OnNavClick) OnNavClick(this, button);
}

void TDBNavigator::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  nlohmann::json buttons = nlohmann::json::array();
  for (TNavigateBtn b : VisibleButtons) {
    auto i = static_cast<std::size_t>(b);
    buttons.push_back({{"name", ButtonName(b)},
                       {"enabled", ButtonEnabled(b)},
                       {"hint", i < Hints.size() && !Hints[i].empty() ? Hints[i] : kDefaultHints[i]}});
  }
  out["buttons"] = std::move(buttons);
}

}  // namespace platform
