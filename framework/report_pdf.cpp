// The PDF of a report: pages laid out in a first pass over the rows (to count them)
// and drawn in a second, a page at a time; cairo writes each page out as it is shown.
#include <cairo-pdf.h>

#include <memory>
#include <optional>
#include <vector>

#include "contracts/framework/qrddlgs.h"
#include "framework/pdf_text.h"
#include "framework/report_values.h"
#include "framework/report_writer.h"
#include "platform/data/field_names.h"

namespace framework::report {

namespace {

// A4 portrait, in points.
constexpr double kPageWidth = 595.28;
constexpr double kPageHeight = 841.89;
constexpr double kMargin = 28.35;
constexpr double kContentWidth = kPageWidth - 2 * kMargin;
constexpr double kPadX = 2.5;
constexpr double kPadY = 1.8;
constexpr double kGap = 6;

PdfAlign AlignOf(Alignment align) {
  switch (align) {
    case Alignment::Center:
      return PdfAlign::Center;
    case Alignment::Right:
      return PdfAlign::Right;
    default:
      return PdfAlign::Left;
  }
}

std::string Joined(const std::vector<std::pair<std::string, std::string>>& items) {
  std::string text;
  for (const auto& [title, value] : items) text += (text.empty() ? "" : "    ") + title + ": " + value;
  return text;
}

struct CairoCloser {
  void operator()(cairo_surface_t* s) const noexcept { cairo_surface_destroy(s); }
  void operator()(cairo_t* c) const noexcept { cairo_destroy(c); }
};

// One report's pages. Run makes one pass over the rows; with painting off it only
// measures and counts pages, with it on it draws them.
class PdfReport {
 public:
  PdfReport(const Definition& definition, const ReportHeading& heading, cairo_t* cr)
      : definition_(definition), heading_(heading), cr_(cr), text_(cr) {
    double units = 0;
    for (const Field& column : definition.columns) units += column.width;
    double x = kMargin;
    for (const Field& column : definition.columns) {
      const double width = kContentWidth * column.width / units;
      columnX_.push_back(x);
      columnWidth_.push_back(width);
      x += width;
    }
    measureFrame();
  }

  void Run(const RowPass& rows, bool painting, int totalPages) {
    painting_ = painting;
    totalPages_ = totalPages;
    page_ = 0;
    rows_ = 0;
    inSection_ = false;
    grandTotals_.assign(definition_.totals.size(), 0);
    sectionTotals_.assign(definition_.totals.size(), 0);
    newPage(false);
    std::optional<BoundFields> fields;
    rows([&](const platform::DataPacket& chunk) {
      if (!fields) fields = BindFields(definition_, chunk);
      for (std::size_t r = 0; r < chunk.rowCount(); ++r) addRow(*fields, chunk, r);
    });
    if (inSection_) endSection();
    if (rows_ == 0)
      drawLine(kNoRowsText, PdfFont::Body, PdfAlign::Left);
    else if (!definition_.totals.empty())
      drawLine(totalsText("Total geral", grandTotals_), PdfFont::BodyBold, PdfAlign::Right);
    finishPage();
  }

  int Pages() const noexcept { return page_; }
  std::size_t Rows() const noexcept { return rows_; }
  int UnknownGlyphs() const noexcept { return text_.UnknownGlyphs(); }

 private:
  double bodyTop() const { return kMargin + headerHeight_ + kGap; }
  double bodyBottom() const { return kPageHeight - kMargin - footerHeight_ - kGap; }
  double cellWidth(std::size_t c) const { return columnWidth_[c] - 2 * kPadX; }

  void measureFrame() {
    const double dateWidth = text_.NaturalWidth(printedText(), PdfFont::Small) + kGap;
    headerHeight_ = text_.Measure(heading_.title, PdfFont::Title, kContentWidth - dateWidth) + 4;
    if (!heading_.summary.empty()) headerHeight_ += text_.Measure(heading_.summary, PdfFont::Small, kContentWidth) + 2;
    footerHeight_ = text_.LineHeight(PdfFont::Small) + 4;
    titlesHeight_ = 0;
    for (std::size_t c = 0; c < definition_.columns.size(); ++c)
      titlesHeight_ =
          std::max(titlesHeight_, text_.Measure(definition_.columns[c].title, PdfFont::BodyBold, cellWidth(c)));
    titlesHeight_ += 2 * kPadY + 1;
  }

  std::string printedText() const { return "Impresso em " + heading_.printedAt; }

  // --- pages ---

