#pragma once
// The window shared by the framework's search lists (Pesquisa, Pesqlista): a modal
// window of kind "search" with the grid dbgPesquisa over the caller's data source and
// the buttons btnOK and btnCancel.
//
// The grid is read-only and starts focused. Enter chooses (Choose), Escape cancels;
// typing letters or digits moves to the first row whose value in the selected column
// begins with what was typed so far (case and accents ignored), Backspace takes the
// last character back, and moving to another column starts over. Subclasses decide
// what choosing means through CanChoose.
#include <string>
#include <vector>

#include "platform/ui/buttons.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"

namespace framework {

class SearchDialog : public platform::TForm {
 public:
  SearchDialog(platform::TComponent* owner, const std::string& name, const std::string& title,
               platform::TDataSource* source);

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

 private:
  void choose();
  void searchTyped(char32_t ch);
  // Moves to the first row whose selected column begins with what was typed; false
  // when none does (the row stays).
  bool searchAgain();

  platform::TDataSource* source_;
  std::string typed_;
  // The folded texts of the column last searched, one per row.
  const platform::TField* foldedField_ = nullptr;
  std::vector<std::string> folded_;
};

// The title and the no-rows text of "title|no-rows text"; the no-rows text defaults
// to a generic one when the "|" part is missing.
struct SearchTitles {
  std::string title;
  std::string emptyText;
};
SearchTitles SplitSearchTitles(const std::string& text);

}  // namespace framework
