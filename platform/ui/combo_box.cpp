#include "platform/ui/combo_box.h"

#include <algorithm>


#include <nlohmann/json.hpp>

#include "platform/text/utf8.h"

#include "platform/core/exceptions.h"

namespace platform {

TComboBox::TComboBox(TComponent* owner) : TCustomEdit(owner) { SetBounds(0, 0, 145, 21); }

void TComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(Items.size()))
    throw Exception("Índice de item fora da lista: " + std::to_string(index) + ".");
  itemIndex_ = index;
  chars_ = index < 0 ? std::u32string() : Utf8Decode(Items[static_cast<std::size_t>(index)]);
  selStart_ = 0;
  selLength_ = static_cast<int>(chars_.size());
}

void TComboBox::SelectItem(int index) {
  if (index == itemIndex_) return;
  SetItemIndex(index);
  Changed();
}

std::string TComboBox::Text() const {
  if (Style == csDropDownList)
    return itemIndex_ < 0 ? std::string() : Items[static_cast<std::size_t>(itemIndex_)];
  return TCustomEdit::Text();
}

void TComboBox::SetText(const std::string& text) {
  if (Style != csDropDownList) {
    TCustomEdit::SetText(text);
    auto it = std::find(Items.begin(), Items.end(), text);
    itemIndex_ = it == Items.end() ? -1 : static_cast<int>(it - Items.begin());
    return;
  }
  auto it = std::find(Items.begin(), Items.end(), text);
  int index = it == Items.end() ? -1 : static_cast<int>(it - Items.begin());
  if (index == itemIndex_) return;
  SetItemIndex(index);
  Changed();
}

void TComboBox::DefaultKeyDown(std::uint16_t& key, TShiftState shift) {
  int count = static_cast<int>(Items.size());
  if (key == VK_DOWN && shift.Contains(ssAlt)) {
    key = 0;
    ++dropDowns_;
    return;
  }
  if ((key == VK_DOWN || key == VK_UP) && count > 0) {
    int next = key == VK_DOWN ? std::min(itemIndex_ + 1, count - 1) : std::max(itemIndex_ - 1, 0);
    key = 0;
    SelectItem(next);
    return;
  }
  if (Style == csDropDown) TCustomEdit::DefaultKeyDown(key, shift);
}

void TComboBox::DefaultKeyPress(char32_t& ch) {
  if (Style == csDropDown) {
    TCustomEdit::DefaultKeyPress(ch);
    itemIndex_ = -1;
    for (std::size_t i = 0; i < Items.size(); ++i)
      if (Items[i] == TCustomEdit::Text()) itemIndex_ = static_cast<int>(i);
    return;
  }
  if (ch < 32) return;
  auto upper = [](char32_t c) { return utf8::ToUpper(c); };
  char32_t wanted = upper(ch);
  ch = 0;
  for (std::size_t i = 0; i < Items.size(); ++i) {
    std::u32string item = Utf8Decode(Items[i]);
    if (!item.empty() && upper(item[0]) == wanted) {
      SelectItem(static_cast<int>(i));
      return;
    }
  }
}

void TComboBox::WriteFields(nlohmann::json& out) const {
  TCustomEdit::WriteFields(out);
  out["text"] = Text();
  out["items"] = Items;
  out["itemIndex"] = itemIndex_;
  out["style"] = Style == csDropDownList ? "dropDownList" : "dropDown";
  out["dropDown"] = dropDowns_;
}

}  // namespace platform
