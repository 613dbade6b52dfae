#include "platform/text/edit_mask.h"

#include "platform/text/utf8.h"

namespace platform {
namespace {

// Splits "mask;save;blank" at the ';' not escaped by '\'.
std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == ';') {
      fields.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  fields.push_back(text.substr(start));
  return fields;
}

EditMask::Kind KindOf(char c) {
  using K = EditMask::Kind;
  switch (c) {
    case '0': return K::Digit;
    case '9': return K::DigitOpt;
    case '#': return K::DigitOrSign;
    case 'L': return K::Letter;
    case 'l': return K::LetterOpt;
    case 'A': return K::AlphaNum;
    case 'a': return K::AlphaNumOpt;
    case 'C': return K::Any;
    case 'c': return K::AnyOpt;
    default: return K::Literal;
  }
}

}  // namespace

EditMask::EditMask(std::string_view text) : source_(text) {
  const std::vector<std::string_view> fields = SplitFields(text);
  if (fields.size() >= 2 && !fields[1].empty()) saveLiterals_ = fields[1] != "0";
  if (fields.size() >= 3 && !fields[2].empty()) {
    std::size_t len = 0;
    blank_ = utf8::Decode(fields[2], 0, len);
  }
  const std::string_view mask = fields[0];
  Case current = Case::None;
  for (std::size_t pos = 0, len = 0; pos < mask.size(); pos += len) {
    const char32_t c = utf8::Decode(mask, pos, len);
    if (c == '\\' && pos + 1 < mask.size()) {
      pos += len;
      positions_.push_back(Position{Kind::Literal, current, utf8::Decode(mask, pos, len)});
      continue;
    }
    if (c == '!') {
      justify_ = true;
      continue;
    }
    if (c == '<' && pos + 1 < mask.size() && mask[pos + 1] == '>') {
      current = Case::None;
      len = 2;
      continue;
    }
    if (c == '>') {
      current = Case::Upper;
      continue;
    }
    if (c == '<') {
      current = Case::Lower;
      continue;
    }
    const Kind kind = c < 0x80 ? KindOf(static_cast<char>(c)) : Kind::Literal;
    positions_.push_back(Position{kind, current, kind == Kind::Literal ? c : 0});
  }
}

bool EditMask::Accepts(std::size_t pos, char32_t c) const {
  if (pos >= positions_.size() || c < 0x20) return false;
  switch (positions_[pos].kind) {
    case Kind::Literal: return false;
    case Kind::Digit:
    case Kind::DigitOpt: return utf8::IsDigit(c);
    case Kind::DigitOrSign: return utf8::IsDigit(c) || c == '+' || c == '-';
    case Kind::Letter:
    case Kind::LetterOpt: return utf8::IsLetter(c);
    case Kind::AlphaNum:
    case Kind::AlphaNumOpt: return utf8::IsLetter(c) || utf8::IsDigit(c);
    case Kind::Any:
    case Kind::AnyOpt: return true;
  }
  return false;
}

char32_t EditMask::Convert(std::size_t pos, char32_t c) const {
  switch (positions_[pos].letterCase) {
    case Case::Upper: return utf8::ToUpper(c);
    case Case::Lower: return utf8::ToLower(c);
    case Case::None: break;
  }
  return c;
}

MaskedText::MaskedText(EditMask mask) : mask_(std::move(mask)), cells_(mask_.size(), 0) {
  for (std::size_t i = 0; i < cells_.size(); ++i)
    if (!mask_.positions()[i].editable()) cells_[i] = mask_.positions()[i].literal;
}

std::string MaskedText::EditText() const {
  std::string out;
  for (std::size_t i = 0; i < cells_.size(); ++i) utf8::Append(out, cells_[i] ? cells_[i] : mask_.blank());
  return out;
}

std::string MaskedText::Text() const {
  std::string out;
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const bool editable = mask_.positions()[i].editable();
    if (!editable && !mask_.saveLiterals()) continue;
    utf8::Append(out, cells_[i] ? cells_[i] : U' ');
  }
  return out;
}

void MaskedText::Lay(std::string_view text, bool validate) {
  std::size_t tp = 0;
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const EditMask::Position& position = mask_.positions()[i];
    if (!position.editable()) {
      std::size_t len = 0;
      if (tp < text.size() && utf8::Decode(text, tp, len) == position.literal) tp += len;
      continue;
    }
    cells_[i] = 0;
    if (tp >= text.size()) continue;
    std::size_t len = 0;
    const char32_t c = utf8::Decode(text, tp, len);
    tp += len;
    if (c == U' ' || c == mask_.blank()) continue;
    if (validate && !mask_.Accepts(i, c)) continue;
    cells_[i] = mask_.Convert(i, c);
  }
}

