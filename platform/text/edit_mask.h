#pragma once
// Edit masks: the pattern a masked edit or a dataset field imposes on a text.
//
// Syntax "mask;save-literals;blank", e.g. "00.000.000/0000-00;0;_", "!99/99/9999;1;_".
// Mask characters:
//   0 digit, required        9 digit, optional       # digit or sign (+ -), optional
//   L letter, required       l letter, optional
//   A letter or digit, req.  a letter or digit, opt.
//   C any character, req.    c any character, optional
//   >  following letters upper case    <  following letters lower case
//   <> no case change from here        \x the character x as a literal
//   !  a flag (optional characters justified as blanks), kept but not laid out
//   any other character is a literal shown in place.
// Field 2: "0" = the program's text holds no literals; anything else (and the
// default when absent) = literals are part of the text.
// Field 3: the character shown in empty positions (default '_').
// Letters are ASCII and Latin-1 letters (accents included); texts are UTF-8 and every
// position holds one code point.
//
// Texts:
//   edit text    what the person sees: literals in place, the blank character in
//                empty positions ("12.3__.___/____-__").
//   text         what a program reads: the characters of the editable positions with
//                empty positions read as spaces, and the literals too when
//                save-literals is on. So an untouched edit reads as blanks only
//                ("              ", "  /  /    "), which is empty once literals are
//                removed and blanks trimmed.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class EditMask {
 public:
  enum class Kind : unsigned char {
    Literal, Digit, DigitOpt, DigitOrSign, Letter, LetterOpt, AlphaNum, AlphaNumOpt, Any, AnyOpt
  };
  enum class Case : unsigned char { None, Upper, Lower };
  struct Position {
    Kind kind = Kind::Literal;
    Case letterCase = Case::None;
    char32_t literal = 0;  // Literal positions
    bool editable() const { return kind != Kind::Literal; }
    bool required() const {
      return kind == Kind::Digit || kind == Kind::Letter || kind == Kind::AlphaNum || kind == Kind::Any;
    }
  };

  EditMask() = default;  // no mask: empty()
  explicit EditMask(std::string_view text);

  bool empty() const { return positions_.empty(); }
  const std::string& source() const { return source_; }
  const std::vector<Position>& positions() const { return positions_; }
  std::size_t size() const { return positions_.size(); }
  bool saveLiterals() const { return saveLiterals_; }
  char32_t blank() const { return blank_; }
  bool justifyFlag() const { return justify_; }

  // Whether `c` may stand in editable position `pos`.
  bool Accepts(std::size_t pos, char32_t c) const;
  // `c` with the position's case conversion applied.
  char32_t Convert(std::size_t pos, char32_t c) const;

 private:
  std::string source_;
  std::vector<Position> positions_;
  bool saveLiterals_ = true;
  char32_t blank_ = U'_';
  bool justify_ = false;
};

// Lays an unformatted value into the mask for display: with save-literals 0 the value
// holds only the characters of the editable positions ("12345678000195" ->
// "12.345.678/0001-95"); with save-literals on, literals in the value are matched and
// skipped. Characters are placed as they come (not validated); required positions the
// value does not reach show as spaces, while optional ones it leaves empty at its end
// are not shown, nor the literals among them ("1" in "0.99.999" shows as "1", "101" as
// "1.01"); characters beyond the last position are dropped.
std::string FormatMaskText(const EditMask& mask, std::string_view value);
std::string FormatMaskText(std::string_view mask, std::string_view value);

// The editing model of a masked edit: one cell per mask position, a cursor and a
// selection, measured in positions (code points of the edit text).
class MaskedText {
 public:
  explicit MaskedText(EditMask mask);

  const EditMask& mask() const { return mask_; }
  std::size_t size() const { return cells_.size(); }

  std::string EditText() const;
  // The program's text (see the header comment).
  std::string Text() const;
  // Lays a program text into the cells: literals in the text are skipped where they
  // match the mask, spaces and blank characters leave a position empty, characters
  // the position does not accept leave it empty. The cursor goes to the start.
  void SetText(std::string_view text);
  void Clear();

  std::size_t Cursor() const { return cursor_; }
  std::size_t SelStart() const { return selLength_ ? selStart_ : cursor_; }
  std::size_t SelLength() const { return selLength_; }
  void SetCursor(std::size_t pos);
  void Select(std::size_t start, std::size_t length);
  void SelectAll();

  // Types one character: replaces the selection (if any) and fills the next
  // editable position at or after the cursor, with the mask's case conversion; the
  // cursor moves past it and past the literals that follow. A character the position
  // does not accept is refused and nothing changes (false). Typing the literal that
  // stands at the cursor, or that the cursor has just skipped, is accepted and moves
  // past it.
  bool TypeChar(char32_t c);
  // Types each code point of a UTF-8 text; returns how many were accepted.
  std::size_t TypeText(std::string_view utf8);
  // Backspace: empties the selection, or the editable position before the cursor
  // (skipping literals), moving the cursor there. Nothing shifts.
  void Backspace();
  // Delete: empties the selection, or the editable position at or after the cursor.
  void Delete();

  // No editable position holds a character.
  bool IsBlank() const;
  // The first required position left empty; -1 when every required position is filled.
  int FirstMissing() const;
  bool IsComplete() const { return FirstMissing() < 0; }

 private:
  void ClearSelection();
  void Lay(std::string_view text, bool validate);
  friend std::string FormatMaskText(const EditMask&, std::string_view);

  EditMask mask_;
  std::vector<char32_t> cells_;  // 0 = empty editable position; literal positions hold the literal
  std::size_t cursor_ = 0;
  std::size_t selStart_ = 0;
  std::size_t selLength_ = 0;
};

// Whether a program text fills every required position of the mask.
bool MaskTextComplete(const EditMask& mask, std::string_view text);

}  // namespace platform
