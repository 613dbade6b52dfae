#include "framework/search_dialog.h"

#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/text/text_fold.h"
#include "platform/text/utf8.h"
#include "platform/ui/screen.h"

namespace framework {

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 380;
constexpr int kMargin = 8;
constexpr int kBoxTop = 24;     // the search box, under its label
constexpr int kGridTop = 53;
constexpr int kButtonHeight = 25;
constexpr int kButtonWidth = 75;
constexpr int kButtonBand = kButtonHeight + 2 * kMargin;

bool IsSearchChar(char32_t ch) { return ch >= 32 && ch != 127; }

// ASCII and Latin-1 letters, the letters of the names listed.
bool IsLetter(char32_t ch) {
  return (ch >= U'a' && ch <= U'z') || (ch >= U'A' && ch <= U'Z') || (ch >= 0xC0 && ch <= 0xFF && ch != 0xD7 && ch != 0xF7);
}

bool HasLetter(std::string_view text) {
  for (std::size_t pos = 0, len = 0; pos < text.size(); pos += len)
    if (IsLetter(platform::utf8::Decode(text, pos, len))) return true;
  return false;
}

std::string DigitsOf(std::string_view text) {
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9') digits += c;
  return digits;
}

// Takes the last character (not the last byte) off a UTF-8 text.
void dropLastCharacter(std::string& text) {
  std::size_t last = 0;
  for (std::size_t pos = 0, len = 0; pos < text.size(); pos += len) {
    last = pos;
    platform::utf8::Decode(text, pos, len);
  }
  text.resize(last);
}

// A caption shows "&" as an accelerator mark; a column title is shown as it is.
std::string LiteralCaption(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}

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
  SetBounds((platform::Screen().Width() - kWidth) / 2, (platform::Screen().Height() - kHeight) / 2, kWidth, kHeight);
  buildSearchBox();
  buildGrid(source);
  buildButtons();
  SearchColumnChanged();
  SetActiveControl(dbgPesquisa);
}

void SearchDialog::buildSearchBox() {
  lblPesquisa = new platform::TLabel(this);
  lblPesquisa->SetName("lblPesquisa");
  lblPesquisa->SetParent(this);
  lblPesquisa->SetBounds(kMargin, kMargin, ClientWidth() - 2 * kMargin, 13);
  edtPesquisa = new platform::TEdit(this);
  edtPesquisa->SetName("edtPesquisa");
  edtPesquisa->SetParent(this);
  edtPesquisa->SetBounds(kMargin, kBoxTop, ClientWidth() - 2 * kMargin, 21);
  lblPesquisa->FocusControl = edtPesquisa;
  edtPesquisa->OnChange = [this](platform::TObject*) {
    if (showingTyped_) return;
    typed_ = edtPesquisa->Text();
    searchAgain();
  };
  edtPesquisa->OnKeyDown = [this](platform::TObject*, std::uint16_t& key, platform::TShiftState) {
    moveFromSearchBox(key);
  };
}

void SearchDialog::buildGrid(platform::TDataSource* source) {
  dbgPesquisa = new platform::TDBGrid(this);
  dbgPesquisa->SetName("dbgPesquisa");
  dbgPesquisa->SetParent(this);
  dbgPesquisa->SetBounds(kMargin, kGridTop, ClientWidth() - 2 * kMargin, ClientHeight() - kGridTop - kButtonBand);
  dbgPesquisa->Options = {platform::dgTitles,    platform::dgColLines,           platform::dgRowLines,
                          platform::dgRowSelect, platform::dgAlwaysShowSelection, platform::dgColumnResize};
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
        dropLastCharacter(typed_);
        showTyped();
        searchAgain();
      }
    } else if (key >= platform::VK_PRIOR && key <= platform::VK_DOWN) {
      typed_.clear();
      showTyped();
    }
  };
  dbgPesquisa->OnKeyPress = [this](platform::TObject*, char32_t& ch) {
    const char32_t typed = ch;
    ch = 0;
    if (HandleGridChar(typed) || !IsSearchChar(typed)) return;
    searchTyped(typed);
  };
  dbgPesquisa->OnColEnter = [this](platform::TObject*) { SearchColumnChanged(); };
  dbgPesquisa->OnTitleClick = [](platform::TDBGrid* grid, int column) { grid->SetSelectedIndex(column); };
}

void SearchDialog::buildButtons() {
  btnOK = AddBottomButton("btnOK", "OK", ClientWidth() - 2 * (kButtonWidth + kMargin), kButtonWidth);
  btnOK->Default = true;
  btnOK->OnClick = [this](platform::TObject*) { choose(); };
  btnCancel = AddBottomButton("btnCancel", "Cancelar", ClientWidth() - kButtonWidth - kMargin, kButtonWidth);
  btnCancel->Cancel = true;
  btnCancel->ModalResult = platform::mrCancel;
}