  void newPage(bool continuation) {
    if (page_ > 0) finishPage();
    ++page_;
    rowsOnPage_ = 0;
    y_ = bodyTop();
    drawHeader();
    const bool grouped = definition_.group.has_value();
    if (continuation && inSection_) drawSectionHeader(sectionText_ + " (continuação)");
    if (!grouped || (continuation && inSection_)) drawTitles();
  }

  void finishPage() {
    if (!painting_) return;
    drawFooter();
    cairo_show_page(cr_);
  }

  void drawHeader() {
    if (!painting_) return;
    const double dateWidth = text_.NaturalWidth(printedText(), PdfFont::Small);
    double y = kMargin;
    text_.Draw(printedText(), PdfFont::Small, kMargin + kContentWidth - dateWidth, y + 2, dateWidth, PdfAlign::Right);
    y += text_.Draw(heading_.title, PdfFont::Title, kMargin, y, kContentWidth - dateWidth - kGap, PdfAlign::Left) + 2;
    if (!heading_.summary.empty())
      text_.Draw(heading_.summary, PdfFont::Small, kMargin, y, kContentWidth, PdfAlign::Left);
    rule(kMargin + headerHeight_, 0.8);
  }

  void drawFooter() {
    const double y = kPageHeight - kMargin - footerHeight_;
    rule(y, 0.5);
    text_.Draw(heading_.code, PdfFont::Small, kMargin, y + 3, kContentWidth / 2, PdfAlign::Left);
    text_.Draw("Página " + std::to_string(page_) + " de " + std::to_string(totalPages_), PdfFont::Small,
               kMargin + kContentWidth / 2, y + 3, kContentWidth / 2, PdfAlign::Right);
  }

  void rule(double y, double width) {
    cairo_set_line_width(cr_, width);
    cairo_move_to(cr_, kMargin, y);
    cairo_line_to(cr_, kMargin + kContentWidth, y);
    cairo_stroke(cr_);
  }

  // --- sections, titles, rows ---

  double sectionHeight(const std::string& text) {
    return text_.Measure(text, PdfFont::BodyBold, kContentWidth - 2 * kPadX) + 2 * kPadY + 2;
  }

  void drawSectionHeader(const std::string& text) {
    const double height = sectionHeight(text);
    if (painting_) {
      cairo_set_source_rgb(cr_, 0.9, 0.9, 0.9);
      cairo_rectangle(cr_, kMargin, y_, kContentWidth, height - 2);
      cairo_fill(cr_);
      cairo_set_source_rgb(cr_, 0, 0, 0);
      text_.Draw(text, PdfFont::BodyBold, kMargin + kPadX, y_ + kPadY, kContentWidth - 2 * kPadX, PdfAlign::Left);
    }
    y_ += height;
  }

  void drawTitles() {
    if (painting_) {
      for (std::size_t c = 0; c < definition_.columns.size(); ++c)
        text_.Draw(definition_.columns[c].title, PdfFont::BodyBold, columnX_[c] + kPadX, y_ + kPadY, cellWidth(c),
                   AlignOf(definition_.columns[c].align));
      rule(y_ + titlesHeight_ - 0.5, 0.5);
    }
    y_ += titlesHeight_;
  }

  void drawLine(const std::string& text, PdfFont font, PdfAlign align) {
    const double height = text_.Measure(text, font, kContentWidth) + 2 * kPadY;
    if (y_ + height > bodyBottom() && rowsOnPage_ > 0) newPage(true);
    if (painting_) text_.Draw(text, font, kMargin, y_ + kPadY, kContentWidth, align);
    y_ += height;
  }

  void addRow(const BoundFields& fields, const platform::DataPacket& chunk, std::size_t r) {
    std::vector<std::string> cells;
    double height = 0;
    for (std::size_t c = 0; c < fields.columns.size(); ++c) {
      cells.push_back(CellText(fields.columns[c], chunk, r));
      height = std::max(height, text_.Measure(cells.back(), PdfFont::Body, cellWidth(c)));
    }
    height += 2 * kPadY;
    if (definition_.group) {
      const std::string key = GroupKey(fields, chunk, r);
      if (!inSection_ || key != sectionKey_) {
        if (inSection_) endSection();
        beginSection(key, sectionText(fields, chunk, r), height);
      }
    }
    if (y_ + height > bodyBottom() && rowsOnPage_ > 0) newPage(true);
    if (painting_)
      for (std::size_t c = 0; c < cells.size(); ++c)
        text_.Draw(cells[c], PdfFont::Body, columnX_[c] + kPadX, y_ + kPadY, cellWidth(c),
                   AlignOf(definition_.columns[c].align));
    y_ += height;
    ++rowsOnPage_;
    ++rows_;
    addToTotals(fields, chunk, r);
  }

