#include "contracts/framework/pesqlista.h"

#include <memory>
#include <set>

#include "contracts/server/customer_list.h"
#include "framework/search_dialog.h"
#include "platform/data/data_source.h"
#include "platform/data/database_error.h"
#include "platform/data/dataset.h"
#include "platform/text/float_format.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/std_controls.h"

namespace Pesqlista {

namespace {

constexpr const char* kMarked = "S";
constexpr const char* kUnmarked = "N";

// The marks live in the dialog while it is open and reach the dataset's mark field
// only when the person chooses, in one pass, so marking, marking all and cancelling
// cost the same for 10 rows and for 100,000.
class ListDialog : public framework::SearchDialog {
 public:
  ListDialog(platform::TComponent* owner, const std::string& title, platform::TDataSource* source,
             const std::string& keyField, bool requireMark)
      : framework::SearchDialog(owner, "dlgPesquisaLista", title, source),
        key_(Rows().FieldByName(keyField)),
        mark_(*Rows().Fields().front()),
        requireMark_(requireMark) {
    ShowFieldsButTheMark();
    SearchColumnChanged();
    btnMarcarTodos = AddBottomButton("btnMarcarTodos", "Marcar todos", 8, 100);
    btnMarcarTodos->OnClick = [this](platform::TObject*) { markAll(true); };
    btnDesmarcarTodos = AddBottomButton("btnDesmarcarTodos", "Desmarcar todos", 116, 100);
    btnDesmarcarTodos->OnClick = [this](platform::TObject*) { markAll(false); };
    lblMarcados = new platform::TLabel(this);
    lblMarcados->SetName("lblMarcados");
    lblMarcados->SetParent(this);
    lblMarcados->SetBounds(224, btnOK->Top() + 6, 150, 13);
    dbgPesquisa->OnMarkRow = [this](platform::TDBGrid*, int row) { toggle(row); };
    dbgPesquisa->RowMarked = [this](int row) { return row >= 0 && row < count() && marks_[Index(row)]; };
    dbgPesquisa->MarkedCount = [this] { return marked_; };
  }

  platform::TButton* btnMarcarTodos;
  platform::TButton* btnDesmarcarTodos;
  platform::TLabel* lblMarcados;

  // Marks the rows listed or already marked.
  void Load(const std::vector<std::string>& listed) {
    const std::set<std::string> keys(listed.begin(), listed.end());
    platform::TDataSet& rows = Rows();
    marks_.assign(static_cast<std::size_t>(rows.RecordCount()), false);
    marked_ = 0;
    for (int r = 0; r < count(); ++r) {
      const bool marked = rows.ValueAt(r + 1, mark_).toString() == kMarked ||
                          (!keys.empty() && keys.count(rows.ValueAt(r + 1, key_).toString()) > 0);
      marks_[Index(r)] = marked;
      marked_ += marked ? 1 : 0;
    }
    showCount();
  }

  // Writes the marks chosen into the mark field, when the dataset allows it.
  void StoreMarks() {
    platform::TDataSet& rows = Rows();
    if (!rows.CanModify() || mark_.ReadOnly()) return;
    const int current = rows.RecNo();
    rows.DisableControls();
    try {
      for (int r = 0; r < count(); ++r) {
        const char* wanted = marks_[Index(r)] ? kMarked : kUnmarked;
        if (rows.ValueAt(r + 1, mark_).toString() == wanted) continue;
        rows.SetRecNo(r + 1);
        rows.Edit();
        mark_.SetAsString(wanted);
        rows.Post();
      }
      if (current >= 1 && current <= rows.RecordCount()) rows.SetRecNo(current);
    } catch (...) {
      rows.EnableControls();
      throw;
    }
    rows.EnableControls();
  }

  const std::string& Result() const { return result_; }

 protected:
  bool CanChoose() override {
    std::vector<std::string> keys;
    for (int r = 0; r < count(); ++r)
      if (marks_[Index(r)]) keys.push_back(Rows().ValueAt(r + 1, key_).toString());
    std::string list = contracts::server::EncodeCustomerList(keys);
    if (requireMark_ && marked_ == 0) {
      platform::MessageDlg("Marque ao menos um item da lista.", platform::mtInformation, {platform::mbOK}, 0);
      return false;
    }
    result_ = std::move(list);
    return true;
  }

  bool HandleGridChar(char32_t ch) override {
    if (ch != U' ') return false;
    toggle(Rows().RecNo() - 1);
    return true;
  }

 private:
  static std::size_t Index(int row) { return static_cast<std::size_t>(row); }
  int count() const { return static_cast<int>(marks_.size()); }

  // The grid shows every visible field but the mark, which its own mark column shows.
  void ShowFieldsButTheMark() {
    for (platform::TField* field : Rows().Fields()) {
      if (field == &mark_ || !field->Visible()) continue;
      dbgPesquisa->Columns.Add().FieldName = field->FieldName();
    }
  }

  void toggle(int row) {
    if (row < 0 || row >= count()) return;
    const bool marked = !marks_[Index(row)];
    marks_[Index(row)] = marked;
    marked_ += marked ? 1 : -1;
    showCount();
  }

  void markAll(bool marked) {
    marks_.assign(marks_.size(), marked);
    marked_ = marked ? count() : 0;
    showCount();
  }

  void showCount() {
    lblMarcados->SetCaption("Marcados: " + platform::FormatFloat("#,##0", marked_) + " de " +
                            platform::FormatFloat("#,##0", count()));
  }

  platform::TField& key_;
  platform::TField& mark_;
  bool requireMark_;
  std::vector<bool> marks_;
  int marked_ = 0;
  std::string result_;
};

}  // namespace

bool PesquisaLista(platform::TDataSource* source, const std::string& keyField, const std::string& title,
                   bool requireMark, std::string& list) {
  if (!source || !source->DataSet()) throw platform::EDatabaseError("Lista sem dados: informe a origem dos dados.");
  platform::TDataSet& rows = *source->DataSet();
  if (!rows.Active() || rows.IsEmpty()) {
    platform::MessageDlg("Não há registros para escolher.", platform::mtInformation, {platform::mbOK}, 0);
    return false;
  }
  if (rows.FieldCount() == 0 || rows.Fields().front()->DataType() != platform::FieldType::String)
    throw platform::EDatabaseError("Lista de escolha: o primeiro campo deve ser a marca (S/N).");
  rows.CheckBrowseMode();
  const int startRow = rows.RecNo();
  std::unique_ptr<ListDialog> dialog(
      platform::NewForm<ListDialog>(&platform::Application(), title, source, keyField, requireMark));
  dialog->Load(contracts::server::DecodeCustomerList(list));
  if (startRow >= 1 && startRow <= rows.RecordCount()) rows.SetRecNo(startRow);
  const bool chosen = dialog->Execute();
  if (chosen) {
    dialog->StoreMarks();
    list = dialog->Result();
  } else if (rows.Active() && startRow >= 1 && startRow <= rows.RecordCount()) {
    rows.SetRecNo(startRow);
  }
  return chosen;
}

}  // namespace Pesqlista
