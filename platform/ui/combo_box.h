#pragma once
// TComboBox: a list of items with one chosen (ItemIndex, -1 for none).
//
// Style csDropDownList offers only the items (no free text); csDropDown also lets the
// text be typed like an edit. A person's choice (SelectItem, Up/Down keys, a typed
// first letter in a drop-down list) runs OnChange; setting ItemIndex from code does not.
// Alt+Down opens the list on the front end (the snapshot's "dropDown" counts the
// openings) and changes nothing.
#include <string>
#include <vector>

#include "platform/ui/edit.h"

namespace platform {

enum class TComboBoxStyle { csDropDown, csDropDownList };
using enum TComboBoxStyle;

class TComboBox : public TCustomEdit {
 public:
  explicit TComboBox(TComponent* owner);
  const char* Kind() const override { return "combobox"; }

  TComboBoxStyle Style = csDropDown;
  std::vector<std::string> Items;
  int ItemIndex() const noexcept { return itemIndex_; }
  // Chooses an item from code (-1 clears); OnChange does not run.
  void SetItemIndex(int index);
  // A person's choice of an item: sets it and runs OnChange when it changed.
  void SelectItem(int index);
  std::string Text() const override;
  // In a drop-down list, choosing by text: the item equal to it, or none.
  void SetText(const std::string& text) override;

  void DefaultKeyDown(std::uint16_t& key, TShiftState shift) override;
  void DefaultKeyPress(char32_t& ch) override;

 protected:
  void WriteFields(nlohmann::json& out) const override;

 private:
  int itemIndex_ = -1;
  int dropDowns_ = 0;
};

}  // namespace platform
