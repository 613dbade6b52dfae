#pragma once
// The window shared by the framework's search lists (Pesquisa, Pesqlista): a modal
// window of kind "search" with, top to bottom, the search box (the label lblPesquisa
// "Pesquisar por <column title>:" and the edit edtPesquisa), the grid dbgPesquisa over
// the caller's data source, and the buttons btnOK and btnCancel at the bottom right,
// always inside the window.
//
// The grid is read-only and starts focused. Enter chooses (Choose), Escape cancels;
// typing letters or digits in the grid moves to the first row whose value in the
// searched column begins with what was typed so far (case and accents ignored), and
// the search box shows that text; Backspace takes the last character back. In a column
// of numbers (no row holds a letter) only digits count, so a number typed with its
// mask's points finds the stored one, and a letter moves the search to the first column
// of texts (the name), starting there with that letter. Typing in the search box
// itself does the same, and Up, Down, Page Up and Page Down there move
// the grid. The searched column is the grid's selected one: a click on a column title
// chooses it (as do Left and Right in the grid), and choosing another column starts
// over. Subclasses decide what choosing means through CanChoose.
#include <string>
#include <vector>

#include "platform/ui/buttons.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/edit.h"
#include "platform/ui/form.h"
#include "platform/ui/std_controls.h"

namespace framework {

class SearchDialog : public platform::TForm {
 public:
  SearchDialog(platform::TComponent* owner, const std::string& name, const std::string& title,
               platform::TDataSource* source);

  platform::TLabel* lblPesquisa;
  platform::TEdit* edtPesquisa;
  platform::TDBGrid* dbgPesquisa;
  platform::TButton* btnOK;
  platform::TButton* btnCancel;

  // Runs the window; true when the person chose (OK or Enter).
  bool Execute();

 protected:
  // Whether OK may close the window now; may tell the person why not.
  virtual bool CanChoose() { return true; }
  // Handles a character typed in the grid before the incremental search; true when used.
  virtual bool HandleGridChar(char32_t ch) {
    static_cast<void>(ch);
    return false;
  }
  platform::TDataSet& Rows() const;
  // Starts the search over on the grid's selected column and names it in the search
  // box's label; for subclasses that change the grid's columns.
  void SearchColumnChanged();
  // A button at the bottom edge of the window, `left` pixels from its left side.
  platform::TButton* AddBottomButton(const std::string& name, const std::string& caption, int left, int width);

 private:
  void buildSearchBox();
  void buildGrid(platform::TDataSource* source);
  void buildButtons();
  void choose();
  void searchTyped(char32_t ch);
  // Moves to the first row whose selected column begins with what was typed; false
  // when none does (the row stays).
  bool searchAgain();
  bool NumberColumn(const platform::TField* field) const;
  bool switchToNameColumn();
  void showTyped();
  void moveFromSearchBox(std::uint16_t& key);

  platform::TDataSource* source_;
  std::string typed_;
  bool showingTyped_ = false;
  // The folded texts of the column last searched, one per row.
  const platform::TField* foldedField_ = nullptr;
  std::vector<std::string> folded_;
  bool numberColumn_ = false;
};

// The title and the no-rows text of "title|no-rows text"; the no-rows text defaults
// to a generic one when the "|" part is missing.
struct SearchTitles {
  std::string title;
  std::string emptyText;
};
SearchTitles SplitSearchTitles(const std::string& text);

}  // namespace framework