void MaskedText::SetText(std::string_view text) {
  Lay(text, true);
  cursor_ = 0;
  selLength_ = 0;
}

void MaskedText::Clear() { SetText({}); }

void MaskedText::SetCursor(std::size_t pos) {
  cursor_ = pos > cells_.size() ? cells_.size() : pos;
  selLength_ = 0;
}

void MaskedText::Select(std::size_t start, std::size_t length) {
  if (start > cells_.size()) start = cells_.size();
  if (length > cells_.size() - start) length = cells_.size() - start;
  selStart_ = start;
  selLength_ = length;
  cursor_ = start + length;
}

void MaskedText::SelectAll() { Select(0, cells_.size()); }

void MaskedText::ClearSelection() {
  for (std::size_t i = selStart_; i < selStart_ + selLength_; ++i)
    if (mask_.positions()[i].editable()) cells_[i] = 0;
  cursor_ = selStart_;
  selLength_ = 0;
}

bool MaskedText::TypeChar(char32_t c) {
  const std::size_t start = SelStart();
  const auto& positions = mask_.positions();
  std::size_t p = start;
  while (p < cells_.size() && !positions[p].editable()) ++p;
  const bool fits = p < cells_.size() && mask_.Accepts(p, c);
  if (!fits) {
    const bool literalHere = start < cells_.size() && !positions[start].editable() && positions[start].literal == c;
    const bool literalSkipped = start > 0 && !positions[start - 1].editable() && positions[start - 1].literal == c;
    if (!literalHere && !literalSkipped) return false;
    if (selLength_) ClearSelection();
    if (literalHere) cursor_ = start + 1;
    return true;
  }
  if (selLength_) ClearSelection();
  cells_[p] = mask_.Convert(p, c);
  cursor_ = p + 1;
  while (cursor_ < cells_.size() && !positions[cursor_].editable()) ++cursor_;
  return true;
}

std::size_t MaskedText::TypeText(std::string_view text) {
  std::size_t accepted = 0;
  for (std::size_t pos = 0, len = 0; pos < text.size(); pos += len)
    if (TypeChar(utf8::Decode(text, pos, len))) ++accepted;
  return accepted;
}

void MaskedText::Backspace() {
  if (selLength_) {
    ClearSelection();
    return;
  }
  std::size_t p = cursor_;
  while (p > 0) {
    --p;
    if (mask_.positions()[p].editable()) {
      cells_[p] = 0;
      cursor_ = p;
      return;
    }
  }
}

void MaskedText::Delete() {
  if (selLength_) {
    ClearSelection();
    return;
  }
  for (std::size_t p = cursor_; p < cells_.size(); ++p) {
    if (mask_.positions()[p].editable()) {
      cells_[p] = 0;
      return;
    }
  }
}

bool MaskedText::IsBlank() const {
  for (std::size_t i = 0; i < cells_.size(); ++i)
    if (mask_.positions()[i].editable() && cells_[i]) return false;
  return true;
}

int MaskedText::FirstMissing() const {
  for (std::size_t i = 0; i < cells_.size(); ++i)
    if (mask_.positions()[i].required() && !cells_[i]) return static_cast<int>(i);
  return -1;
}

std::string FormatMaskText(const EditMask& mask, std::string_view value) {
  if (mask.empty()) return std::string(value);
  MaskedText text(mask);
  text.Lay(value, false);
  const std::vector<EditMask::Position>& positions = mask.positions();
  // The shown part ends after the last position the value filled or the mask requires;
  // what follows is shown only when it holds no optional position left empty.
  std::size_t end = 0;
  bool emptyOptionalAfter = false;
  for (std::size_t i = 0; i < text.cells_.size(); ++i) {
    if (!positions[i].editable()) continue;
    if (text.cells_[i] || positions[i].required()) {
      end = i + 1;
      emptyOptionalAfter = false;
    } else {
      emptyOptionalAfter = true;
    }
  }
  if (!emptyOptionalAfter) end = text.cells_.size();
  std::string out;
  for (std::size_t i = 0; i < end; ++i) utf8::Append(out, text.cells_[i] ? text.cells_[i] : U' ');
  return out;
}

std::string FormatMaskText(std::string_view mask, std::string_view value) {
  return FormatMaskText(EditMask(mask), value);
}

bool MaskTextComplete(const EditMask& mask, std::string_view text) {
  MaskedText model(mask);
  model.SetText(text);
  return model.IsComplete();
}

}  // namespace platform
