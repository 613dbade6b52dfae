#include "contracts/framework/pesqlista.h"

#include <algorithm>
#include <memory>
#include <set>

#include "framework/search_dialog.h"
#include "platform/data/data_source.h"
#include "platform/data/database_error.h"
#include "platform/data/dataset.h"
#include "platform/text/ascii_text.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"

namespace Pesqlista {

namespace {

constexpr const char* kMarked = "S";
constexpr const char* kUnmarked = "N";

class ListDialog : public framework::SearchDialog {
 public:
  ListDialog(platform::TComponent* owner, const std::string& title, platform::TDataSource* source,
             const std::string& keyField, bool requireMark)
      : framework::SearchDialog(owner, "dlgPesquisaLista", title, source),
        key_(Rows().FieldByName(keyField)),
        mark_(*Rows().Fields().front()),
        requireMark_(requireMark) {
    btnMarcarTodos = AddButton("btnMarcarTodos", "Marcar todos", 8);
    btnMarcarTodos->OnClick = [this](platform::TObject*) { markAll(true); };
    btnDesmarcarTodos = AddButton("btnDesmarcarTodos", "Desmarcar todos", 116);
    btnDesmarcarTodos->OnClick = [this](platform::TObject*) { markAll(false); };
    dbgPesquisa->OnMarkRow = [this](platform::TDBGrid*, int row) { toggle(row); };
    dbgPesquisa->RowMarked = [this](int row) {
      return row >= 0 && static_cast<std::size_t>(row) < marks_.size() && marks_[static_cast<std::size_t>(row)];
    };
    dbgPesquisa->MarkedCount = [this] { return static_cast<int>(std::count(marks_.begin(), marks_.end(), true)); };
  }

  platform::TButton* btnMarcarTodos;
  platform::TButton* btnDesmarcarTodos;

  // Marks the rows listed or already marked; remembers the marks as they were.
  void Load(const std::vector<std::string>& listed) {
    const std::set<std::string> keys(listed.begin(), listed.end());
    platform::TDataSet& rows = Rows();
    const int count = rows.RecordCount();
    original_.assign(static_cast<std::size_t>(count), false);
    marks_.assign(static_cast<std::size_t>(count), false);
    std::vector<bool> wanted(static_cast<std::size_t>(count), false);
    for (int r = 0; r < count; ++r) {
      original_[static_cast<std::size_t>(r)] = rows.ValueAt(r + 1, mark_).toString() == kMarked;
      marks_[static_cast<std::size_t>(r)] = original_[static_cast<std::size_t>(r)];
      wanted[static_cast<std::size_t>(r)] =
          original_[static_cast<std::size_t>(r)] || keys.count(rows.ValueAt(r + 1, key_).toString()) > 0;
    }
    for (int r = 0; r < count; ++r) setMark(r, wanted[static_cast<std::size_t>(r)]);
  }

  // Puts every mark back as it was before the list opened.
  void Restore() {
    for (std::size_t r = 0; r < original_.size() && r < marks_.size(); ++r) setMark(static_cast<int>(r), original_[r]);
  }

  const std::string& Result() const { return result_; }

 protected:
  bool CanChoose() override {
    std::string list;
    bool any = false;
    for (std::size_t r = 0; r < marks_.size(); ++r) {
      if (!marks_[r]) continue;
      const std::string key = Rows().ValueAt(static_cast<int>(r) + 1, key_).toString();
      if (key.empty() || key.find(',') != std::string::npos)
        throw EListKey("O código \"" + key + "\" não pode fazer parte de uma lista de escolha.");
      if (any) list += ',';
      list += key;
      any = true;
    }
    if (requireMark_ && !any) {
      platform::MessageDlg("Marque ao menos um item da lista.", platform::mtInformation, {platform::mbOK}, 0);
      return false;
    }
    result_ = std::move(list);
    return true;
  }

  bool HandleGridChar(char32_t ch) override {
    if (ch != U' ') return false;
    const int row = Rows().RecNo() - 1;
    if (row >= 0) toggle(row);
    return true;
  }

 private:
  platform::TButton* AddButton(const std::string& name, const std::string& caption, int left) {
    auto* button = new platform::TButton(this);
    button->SetName(name);
    button->SetParent(this);
    button->SetCaption(caption);
    button->SetBounds(left, btnOK->Top(), 100, 25);
    return button;
  }

  void toggle(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= marks_.size()) return;
    setMark(row, !marks_[static_cast<std::size_t>(row)]);
  }

  void markAll(bool marked) {
    const int current = Rows().RecNo();
    for (std::size_t r = 0; r < marks_.size(); ++r) setMark(static_cast<int>(r), marked);
    if (current >= 1 && current <= Rows().RecordCount()) Rows().SetRecNo(current);
  }

  // Sets a row's mark, writing it into the mark field when the dataset allows.
  void setMark(int row, bool marked) {
    if (marks_[static_cast<std::size_t>(row)] == marked) return;
    marks_[static_cast<std::size_t>(row)] = marked;
    platform::TDataSet& rows = Rows();
    if (!rows.CanModify() || mark_.ReadOnly()) return;
    if (rows.RecNo() != row + 1) rows.SetRecNo(row + 1);
    rows.Edit();
    mark_.SetAsString(marked ? kMarked : kUnmarked);
    rows.Post();
  }

  platform::TField& key_;
  platform::TField& mark_;
  bool requireMark_;
  std::vector<bool> original_;
  std::vector<bool> marks_;
  std::string result_;
};

}  // namespace

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> keys;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    const std::string_view key = platform::TrimBlanks(std::string_view(list).substr(start, end - start));
    if (!key.empty()) keys.emplace_back(key);
    start = end + 1;
  }
  return keys;
}

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
  dialog->Load(SplitList(list));
  if (startRow >= 1 && startRow <= rows.RecordCount()) rows.SetRecNo(startRow);
  const bool chosen = dialog->Execute();
  if (chosen) {
    list = dialog->Result();
  } else {
    dialog->Restore();
    if (rows.Active() && startRow >= 1 && startRow <= rows.RecordCount()) rows.SetRecNo(startRow);
  }
  return chosen;
}

}  // namespace Pesqlista