  std::string sectionText(const BoundFields& fields, const platform::DataPacket& chunk, std::size_t r) const {
    std::vector<std::pair<std::string, std::string>> items;
    for (const BoundField& field : fields.header) items.emplace_back(field.field->title, CellText(field, chunk, r));
    return Joined(items);
  }

  void beginSection(const std::string& key, const std::string& text, double firstRowHeight) {
    if (rowsOnPage_ > 0) y_ += kGap;
    const double needed = sectionHeight(text) + titlesHeight_ + firstRowHeight;
    if (y_ + needed > bodyBottom() && rowsOnPage_ > 0) newPage(false);
    inSection_ = true;
    sectionKey_ = key;
    sectionText_ = text;
    sectionTotals_.assign(definition_.totals.size(), 0);
    drawSectionHeader(text);
    drawTitles();
  }

  void endSection() {
    if (!definition_.totals.empty()) drawLine(totalsText("Total", sectionTotals_), PdfFont::BodyBold, PdfAlign::Right);
    inSection_ = false;
  }

  void addToTotals(const BoundFields& fields, const platform::DataPacket& chunk, std::size_t r) {
    for (std::size_t t = 0; t < definition_.totals.size(); ++t) {
      const Total& total = definition_.totals[t];
      const BoundField& field = columnOf(fields, total.column);
      const std::optional<double> number = CellNumber(field, chunk, r);
      double add = 0;
      if (total.function == TotalFunction::Count)
        add = chunk.isNull(r, field.column) ? 0 : 1;
      else
        add = number.value_or(0);
      sectionTotals_[t] += add;
      grandTotals_[t] += add;
    }
  }

  const BoundField& columnOf(const BoundFields& fields, const std::string& column) const {
    for (const BoundField& field : fields.columns)
      if (platform::SameFieldName(field.field->column, column)) return field;
    return fields.columns.front();  // the definition's check makes every total name a column
  }

  std::string totalsText(const std::string& label, const std::vector<double>& values) const {
    std::vector<std::pair<std::string, std::string>> items;
    for (std::size_t t = 0; t < definition_.totals.size(); ++t) {
      const Total& total = definition_.totals[t];
      const Field* column = definition_.FindField(total.column);
      items.emplace_back(total.title, TotalText(*column, total.function, values[t]));
    }
    return label + " — " + Joined(items);
  }

  const Definition& definition_;
  const ReportHeading& heading_;
  cairo_t* cr_;
  PdfText text_;
  std::vector<double> columnX_, columnWidth_;
  double headerHeight_ = 0, footerHeight_ = 0, titlesHeight_ = 0;

  bool painting_ = false;
  int totalPages_ = 0;
  int page_ = 0;
  int rowsOnPage_ = 0;
  double y_ = 0;
  std::size_t rows_ = 0;
  bool inSection_ = false;
  std::string sectionKey_, sectionText_;
  std::vector<double> sectionTotals_, grandTotals_;
};

void CheckSurface(cairo_surface_t* surface, const std::string& path) {
  const cairo_status_t status = cairo_surface_status(surface);
  if (status != CAIRO_STATUS_SUCCESS)
    throw Qrddlgs::EReportError("Não foi possível gravar o relatório em '" + path +
                                "': " + cairo_status_to_string(status) + ".");
}

}  // namespace

WriteResult WritePdf(const Definition& definition, const ReportHeading& heading, const RowPass& rows,
                     const std::string& path) {
  std::unique_ptr<cairo_surface_t, CairoCloser> surface(
      cairo_pdf_surface_create(path.c_str(), kPageWidth, kPageHeight));
  CheckSurface(surface.get(), path);
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, heading.title.c_str());
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "Sistema de Vendas");
  std::unique_ptr<cairo_t, CairoCloser> cr(cairo_create(surface.get()));
  WriteResult result;
  {
    PdfReport report(definition, heading, cr.get());
    report.Run(rows, false, 0);
    const int pages = report.Pages();
    report.Run(rows, true, pages);
    if (report.Pages() != pages)
      throw Qrddlgs::EReportError("O relatório \"" + heading.title + "\" mudou enquanto era gerado; gere-o de novo.");
    result = WriteResult{report.Rows(), pages, report.UnknownGlyphs()};
  }
  cr.reset();
  cairo_surface_finish(surface.get());
  CheckSurface(surface.get(), path);
  return result;
}

}  // namespace framework::report
