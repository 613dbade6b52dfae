#include "framework/sheet/csv_reader.h"

#include <string_view>

#include "framework/sheet/text_encoding.h"

namespace framework::sheet {
namespace {

using Planilha::EPlanilha;

char FieldSeparator(std::string_view text) {
  std::size_t semicolons = 0, commas = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    else if (!quoted && (c == '\n' || c == '\r')) break;
    else if (!quoted && c == ';') ++semicolons;
    else if (!quoted && c == ',') ++commas;
  }
  return commas > semicolons ? ',' : ';';
}

class CsvParser {
 public:
  CsvParser(std::string_view text, char separator, const RowSink& sink)
      : text_(text), separator_(separator), sink_(sink) {}

  void run() {
    while (pos_ < text_.size()) readRecord();
  }

 private:
  bool atLineEnd() const { return text_[pos_] == '\n' || text_[pos_] == '\r'; }

  void skipLineEnd() {
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++line_;
  }

  void readRecord() {
    RawRow row;
    row.line = line_;
    for (;;) {
      std::string field = pos_ < text_.size() && text_[pos_] == '"' ? quotedField(row.line) : plainField();
      addCell(row, std::move(field));
      if (pos_ >= text_.size()) break;
      if (text_[pos_] == separator_) {
        ++pos_;
        continue;
      }
      skipLineEnd();
      break;
    }
    if (row.empty()) return;
    if (++rows_ > Planilha::kMaxLinhas)
      throw EPlanilha("O arquivo tem mais de " + std::to_string(Planilha::kMaxLinhas) + " linhas.");
    sink_(row);
  }

  std::string plainField() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != separator_ && !atLineEnd()) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  std::string quotedField(std::size_t recordLine) {
    ++pos_;
    std::string field;
    for (;;) {
      if (pos_ >= text_.size())
        throw EPlanilha("Aspas abertas na linha " + std::to_string(recordLine) + " não se fecham até o fim do arquivo.");
      const char c = text_[pos_++];
      if (c == '"') {
        if (pos_ < text_.size() && text_[pos_] == '"') {
          field += '"';
          ++pos_;
          continue;
        }
        if (pos_ < text_.size() && text_[pos_] != separator_ && !atLineEnd())
          throw EPlanilha("Texto depois das aspas de fechamento na linha " + std::to_string(line_) + ".");
        return field;
      }
      if (c == '\n' || (c == '\r' && (pos_ >= text_.size() || text_[pos_] != '\n'))) ++line_;
      field += c;
      if (field.size() > Planilha::kMaxCaracteresCelula) tooLong(recordLine);
    }
  }

  void addCell(RawRow& row, std::string field) {
    if (field.size() > Planilha::kMaxCaracteresCelula) tooLong(row.line);
    if (row.cells.size() >= Planilha::kMaxColunas)
      throw EPlanilha("A linha " + std::to_string(row.line) + " tem mais de " + std::to_string(Planilha::kMaxColunas) +
                      " colunas.");
    RawCell cell;
    if (!field.empty()) {
      cell.kind = RawCell::Kind::Text;
      cell.text = std::move(field);
    }
    row.cells.push_back(std::move(cell));
  }

  [[noreturn]] void tooLong(std::size_t line) const {
    throw EPlanilha("Um campo da linha " + std::to_string(line) + " passa de " +
                    std::to_string(Planilha::kMaxCaracteresCelula) + " caracteres.");
  }

  std::string_view text_;
  char separator_;
  const RowSink& sink_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  std::size_t rows_ = 0;
};

}  // namespace

SheetFacts ReadCsv(std::string bytes, Planilha::TCodificacao encoding, const RowSink& sink) {
  if (const std::size_t nul = bytes.find('\0'); nul != std::string::npos)
    throw EPlanilha("O arquivo contém bytes nulos (posição " + std::to_string(nul + 1) +
                    "): não é um texto CSV.");
  const std::string text = TextAsUtf8(std::move(bytes), encoding);
  const char separator = FieldSeparator(text);
  CsvParser(text, separator, sink).run();
  return SheetFacts{separator == ';' ? ',' : '.'};
}

}  // namespace framework::sheet