platform::TButton* SearchDialog::AddBottomButton(const std::string& name, const std::string& caption, int left,
                                                 int width) {
  auto* button = new platform::TButton(this);
  button->SetName(name);
  button->SetParent(this);
  button->SetCaption(caption);
  button->SetBounds(left, ClientHeight() - kMargin - kButtonHeight, width, kButtonHeight);
  return button;
}

platform::TDataSet& SearchDialog::Rows() const { return *source_->DataSet(); }

bool SearchDialog::Execute() { return ShowModal() == platform::mrOk; }

void SearchDialog::choose() {
  if (CanChoose()) SetModalResult(platform::mrOk);
}

void SearchDialog::searchTyped(char32_t ch) {
  if (IsLetter(ch) && NumberColumn(dbgPesquisa->SelectedField()) && switchToNameColumn()) {
    typed_ = platform::Utf8Encode(ch);
    searchAgain();
    showTyped();
    return;
  }
  typed_ += platform::Utf8Encode(ch);
  if (!searchAgain()) {
    // Nothing begins with the whole text: start over from this character.
    typed_ = platform::Utf8Encode(ch);
    searchAgain();
  }
  showTyped();
}

// A column of numbers holds no letter in any row: registration numbers, codes.
bool SearchDialog::NumberColumn(const platform::TField* field) const {
  if (!field || field->DataType() != platform::FieldType::String) return false;
  if (field == foldedField_) return numberColumn_;
  const platform::TDataSet& rows = Rows();
  for (int r = 1; r <= rows.RecordCount(); ++r) {
    const platform::Variant value = rows.ValueAt(r, *field);
    if (!value.isBlank() && HasLetter(value.toString())) return false;
  }
  return true;
}

// A letter typed in a column of numbers searches the first column of texts instead.
bool SearchDialog::switchToNameColumn() {
  const int current = dbgPesquisa->SelectedIndex();
  for (int c = 0; c < dbgPesquisa->ColumnCount(); ++c) {
    if (c == current) continue;
    dbgPesquisa->SetSelectedIndex(c);
    platform::TField* field = dbgPesquisa->SelectedField();
    if (field && field->DataType() == platform::FieldType::String && !NumberColumn(field)) return true;
  }
  dbgPesquisa->SetSelectedIndex(current);
  return false;
}

// The selected column's texts are folded once, at its first search, so each typed
// character is one pass of prefix comparisons however long the list is. In a column
// of numbers only digits count, on both sides, so a number typed with its mask's
// points and dashes finds the stored digits.
bool SearchDialog::searchAgain() {
  platform::TField* field = dbgPesquisa->SelectedField();
  if (!field || field->DataType() != platform::FieldType::String || typed_.empty()) return false;
  platform::TDataSet& rows = Rows();
  if (foldedField_ != field || static_cast<int>(folded_.size()) != rows.RecordCount()) {
    numberColumn_ = NumberColumn(field);
    folded_.clear();
    for (int r = 1; r <= rows.RecordCount(); ++r) {
      const platform::Variant value = rows.ValueAt(r, *field);
      const std::string text = value.isBlank() ? std::string() : value.toString();
      folded_.push_back(numberColumn_ ? DigitsOf(text) : platform::FoldForCompare(text));
    }
    foldedField_ = field;
  }
  const std::string wanted = numberColumn_ ? DigitsOf(typed_) : platform::FoldForCompare(typed_);
  if (wanted.empty()) return true;  // only the mask's points so far: the row stays
  for (std::size_t r = 0; r < folded_.size(); ++r) {
    if (!folded_[r].starts_with(wanted)) continue;
    rows.SetRecNo(static_cast<int>(r) + 1);
    return true;
  }
  return false;
}

// The search box shows what was typed in the grid, without searching again.
void SearchDialog::showTyped() {
  showingTyped_ = true;
  edtPesquisa->SetText(typed_);
  showingTyped_ = false;
}

void SearchDialog::SearchColumnChanged() {
  typed_.clear();
  showTyped();
  platform::TField* field = dbgPesquisa->SelectedField();
  const std::string title = field ? field->DisplayLabel() : std::string();
  lblPesquisa->SetCaption("Pesquisar por " + LiteralCaption(title) + ":");
}

void SearchDialog::moveFromSearchBox(std::uint16_t& key) {
  const int page = dbgPesquisa->VisibleRowCount();
  int step = 0;
  switch (key) {
    case platform::VK_UP: step = -1; break;
    case platform::VK_DOWN: step = 1; break;
    case platform::VK_PRIOR: step = -page; break;
    case platform::VK_NEXT: step = page; break;
    default: return;
  }
  key = 0;
  Rows().MoveBy(step);
}

}  // namespace framework
