#pragma once
// Planilha: reads a table of typed columns from a spreadsheet file a person chose, an
// XLSX workbook (its first sheet) or a CSV text, and says what it could not read.
//
//   Planilha::TTabela tabela = Planilha::LeTabela(path, {
//       {"Produto", {"Código do Produto"}, Planilha::TTipoColuna::tcTexto, true},
//       {"Preço", {}, Planilha::TTipoColuna::tcNumero, true}}, Planilha::TCodificacao::cdAutomatica);
//
// The first row holding any value is the header; each wanted column is found by its
// title or one of its other names (compared without case, accents or surrounding
// spaces). Every later row holding any value is a line of the table, numbered as the
// file numbers it (the sheet's row, the CSV's line where the record starts).
//
// What makes the whole file unreadable raises EPlanilha with a Portuguese text naming
// the problem, after bounded work, and nothing of the file is returned: a file over
// kMaxBytesArquivo, empty, of another format (whatever its name says), a zip whose
// entries would unpack to more than kMaxBytesDescompactados, XML with a document type
// or entity declarations, more than kMaxLinhas lines, a CSV with NUL bytes, a quote left
// open or text after a closing quote, text not in the chosen encoding, a wanted column
// that is required and missing from the header.
//
// A cell that cannot be read as its column's kind refuses its line: the line goes to
// `recusas` with its number, the column's title, the cell's text and the reason, and
// not to `linhas`.
//
// Cells: XLSX text (shared or inline), numbers and a formula's cached value are read as
// they are; a number in a date column is a serial date (days since 30/12/1899).
// Dates as text: dd/mm/yyyy (d/m/yyyy too) or yyyy-mm-dd.
//
// Numbers as text (all of CSV, text cells of XLSX): an optional sign and "R$", digits,
// and "," and "." as decimal and thousands separators. Which is the decimal separator
// is decided per cell when the cell shows it: both separators (the last is the decimal
// one), one separator appearing twice or more (it separates thousands), or one
// separator not followed by exactly three digits, or after an integer part of "0" or of
// more than three digits (it is the decimal one). A cell such as "1.234" or "12,500"
// does not show it; it is read with the column's convention: that of its cells that
// show one, when they all agree; when none shows one, that of the CSV's field separator
// (";" goes with a decimal comma, "," with a decimal point). When the column's cells
// disagree, or an XLSX text cell gives no other clue, the ambiguous cell is refused,
// never guessed. Thousands groups have three digits.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/text/date_time.h"
#include "platform/ui/application.h"

namespace Planilha {

inline constexpr std::uintmax_t kMaxBytesArquivo = 32u * 1024 * 1024;
inline constexpr std::uintmax_t kMaxBytesDescompactados = 256u * 1024 * 1024;
inline constexpr std::size_t kMaxLinhas = 200'000;
inline constexpr std::size_t kMaxColunas = 256;
inline constexpr std::size_t kMaxCaracteresCelula = 32'767;

class EPlanilha : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TCodificacao { cdAutomatica, cdUtf8, cdWindows1252 };
enum class TTipoColuna { tcTexto, tcNumero, tcData };

struct TColuna {
  std::string titulo;
  std::vector<std::string> outrosNomes;
  TTipoColuna tipo = TTipoColuna::tcTexto;
  bool obrigatoria = false;
};

// A cell's value as its column's kind; an empty cell holds nothing.
struct TValor {
  bool vazio = true;
  std::string texto;            // tcTexto
  double numero = 0;            // tcNumero
  platform::TDateTime data{};   // tcData
};

struct TLinha {
  std::size_t numero = 0;
  std::vector<TValor> valores;  // one per wanted column, in the order asked
};

struct TRecusa {
  std::size_t linha = 0;
  std::string coluna;
  std::string valor;
  std::string motivo;
};

struct TTabela {
  std::vector<bool> presentes;  // per wanted column: found in the header
  std::vector<TLinha> linhas;
  std::vector<TRecusa> recusas;
};

TTabela LeTabela(const std::string& path, const std::vector<TColuna>& colunas, TCodificacao codificacao);

// The same over the file's bytes, `nome` telling what the person called it.
TTabela LeTabelaDeBytes(const std::string& bytes, const std::string& nome, const std::vector<TColuna>& colunas,
                        TCodificacao codificacao);

// The spreadsheet a person fills in for such a table: an XLSX whose only row is the
// header, the titles of `colunas` in their order (in bold, each column wide enough for
// its title). It is published like a report's spreadsheet, as a document
// of the host titled `titulo` (the front end downloads it); raises
// Qrddlgs::EReportError when it cannot be written.
const platform::TDocumentEntry& GravaModelo(const std::string& titulo, const std::vector<TColuna>& colunas);

}  // namespace Planilha
