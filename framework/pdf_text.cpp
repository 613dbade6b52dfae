#include "framework/pdf_text.h"

#include <algorithm>
#include <optional>

#include "platform/text/utf8.h"

namespace framework::report {

namespace {

const char* const kFontNames[] = {"DejaVu Sans 7.5", "DejaVu Sans Bold 7.5", "DejaVu Sans Bold 12",
                                  "DejaVu Sans 6.5"};

constexpr double kPoints = 1.0 / PANGO_SCALE;

// The characters whose advance the fast measure knows: printable ASCII and Latin-1.
bool KnownWidth(char32_t cp) { return (cp >= 0x20 && cp <= 0x7E) || (cp >= 0xA0 && cp <= 0xFF); }

// The number of characters of `text` when every one is of known width; nullopt else.
std::optional<std::size_t> KnownWidthLength(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); ++count) {
    std::size_t length = 0;
    if (!KnownWidth(platform::utf8::Decode(text, pos, length))) return std::nullopt;
    pos += length;
  }
  return count;
}

PangoAlignment PangoAlign(PdfAlign align) {
  switch (align) {
    case PdfAlign::Center:
      return PANGO_ALIGN_CENTER;
    case PdfAlign::Right:
      return PANGO_ALIGN_RIGHT;
    default:
      return PANGO_ALIGN_LEFT;
  }
}

}  // namespace

PdfText::PdfText(cairo_t* cr) : cr_(cr) {
  context_ = pango_cairo_create_context(cr_);
  pango_cairo_context_set_resolution(context_, 72);
  layout_ = pango_layout_new(context_);
  pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
  for (std::size_t i = 0; i < 4; ++i) {
    Font& font = fonts_[i];
    font.description = pango_font_description_from_string(kFontNames[i]);
    pango_layout_set_font_description(layout_, font.description);
    pango_layout_set_width(layout_, -1);
    pango_layout_set_text(layout_, "Ág", -1);
    int width = 0, height = 0;
    pango_layout_get_size(layout_, &width, &height);
    font.lineHeight = height * kPoints;
    std::string one;
    for (char32_t cp = 0x20; cp <= 0xFF; ++cp) {
      if (!KnownWidth(cp)) continue;
      one = platform::utf8::Encode(cp);
      pango_layout_set_text(layout_, one.c_str(), static_cast<int>(one.size()));
      pango_layout_get_size(layout_, &width, &height);
      font.widestAdvance = std::max(font.widestAdvance, width * kPoints);
    }
  }
}

PdfText::~PdfText() {
  for (Font& font : fonts_) pango_font_description_free(font.description);
  g_object_unref(layout_);
  g_object_unref(context_);
}

PangoLayout* PdfText::Prepare(std::string_view text, PdfFont font, double width, PdfAlign align) {
  pango_layout_set_font_description(layout_, fonts_[Index(font)].description);
  pango_layout_set_width(layout_, width > 0 ? static_cast<int>(width * PANGO_SCALE) : -1);
  pango_layout_set_alignment(layout_, PangoAlign(align));
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    pango_layout_set_text(layout_, text.data(), static_cast<int>(text.size()));
  } else {
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    pango_layout_set_text(layout_, valid, -1);
    g_free(valid);
  }
  return layout_;
}

double PdfText::Measure(std::string_view text, PdfFont font, double width) {
  const Font& f = fonts_[Index(font)];
  if (const auto length = KnownWidthLength(text); length && *length * f.widestAdvance <= width) return f.lineHeight;
  int w = 0, h = 0;
  pango_layout_get_size(Prepare(text, font, width, PdfAlign::Left), &w, &h);
  return std::max(h * kPoints, f.lineHeight);
}

double PdfText::Draw(std::string_view text, PdfFont font, double x, double y, double width, PdfAlign align) {
  PangoLayout* layout = Prepare(text, font, width, align);
  cairo_move_to(cr_, x, y);
  pango_cairo_show_layout(cr_, layout);
  unknownGlyphs_ += pango_layout_get_unknown_glyphs_count(layout);
  int w = 0, h = 0;
  pango_layout_get_size(layout, &w, &h);
  return std::max(h * kPoints, fonts_[Index(font)].lineHeight);
}

double PdfText::NaturalWidth(std::string_view text, PdfFont font) {
  int w = 0, h = 0;
  pango_layout_get_size(Prepare(text, font, -1, PdfAlign::Left), &w, &h);
  return w * kPoints;
}

}  // namespace framework::report
