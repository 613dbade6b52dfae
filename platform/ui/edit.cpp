#include "platform/ui/edit.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "platform/text/utf8.h"

namespace platform {

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  SetColor(clWindow);
}

std::string TCustomEdit::Text() const {
  std::string out;
  for (char32_t c : chars_) out += Utf8Encode(c);
  return out;
}

void TCustomEdit::SetText(const std::string& text) {
  std::u32string next = Utf8Decode(text);
  selStart_ = static_cast<int>(next.size());
  selLength_ = 0;
  if (next == chars_) return;
  chars_ = std::move(next);
  Changed();
}

void TCustomEdit::Changed() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::SetSelection(int start, int length) {
  selStart_ = std::clamp(start, 0, CaretLimit());
  selLength_ = std::clamp(length, 0, CaretLimit() - selStart_);
}

std::string TCustomEdit::SelText() const {
  std::string out;
  for (int i = selStart_; i < selStart_ + selLength_ && i < static_cast<int>(chars_.size()); ++i)
    out += Utf8Encode(chars_[static_cast<std::size_t>(i)]);
  return out;
}

void TCustomEdit::DoEnter() {
  SelectAll();
  TControl::DoEnter();
}

bool TCustomEdit::deleteSelection() {
  if (selLength_ == 0) return false;
  chars_.erase(static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_));
  selLength_ = 0;
  return true;
}

bool TCustomEdit::InsertChar(char32_t ch) {
  if (CharCase == ecUpperCase) ch = utf8::ToUpper(ch);
  if (CharCase == ecLowerCase) ch = utf8::ToLower(ch);
  int after = static_cast<int>(chars_.size()) - selLength_ + 1;
  if (maxLength_ > 0 && after > maxLength_) return false;
  deleteSelection();
  chars_.insert(chars_.begin() + selStart_, ch);
  ++selStart_;
  return true;
}

bool TCustomEdit::DeleteBackward() {
  if (deleteSelection()) return true;
  if (selStart_ == 0) return false;
  chars_.erase(static_cast<std::size_t>(--selStart_), 1);
  return true;
}

bool TCustomEdit::DeleteForward() {
  if (deleteSelection()) return true;
  if (selStart_ >= static_cast<int>(chars_.size())) return false;
  chars_.erase(static_cast<std::size_t>(selStart_), 1);
  return true;
}

void TCustomEdit::DefaultKeyDown(std::uint16_t& key, TShiftState shift) {
  int limit = CaretLimit();
  int caret = selStart_ + selLength_;
  auto moveTo = [&](int pos) {
    pos = std::clamp(pos, 0, limit);
    if (shift.Contains(ssShift)) {
      int anchor = selStart_;
      SetSelection(std::min(anchor, pos), std::abs(pos - anchor));
    } else {
      SetSelection(pos, 0);
    }
    key = 0;
  };
  switch (key) {
    case VK_LEFT: moveTo(selLength_ && !shift.Contains(ssShift) ? selStart_ : caret - 1); break;
    case VK_RIGHT: moveTo(selLength_ && !shift.Contains(ssShift) ? caret : caret + 1); break;
    case VK_HOME: moveTo(0); break;
    case VK_END: moveTo(limit); break;
    case VK_DELETE:
      key = 0;
      if (!ReadOnly && DeleteForward()) Changed();
      break;
    default: break;
  }
}

void TCustomEdit::DefaultKeyPress(char32_t& ch) {
  if (ch == 8) {
    ch = 0;
    if (!ReadOnly && DeleteBackward()) Changed();
    return;
  }
  if (ch < 32) return;
  char32_t typed = ch;
  ch = 0;
  if (!ReadOnly && InsertChar(typed)) Changed();
}

void TCustomEdit::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  if (PasswordChar) {
    out["text"] = std::string(chars_.size(), PasswordChar);
    out["passwordChar"] = std::string(1, PasswordChar);
  } else {
    out["text"] = Text();
  }
  out["maxLength"] = maxLength_;
  if (ReadOnly) out["readOnly"] = true;
  out["selStart"] = selStart_;
  out["selLength"] = selLength_;
}

}  // namespace platform
