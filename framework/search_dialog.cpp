#include "framework/search_dialog.h"

#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/text/text_fold.h"
#include "platform/ui/screen.h"

namespace framework {

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 380;

bool IsSearchChar(char32_t ch) { return ch >= 32 && ch != 127; }

}  // namespace

SearchTitles SplitSearchTitles(const std::string& text) {
  const std::size_t bar = text.find('|');
  if (bar == std::string::npos) return {text, "Não há registros para pesquisar."};
  return {text.substr(0, bar), text.substr(bar + 1)};
}

SearchDialog::SearchDialog(platform::TComponent* owner, const std::string& name, const std::string& title,
                           platform::TDataSource* source)
    : platform::TForm(owner), source_(source) {
  SetName(name);
  SetWindowKind("search");
  SetCaption(title.empty() ? "Pesquisa" : title);
  SetBorderStyle(platform::bsDialog);
  // The sizes are of the client area, so the buttons at its foot are never cut by the title bar.
  SetClientWidth(kWidth);
  SetClientHeight(kHeight);
  SetBounds((platform::Screen().Width() - Width()) / 2, (platform::Screen().Height() - Height()) / 2, Width(),
            Height());

  dbgPesquisa = new platform::TDBGrid(this);
  dbgPesquisa->SetName("dbgPesquisa");
  dbgPesquisa->SetParent(this);
  dbgPesquisa->SetBounds(8, 8, kWidth - 16, kHeight - 56);
  dbgPesquisa->Options = {platform::dgTitles, platform::dgColLines, platform::dgRowLines, platform::dgRowSelect,
                          platform::dgAlwaysShowSelection};
  dbgPesquisa->ReadOnly = true;
  dbgPesquisa->SetDataSource(source);
  dbgPesquisa->OnKeyDown = [this](platform::TObject*, std::uint16_t& key, platform::TShiftState shift) {
    if (key == platform::VK_RETURN && shift.Empty()) {
      key = 0;
      choose();
    } else if (key == platform::VK_ESCAPE) {
      key = 0;
      SetModalResult(platform::mrCancel);
    } else if (key == platform::VK_BACK) {
      key = 0;
      if (!typed_.empty()) {
        typed_.pop_back();
        searchAgain();
      }
    } else if (key >= platform::VK_PRIOR && key <= platform::VK_DOWN) {
      typed_.clear();
    }
  };
  dbgPesquisa->OnKeyPress = [this](platform::TObject*, char32_t& ch) {
    const char32_t typed = ch;
    ch = 0;
    if (HandleGridChar(typed) || !IsSearchChar(typed)) return;
    searchTyped(typed);
  };
  dbgPesquisa->OnColEnter = [this](platform::TObject*) { typed_.clear(); };

  btnOK = new platform::TButton(this);
  btnOK->SetName("btnOK");
  btnOK->SetParent(this);
  btnOK->SetCaption("OK");
  btnOK->SetBounds(kWidth - 174, kHeight - 40, 75, 25);
  btnOK->Default = true;
  btnOK->OnClick = [this](platform::TObject*) { choose(); };

  btnCancel = new platform::TButton(this);
  btnCancel->SetName("btnCancel");
  btnCancel->SetParent(this);
  btnCancel->SetCaption("Cancelar");
  btnCancel->SetBounds(kWidth - 91, kHeight - 40, 75, 25);
  btnCancel->Cancel = true;
  btnCancel->ModalResult = platform::mrCancel;

  SetActiveControl(dbgPesquisa);
}

platform::TDataSet& SearchDialog::Rows() const { return *source_->DataSet(); }

bool SearchDialog::Execute() { return ShowModal() == platform::mrOk; }

void SearchDialog::choose() {
  if (CanChoose()) SetModalResult(platform::mrOk);
}

void SearchDialog::searchTyped(char32_t ch) {
  typed_ += platform::Utf8Encode(ch);
  if (searchAgain()) return;
  // Nothing begins with the whole text: start over from this character.
  typed_ = platform::Utf8Encode(ch);
  searchAgain();
}

// The selected column's texts are folded once, at its first search, so each typed
// character is one pass of prefix comparisons however long the list is.
bool SearchDialog::searchAgain() {
  platform::TField* field = dbgPesquisa->SelectedField();
  if (!field || field->DataType() != platform::FieldType::String || typed_.empty()) return false;
  platform::TDataSet& rows = Rows();
  if (foldedField_ != field || static_cast<int>(folded_.size()) != rows.RecordCount()) {
    folded_.clear();
    for (int r = 1; r <= rows.RecordCount(); ++r) {
      const platform::Variant value = rows.ValueAt(r, *field);
      folded_.push_back(value.isBlank() ? std::string() : platform::FoldForCompare(value.toString()));
    }
    foldedField_ = field;
  }
  const std::string wanted = platform::FoldForCompare(typed_);
  for (std::size_t r = 0; r < folded_.size(); ++r) {
    if (!folded_[r].starts_with(wanted)) continue;
    rows.SetRecNo(static_cast<int>(r) + 1);
    return true;
  }
  return false;
}

}  // namespace framework
