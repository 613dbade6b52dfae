#pragma once
// Plain types shared by every control of the toolkit: shift state, virtual-key codes,
// modal results, close actions, colours, fonts, alignment, cursors and the event
// signatures. Colours are an enum whose names are what the snapshot shows.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

namespace platform {

class TObject;

enum TShift : std::uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

// A set of the modifier keys held during a key press.
class TShiftState {
 public:
  TShiftState() = default;
  TShiftState(std::initializer_list<TShift> items) {
    for (TShift s : items) bits_ |= s;
  }
  bool Contains(TShift s) const noexcept { return (bits_ & s) != 0; }
  bool Empty() const noexcept { return bits_ == 0; }
  void Include(TShift s) noexcept { bits_ |= s; }
  friend bool operator==(TShiftState a, TShiftState b) { return a.bits_ == b.bits_; }

 private:
  std::uint8_t bits_ = 0;
};

// Windows virtual-key codes (the browser's keyCode values are the same numbers).
enum : std::uint16_t {
  VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
  VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35, VK_HOME = 36,
  VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_INSERT = 45, VK_DELETE = 46,
  VK_MULTIPLY = 106, VK_ADD = 107, VK_SUBTRACT = 109, VK_DECIMAL = 110, VK_DIVIDE = 111,
  VK_F1 = 112, VK_F2 = 113, VK_F3 = 114, VK_F4 = 115, VK_F5 = 116, VK_F12 = 123,
};

using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
                              mrIgnore = 5, mrYes = 6, mrNo = 7;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using enum TCloseAction;

enum TColor {
  clDefault, clWindow, clWindowText, clBtnFace, clBtnText, clInfoBk, clInfoText, clHighlight,
  clHighlightText, clGrayText, clBlack, clWhite, clBlue, clNavy, clRed, clMaroon, clGreen,
  clLime, clYellow, clOlive, clGray, clSilver, clTeal, clAqua, clPurple, clFuchsia,
};
// The colour's name as the snapshot shows it ("clBlue").
const char* ColorName(TColor color) noexcept;

struct TFont {
  bool Bold = false;
  TColor Color = clWindowText;
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
using enum TAlign;

// The sides of its parent a control keeps its distance to when the parent is resized
// (akLeft | akTop by default: it stays where it is; akLeft | akRight: it stretches).
enum TAnchorKind : std::uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

class TAnchors {
 public:
  TAnchors(std::initializer_list<TAnchorKind> items) {
    for (TAnchorKind a : items) bits_ |= a;
  }
  bool Contains(TAnchorKind a) const noexcept { return (bits_ & a) != 0; }
  friend bool operator==(TAnchors a, TAnchors b) { return a.bits_ == b.bits_; }

 private:
  std::uint8_t bits_ = 0;
};

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const noexcept { return Right - Left; }
  int Height() const noexcept { return Bottom - Top; }
};

using TCursor = int;
inline constexpr TCursor crDefault = 0, crHourGlass = -11;

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TKeyEvent = std::function<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// UTF-8 encoding of one code point, and the code points of a text (platform/text/utf8.h
// rules: a malformed byte is one code point of its own value).
std::string Utf8Encode(char32_t ch);
std::u32string Utf8Decode(const std::string& text);

}  // namespace platform
