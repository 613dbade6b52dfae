// Planilha: a table of typed columns from an XLSX or CSV file. The file's format comes
// from its bytes, never from its name alone; the cells come row by row from the
// format's reader (framework/sheet/), and each kept line holds only the wanted columns.
#include "contracts/framework/planilha.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "framework/sheet/csv_reader.h"
#include "framework/sheet/sheet_numbers.h"
#include "framework/sheet/xlsx_reader.h"
#include "platform/text/date_time.h"
#include "platform/text/text_fold.h"

namespace Planilha {
namespace {

using framework::sheet::RawCell;
using framework::sheet::RawRow;

// Serial dates: day 0 is 30/12/1899; the last is 31/12/9999.
constexpr double kLastSerialDate = 2'958'465;

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

// A number cell's text: an integer without a decimal part, else the shortest exact form.
std::string NumberAsText(double value) {
  char buffer[64];
  if (std::floor(value) == value && std::fabs(value) < 1e15) {
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
    return std::string(buffer, end);
  }
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

std::optional<platform::TDateTime> DateOfText(const std::string& text) {
  int day = 0, month = 0, year = 0;
  char first = 0, second = 0;
  std::size_t used = 0;
  auto read = [&](int& into, std::size_t minDigits, std::size_t maxDigits) {
    std::size_t start = used;
    into = 0;
    while (used < text.size() && used - start < maxDigits && text[used] >= '0' && text[used] <= '9')
      into = into * 10 + (text[used++] - '0');
    return used - start >= minDigits;
  };
  auto separator = [&](char& into) {
    if (used >= text.size()) return false;
    into = text[used++];
    return true;
  };
  bool iso = text.size() == 10 && text[4] == '-';
  bool ok = iso ? read(year, 4, 4) && separator(first) && read(month, 2, 2) && separator(second) && read(day, 2, 2)
                : read(day, 1, 2) && separator(first) && read(month, 1, 2) && separator(second) && read(year, 4, 4);
  if (!ok || used != text.size() || first != second || first != (iso ? '-' : '/')) return std::nullopt;
  if (!platform::IsValidDate(year, month, day)) return std::nullopt;
  return platform::EncodeDate(year, month, day);
}

class TableBuilder {
 public:
  TableBuilder(const std::vector<TColuna>& columns) : columns_(columns) {}

  void take(RawRow& row) {
    if (!header_) return readHeader(row);
    TLinha line;
    line.numero = row.line;
    line.valores.resize(columns_.size());
    std::optional<TRecusa> refusal;
    linePending_.clear();
    for (std::size_t c = 0; c < columns_.size() && !refusal; ++c) {
      if (!positions_[c] || *positions_[c] >= row.cells.size()) continue;
      refusal = readCell(row.cells[*positions_[c]], c, line);
    }
    if (refusal) {
      refusal->linha = row.line;
      table_.recusas.push_back(std::move(*refusal));
    } else {
      // Its ambiguous numbers wait for their columns' convention; a refused line's never do.
      for (std::size_t c : linePending_) pending_.push_back({table_.linhas.size(), c});
      table_.linhas.push_back(std::move(line));
    }
  }

  TTabela finish(char fileDecimal) {
    if (!header_) throw EPlanilha("O arquivo está vazio.");
    readPendingNumbers(fileDecimal);
    return std::move(table_);
  }

 private:
  void readHeader(const RawRow& row) {
    header_ = true;
    positions_.assign(columns_.size(), std::nullopt);
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      std::vector<std::string> names{columns_[c].titulo};
      names.insert(names.end(), columns_[c].outrosNomes.begin(), columns_[c].outrosNomes.end());
      for (std::size_t at = 0; at < row.cells.size() && !positions_[c]; ++at)
        for (const std::string& name : names)
          if (platform::SameTextFolded(Trimmed(row.cells[at].text), name)) positions_[c] = at;
      if (!positions_[c] && columns_[c].obrigatoria)
        throw EPlanilha("A coluna \"" + columns_[c].titulo + "\" não foi encontrada no cabeçalho (linha " +
                        std::to_string(row.line) + ").");
      table_.presentes.push_back(positions_[c].has_value());
    }
  }

  std::optional<TRecusa> readCell(const RawCell& cell, std::size_t c, TLinha& line) {
    TValor& value = line.valores[c];
    const std::string text = cell.kind == RawCell::Kind::Number ? NumberAsText(cell.number) : Trimmed(cell.text);
    if (text.empty()) return std::nullopt;
    value.vazio = false;
    value.texto = text;
    switch (columns_[c].tipo) {
      case TTipoColuna::tcTexto:
        return std::nullopt;
      case TTipoColuna::tcNumero:
        if (cell.kind == RawCell::Kind::Number) {
          value.numero = cell.number;
          return std::nullopt;
        }
        return examineNumber(text, c, line);
      case TTipoColuna::tcData:
        if (cell.kind == RawCell::Kind::Number) {
          if (cell.number < 1 || cell.number > kLastSerialDate) return Refusal(c, text, "Data inválida.");
          value.data = platform::TDateTime{std::floor(cell.number)};
          return std::nullopt;
        }
        if (auto date = DateOfText(text)) {
          value.data = *date;
          return std::nullopt;
        }
        return Refusal(c, text, "Data inválida (use dd/mm/aaaa).");
    }
    return std::nullopt;
  }

  std::optional<TRecusa> examineNumber(const std::string& text, std::size_t c, TLinha& line) {
    const framework::sheet::NumberText form = framework::sheet::ExamineNumber(text);
    if (!form.wellFormed) return Refusal(c, text, "Não é um número.");
    if (form.shownDecimal) {
      shown_[c].insert(form.shownDecimal);
      if (auto number = framework::sheet::ReadNumber(text, form.shownDecimal)) {
        line.valores[c].numero = *number;
        return std::nullopt;
      }
      return Refusal(c, text, "Não é um número.");
    }
    if (!form.needsConvention) {
      if (auto number = framework::sheet::ReadNumber(text, ',')) {
        line.valores[c].numero = *number;
        return std::nullopt;
      }
      return Refusal(c, text, "Não é um número.");
    }
    linePending_.push_back(c);
    return std::nullopt;
  }

  // The numbers that need their column's convention, once every cell has been seen.
  void readPendingNumbers(char fileDecimal) {
    if (pending_.empty()) return;
    std::vector<bool> refused(table_.linhas.size(), false);
    for (const auto& [index, c] : pending_) {
      const std::set<char>& shown = shown_[c];
      const char decimal = shown.size() == 1 ? *shown.begin() : shown.empty() ? fileDecimal : 0;
      TLinha& line = table_.linhas[index];
      std::optional<double> number;
      if (decimal) number = framework::sheet::ReadNumber(line.valores[c].texto, decimal);
      if (number) {
        line.valores[c].numero = *number;
        continue;
      }
      if (refused[index]) continue;
      refused[index] = true;
      TRecusa refusal = *Refusal(c, line.valores[c].texto,
                                 "Número ambíguo: não se sabe se o separador indica milhares ou decimais; "
                                 "escreva-o com todas as casas decimais.");
      refusal.linha = line.numero;
      table_.recusas.push_back(std::move(refusal));
    }
    std::vector<TLinha> kept;
    kept.reserve(table_.linhas.size());
    for (std::size_t i = 0; i < table_.linhas.size(); ++i)
      if (!refused[i]) kept.push_back(std::move(table_.linhas[i]));
    table_.linhas = std::move(kept);
    std::stable_sort(table_.recusas.begin(), table_.recusas.end(),
                     [](const TRecusa& a, const TRecusa& b) { return a.linha < b.linha; });
  }

  std::optional<TRecusa> Refusal(std::size_t c, const std::string& text, std::string reason) const {
    return TRecusa{0, columns_[c].titulo, text, std::move(reason)};
  }

  const std::vector<TColuna>& columns_;
  bool header_ = false;
  std::vector<std::optional<std::size_t>> positions_;
  std::map<std::size_t, std::set<char>> shown_;
  std::vector<std::pair<std::size_t, std::size_t>> pending_;  // line index, column
  std::vector<std::size_t> linePending_;                      // columns of the line being read
  TTabela table_;
};

std::string Megabytes(std::uintmax_t bytes) { return std::to_string((bytes + 1024 * 1024 - 1) / (1024 * 1024)); }

void RefuseSize(std::uintmax_t bytes) {
  if (bytes == 0) throw EPlanilha("O arquivo está vazio.");
  if (bytes > kMaxBytesArquivo)
    throw EPlanilha("O arquivo tem " + Megabytes(bytes) + " MB; o limite é de " + Megabytes(kMaxBytesArquivo) + " MB.");
}

bool NamedXlsx(const std::string& name) {
  const std::string extension = std::filesystem::path(name).extension().string();
  return platform::SameTextFolded(extension, ".xlsx") || platform::SameTextFolded(extension, ".xlsm");
}

}  // namespace

TTabela LeTabelaDeBytes(const std::string& bytes, const std::string& nome, const std::vector<TColuna>& colunas,
                        TCodificacao codificacao) {
  RefuseSize(bytes.size());
  TableBuilder builder(colunas);
  framework::sheet::RowSink sink = [&](RawRow& row) { builder.take(row); };
  if (framework::sheet::LooksLikeZip(bytes)) {
    framework::sheet::ReadXlsx(bytes, sink);
    return builder.finish(0);
  }
  if (bytes.compare(0, 4, "\xD0\xCF\x11\xE0") == 0)
    throw EPlanilha("O arquivo está no formato XLS antigo; salve-o como XLSX ou CSV.");
  if (NamedXlsx(nome)) throw EPlanilha("O arquivo não é uma planilha XLSX: seu conteúdo é de outro formato.");
  const framework::sheet::SheetFacts facts = framework::sheet::ReadCsv(bytes, codificacao, sink);
  return builder.finish(facts.decimalSeparator);
}

TTabela LeTabela(const std::string& path, const std::vector<TColuna>& colunas, TCodificacao codificacao) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) throw EPlanilha("Não foi possível abrir o arquivo '" + path + "'.");
  RefuseSize(size);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EPlanilha("Não foi possível abrir o arquivo '" + path + "'.");
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(size)))
    throw EPlanilha("Não foi possível ler o arquivo '" + path + "'.");
  return LeTabelaDeBytes(bytes, path, colunas, codificacao);
}

}  // namespace Planilha
