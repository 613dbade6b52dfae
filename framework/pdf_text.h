#pragma once
// Text on a PDF page with pango over cairo: one place that knows the fonts, measures
// a text wrapped to a width and draws it there, so the pass that lays out a report's
// pages and the pass that draws them measure alike.
//
// Sizes are in points (the PDF's unit: the pango context runs at 72 dpi). Texts wrap
// at words, or inside a word too long for the width (PANGO_WRAP_WORD_CHAR), so nothing
// runs off the page. Shaping is what costs, so it is done only where needed:
//   - measuring a text that cannot need a second line skips pango and gives the font's
//     line height, which is what pango gives such a text. "Cannot" means every
//     character is printable ASCII or Latin-1 and the sum of their advances, with a
//     margin for kerning, fits the width;
//   - short texts drawn again and again (dates, flags) keep their shaped layout in a
//     small cache.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <string>
#include <string_view>
#include <unordered_map>

namespace framework::report {

enum class PdfFont { Body, BodyBold, Title, Small };
enum class PdfAlign { Left, Center, Right };

class PdfText {
 public:
  explicit PdfText(cairo_t* cr);
  ~PdfText();
  PdfText(const PdfText&) = delete;
  PdfText& operator=(const PdfText&) = delete;

  // Height of `text` wrapped to `width`.
  double Measure(std::string_view text, PdfFont font, double width);
  // Draws `text` wrapped to `width` with its top-left corner at (x, y); returns its
  // height.
  double Draw(std::string_view text, PdfFont font, double x, double y, double width, PdfAlign align);
  // Width of `text` on one line.
  double NaturalWidth(std::string_view text, PdfFont font);
  double LineHeight(PdfFont font) const { return fonts_[Index(font)].lineHeight; }
  // Characters drawn so far that the fonts could not show.
  int UnknownGlyphs() const noexcept { return unknownGlyphs_; }

 private:
  struct Font {
    PangoFontDescription* description = nullptr;
    double lineHeight = 0;
    double advance[256] = {};  // of each printable ASCII and Latin-1 character
  };
  static std::size_t Index(PdfFont font) { return static_cast<std::size_t>(font); }
  bool SurelyOneLine(std::string_view text, const Font& font, double width) const;
  PangoLayout* Prepare(PangoLayout* layout, std::string_view text, PdfFont font, double width, PdfAlign align);
  PangoLayout* CachedLayout(std::string_view text, PdfFont font, double width, PdfAlign align);

  cairo_t* cr_;
  PangoContext* context_ = nullptr;
  PangoLayout* layout_ = nullptr;
  Font fonts_[4];
  std::unordered_map<std::string, PangoLayout*> cache_;
  int unknownGlyphs_ = 0;
};

}  // namespace framework::report
