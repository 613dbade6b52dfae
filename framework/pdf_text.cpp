#include "framework/pdf_text.h"

#include <algorithm>

#include "platform/text/utf8.h"

namespace framework::report {

namespace {

const char* const kFontNames[] = {"DejaVu Sans 7.5", "DejaVu Sans Bold 7.5", "DejaVu Sans Bold 12", "DejaVu Sans 6.5"};

constexpr double kPoints = 1.0 / PANGO_SCALE;
// How much wider than the sum of its advances a line may come out (kerning), and how
// many cached layouts of short texts are kept.
constexpr double kKerningMargin = 1.05;
constexpr std::size_t kCachedTextBytes = 16;
constexpr std::size_t kCacheEntries = 512;

// The characters whose advance the fast measure knows: printable ASCII and Latin-1.
bool KnownWidth(char32_t cp) { return (cp >= 0x20 && cp <= 0x7E) || (cp >= 0xA0 && cp <= 0xFF); }

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

double HeightOf(PangoLayout* layout, double lineHeight) {
  int width = 0, height = 0;
  pango_layout_get_size(layout, &width, &height);
  return std::max(height * kPoints, lineHeight);
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
    for (char32_t cp = 0x20; cp <= 0xFF; ++cp) {
      if (!KnownWidth(cp)) continue;
      const std::string one = platform::utf8::Encode(cp);
      pango_layout_set_text(layout_, one.c_str(), static_cast<int>(one.size()));
      pango_layout_get_size(layout_, &width, &height);
      font.advance[cp] = width * kPoints;
    }
  }
}

PdfText::~PdfText() {
  for (auto& [key, layout] : cache_) g_object_unref(layout);
  for (Font& font : fonts_) pango_font_description_free(font.description);
  g_object_unref(layout_);
  g_object_unref(context_);
}

bool PdfText::SurelyOneLine(std::string_view text, const Font& font, double width) const {
  double total = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t length = 0;
    const char32_t cp = platform::utf8::Decode(text, pos, length);
    if (!KnownWidth(cp)) return false;
    total += font.advance[cp];
    pos += length;
  }
  return total * kKerningMargin <= width;
}

PangoLayout* PdfText::Prepare(PangoLayout* layout, std::string_view text, PdfFont font, double width, PdfAlign align) {
  pango_layout_set_font_description(layout, fonts_[Index(font)].description);
  pango_layout_set_width(layout, width > 0 ? static_cast<int>(width * PANGO_SCALE) : -1);
  pango_layout_set_alignment(layout, PangoAlign(align));
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  } else {
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    pango_layout_set_text(layout, valid, -1);
    g_free(valid);
  }
  return layout;
}

PangoLayout* PdfText::CachedLayout(std::string_view text, PdfFont font, double width, PdfAlign align) {
  if (text.size() > kCachedTextBytes) return Prepare(layout_, text, font, width, align);
  std::string key = std::to_string(Index(font)) + "|" + std::to_string(static_cast<int>(width * PANGO_SCALE)) + "|" +
                    std::to_string(static_cast<int>(align)) + "|";
  key.append(text);
  if (auto found = cache_.find(key); found != cache_.end()) return found->second;
  if (cache_.size() >= kCacheEntries) {
    for (auto& [k, layout] : cache_) g_object_unref(layout);
    cache_.clear();
  }
  PangoLayout* layout = pango_layout_new(context_);
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  cache_.emplace(std::move(key), Prepare(layout, text, font, width, align));
  return layout;
}

double PdfText::Measure(std::string_view text, PdfFont font, double width) {
  const Font& f = fonts_[Index(font)];
  if (SurelyOneLine(text, f, width)) return f.lineHeight;
  return HeightOf(Prepare(layout_, text, font, width, PdfAlign::Left), f.lineHeight);
}

double PdfText::Draw(std::string_view text, PdfFont font, double x, double y, double width, PdfAlign align) {
  PangoLayout* layout = CachedLayout(text, font, width, align);
  cairo_move_to(cr_, x, y);
  pango_cairo_show_layout(cr_, layout);
  unknownGlyphs_ += pango_layout_get_unknown_glyphs_count(layout);
  return HeightOf(layout, fonts_[Index(font)].lineHeight);
}

double PdfText::NaturalWidth(std::string_view text, PdfFont font) {
  int width = 0, height = 0;
  pango_layout_get_size(Prepare(layout_, text, font, -1, PdfAlign::Left), &width, &height);
  return width * kPoints;
}

}  // namespace framework::report
