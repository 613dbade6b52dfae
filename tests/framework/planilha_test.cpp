// Planilha: the rules by which a spreadsheet becomes a table of typed columns, on small
// CSV and XLSX files made here, and the refusal of hostile files after bounded work.
#include <gtest/gtest.h>
#include <zip.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "contracts/framework/planilha.h"
#include "platform/text/date_time.h"
#include "support/temp_dir.h"

namespace {

using Planilha::TCodificacao;
using Planilha::TTipoColuna;
using Rows = std::vector<std::string>;

const std::vector<Planilha::TColuna> kColumns{
    {"Produto", {"Código do Produto"}, TTipoColuna::tcTexto, true},
    {"Preço", {}, TTipoColuna::tcNumero, true},
    {"Validade Inicial", {}, TTipoColuna::tcData, false}};

class PlanilhaTest : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_.file(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // An XLSX made of its parts; a part may be produced piece by piece (`pieces` called
  // with 0, 1, ... until it answers "").
  using Pieces = std::function<std::string(std::size_t)>;
  std::string xlsx(const std::string& name, const std::string& sheet, const std::string& shared = "",
                   const Pieces& pieces = nullptr) {
    const std::string path = dir_.file(name);
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    add(archive, "[Content_Types].xml", "<Types/>");
    add(archive, "xl/workbook.xml",
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets><sheet "
        "name=\"P\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
    add(archive, "xl/_rels/workbook.xml.rels",
        "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/data.xml\"/></Relationships>");
    if (!shared.empty()) add(archive, "xl/sharedStrings.xml", "<sst>" + shared + "</sst>");
    if (pieces) {
      streams_.push_back(std::make_unique<Stream>(Stream{pieces, 0, {}}));
      zip_source_t* source = zip_source_function(archive, &Stream::Callback, streams_.back().get());
      zip_file_add(archive, "xl/worksheets/data.xml", source, ZIP_FL_OVERWRITE);
    } else {
      add(archive, "xl/worksheets/data.xml", "<worksheet><sheetData>" + sheet + "</sheetData></worksheet>");
    }
    EXPECT_EQ(zip_close(archive), 0);
    return path;
  }

  static Rows Read(const std::string& path, TCodificacao encoding = TCodificacao::cdAutomatica) {
    Rows shown;
    const Planilha::TTabela table = Planilha::LeTabela(path, kColumns, encoding);
    for (const Planilha::TLinha& line : table.linhas) {
      std::string row = std::to_string(line.numero) + ":";
      row += line.valores[0].texto + "|";
      char number[64];
      std::snprintf(number, sizeof number, "%.3f", line.valores[1].numero);
      row += line.valores[1].vazio ? "-" : number;
      row += "|" + (line.valores[2].vazio ? std::string("-") : platform::DateToStr(line.valores[2].data));
      shown.push_back(row);
    }
    for (const Planilha::TRecusa& refusal : table.recusas)
      shown.push_back(std::to_string(refusal.linha) + "! " + refusal.coluna + " '" + refusal.valor + "' " +
                      Headline(refusal.motivo));
    return shown;
  }

  // A reason up to its first ":" or "(".
  static std::string Headline(const std::string& reason) {
    std::string head = reason.substr(0, reason.find_first_of(":("));
    while (!head.empty() && head.back() == ' ') head.pop_back();
    return head;
  }

  static std::string Refusal(const std::string& path) {
    try {
      Planilha::LeTabela(path, kColumns, TCodificacao::cdAutomatica);
    } catch (const Planilha::EPlanilha& e) {
      return e.what();
    }
    return "(lido)";
  }

 private:
  struct Stream {
    Pieces pieces;
    std::size_t next = 0;
    std::string pending;
    static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t cmd) {
      auto* self = static_cast<Stream*>(state);
      switch (cmd) {
        case ZIP_SOURCE_OPEN: self->next = 0; self->pending.clear(); return 0;
        case ZIP_SOURCE_READ: {
          while (self->pending.size() < length) {
            std::string piece = self->pieces(self->next++);
            if (piece.empty()) break;
            self->pending += piece;
          }
          const std::size_t n = std::min<std::size_t>(length, self->pending.size());
          std::memcpy(data, self->pending.data(), n);
          self->pending.erase(0, n);
          return static_cast<zip_int64_t>(n);
        }
        case ZIP_SOURCE_CLOSE: return 0;
        case ZIP_SOURCE_STAT: {
          auto* st = static_cast<zip_stat_t*>(data);
          zip_stat_init(st);
          st->mtime = 0;
          st->valid |= ZIP_STAT_MTIME;
          return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR: return 2 * sizeof(int);
        case ZIP_SOURCE_FREE: return 0;
        case ZIP_SOURCE_SUPPORTS:
          return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default: return -1;
      }
    }
  };

  void add(zip_t* archive, const std::string& name, const std::string& text) {
    texts_.push_back(std::make_unique<std::string>(text));
    zip_source_t* source = zip_source_buffer(archive, texts_.back()->data(), texts_.back()->size(), 0);
    ASSERT_GE(zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE), 0);
  }

  vqrtest::TempDir dir_;
  std::vector<std::unique_ptr<std::string>> texts_;
  std::vector<std::unique_ptr<Stream>> streams_;
};

TEST_F(PlanilhaTest, CsvFieldsQuotesEncodingsAndHeaderNamesAreRead) {
  // ";" with a BOM, a header in other case and without accents, quoted fields holding
  // the separator, a doubled quote and a line break (the next record keeps its number).
  EXPECT_EQ(Read(write("a.csv", "\xEF\xBB\xBFNome;PRECO;produto\r\nx;12,5;\"1.01;001\"\r\n;\"3,25\";\"a\"\"b\nc\"\r\n"
                                "\r\ny;7;101002\r\n")),
            (Rows{"2:1.01;001|12.500|-", "3:a\"b\nc|3.250|-", "6:101002|7.000|-"}));
  // "," between fields goes with a decimal point; Windows-1252 found by itself or chosen.
  EXPECT_EQ(Read(write("b.csv", "C\xF3" "digo do Produto,Pre\xE7o\n101001,\"1,234.5\"\n101002,2.5\n")),
            (Rows{"2:101001|1234.500|-", "3:101002|2.500|-"}));
  EXPECT_EQ(Read(write("c.csv", "Produto;Pre\xE7o\nA\xE7\xFA" "car;1\n"), TCodificacao::cdWindows1252),
            (Rows{"2:Açúcar|1.000|-"}));
  EXPECT_EQ(Refusal(write("d.csv", "Produto;Preco\n\xE7;1\n")), "(lido)") << "automatic: Windows-1252";
  try {
    Planilha::LeTabela(write("e.csv", "Produto;Preco\n\xE7;1\n"), kColumns, TCodificacao::cdUtf8);
    ADD_FAILURE() << "UTF-8 chosen reads no Windows-1252";
  } catch (const Planilha::EPlanilha& e) {
    EXPECT_STREQ(e.what(), "O arquivo não está em UTF-8: byte inválido na linha 2. Escolha a codificação Windows-1252.");
  }
  EXPECT_EQ(Refusal(write("f.csv", "Nome;Preço\nx;1\n")), "A coluna \"Produto\" não foi encontrada no cabeçalho (linha 1).");
}

TEST_F(PlanilhaTest, NumbersFollowTheirOwnFormOrTheColumnsConventionAndAmbiguityIsRefused) {
  // Each cell shows its decimal separator: both separators, one repeated, or not before
  // exactly three digits.
  EXPECT_EQ(Read(write("a.csv", "Produto;Preço\na;1.234,56\nb;\"1,234.56\"\nc;1.234.567\nd;0,125\ne;R$ -2,5\n")),
            (Rows{"2:a|1234.560|-", "3:b|1234.560|-", "4:c|1234567.000|-", "5:d|0.125|-", "6:e|-2.500|-"}));
  // "12,500" shows nothing: the column's other cells say "," is decimal; with none, the
  // ";" of the file does; "," between fields makes "1.500" one and a half.
  EXPECT_EQ(Read(write("b.csv", "Produto;Preço\na;12,500\nb;3,5\n")), (Rows{"2:a|12.500|-", "3:b|3.500|-"}));
  EXPECT_EQ(Read(write("c.csv", "Produto;Preço\na;12,500\n")), (Rows{"2:a|12.500|-"}));
  EXPECT_EQ(Read(write("d.csv", "Produto,Preço\na,1.500\n")), (Rows{"2:a|1.500|-"}));
  // A column whose cells disagree decides nothing: its ambiguous cells are refused; text
  // where a number belongs too.
  EXPECT_EQ(Read(write("e.csv", "Produto;Preço\na;1.234,5\nb;\"1,234.5\"\nc;1.234\nd;doze\ne;1,2,3.4.5\n")),
            (Rows{"2:a|1234.500|-", "3:b|1234.500|-", "4! Preço '1.234' Número ambíguo", "5! Preço 'doze' Não é um número.",
                  "6! Preço '1,2,3.4.5' Não é um número."}));
  EXPECT_EQ(Read(write("f.csv", "Produto;Preço;Validade Inicial\na;1;31/12/2026\nb;1;2026-02-03\nc;1;31/02/2026\n")),
            (Rows{"2:a|1.000|31/12/2026", "3:b|1.000|03/02/2026", "4! Validade Inicial '31/02/2026' Data inválida"}));
  // A line refused for a later cell leaves no ambiguous number waiting behind it.
  EXPECT_EQ(Read(write("g.csv", "Produto;Preço;Validade Inicial\na;1.234;x\nb;2;\n")),
            (Rows{"3:b|2.000|-", "2! Validade Inicial 'x' Data inválida"}));
}

TEST_F(PlanilhaTest, XlsxSharedAndInlineTextsNumbersSerialDatesAndFormulasAreRead) {
  const std::string sheet =
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"inlineStr\"><is><t>Preço</t></is></c>"
      "<c r=\"D1\" t=\"s\"><v>1</v></c></row>"
      "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>2</v></c><c r=\"C3\"><v>12.5</v></c><c r=\"D3\" s=\"1\"><v>46387</v></c></row>"
      "<row r=\"4\"><c r=\"A4\"><v>101002</v></c><c r=\"C4\"><f>C3*2</f><v>25</v></c>"
      "<c r=\"D4\" t=\"str\"><v>01/02/2027</v></c></row>"
      "<row r=\"5\"><c r=\"A5\" t=\"inlineStr\"><is><t>x</t></is></c><c r=\"C5\" t=\"inlineStr\"><is><t>1.234</t></is></c></row>";
  const std::string shared =
      "<si><t>Produto</t></si><si><r><t>Validade </t></r><r><t>Inicial</t></r><rPh><t>x</t></rPh></si>"
      "<si><t>1.01.001</t></si>";
  EXPECT_EQ(Read(xlsx("a.xlsx", sheet, shared)),
            (Rows{"3:1.01.001|12.500|31/12/2026", "4:101002|25.000|01/02/2027", "5! Preço '1.234' Número ambíguo"}));
}

TEST_F(PlanilhaTest, HostileFilesAreRefusedNamingTheProblemAfterBoundedWork) {
  EXPECT_EQ(Refusal(write("empty.csv", "")), "O arquivo está vazio.");
  EXPECT_EQ(Refusal(write("bom.csv", "\xEF\xBB\xBF\r\n\r\n")), "O arquivo está vazio.");
  const std::string big = write("big.csv", "");
  std::filesystem::resize_file(big, 200u * 1024 * 1024);
  EXPECT_EQ(Refusal(big), "O arquivo tem 200 MB; o limite é de 32 MB.");
  EXPECT_EQ(Refusal(write("nul.csv", std::string("Produto;Preço\na;1\0;\n", 21))),
            "O arquivo contém bytes nulos (posição 19): não é um texto CSV.");
  EXPECT_EQ(Refusal(write("quote.csv", "Produto;Preço\n\"a;1\nb;2\n")),
            "Aspas abertas na linha 2 não se fecham até o fim do arquivo.");
  EXPECT_EQ(Refusal(write("after.csv", "Produto;Preço\n\"a\"x;1\n")), "Texto depois das aspas de fechamento na linha 2.");
  EXPECT_EQ(Refusal(write("pdf.xlsx", "%PDF-1.4 ...")), "O arquivo não é uma planilha XLSX: seu conteúdo é de outro formato.");
  EXPECT_EQ(Refusal(write("old.csv", "\xD0\xCF\x11\xE0 rest")), "O arquivo está no formato XLS antigo; salve-o como XLSX ou CSV.");
  EXPECT_EQ(Refusal(write("cut.xlsx", "PK\x03\x04 not really a zip")),
            "O arquivo não é uma planilha XLSX válida (o arquivo zip está danificado).");

  // An entity bomb is refused at its declarations, before anything is expanded.
  const std::string laughs = "<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                             "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>";
  const std::string entities = xlsx("laughs.xlsx", "", "<si><t>&c;</t></si>");
  {
    // The shared strings part carries the declarations.
    int error = 0;
    zip_t* archive = zip_open(entities.c_str(), 0, &error);
    const std::string part = laughs + "<sst><si><t>&c;</t></si></sst>";
    zip_file_add(archive, "xl/sharedStrings.xml", zip_source_buffer(archive, part.data(), part.size(), 0),
                 ZIP_FL_OVERWRITE);
    ASSERT_EQ(zip_close(archive), 0);
  }
  EXPECT_EQ(Refusal(entities),
            "A planilha traz declarações de tipo de documento ou de entidades XML (parte xl/sharedStrings.xml), que "
            "não são aceitas.");

  // A zip bomb: 300 MB of one repeated row unpack past the budget and stop there.
  const std::string row(1024 * 1024, ' ');
  const std::string bomb = xlsx("bomb.xlsx", "", "", [&](std::size_t i) {
    return i == 0 ? std::string("<worksheet><sheetData>") : i <= 300 ? row : std::string();
  });
  EXPECT_LT(std::filesystem::file_size(bomb), 2u * 1024 * 1024);
  EXPECT_EQ(Refusal(bomb), "O arquivo descompactado passaria de 256 MB: é grande demais ou uma bomba de compactação.");

  // A full sheet of 1,048,576 rows is refused once it passes the row limit.
  const std::string rows = xlsx("rows.xlsx", "", "", [](std::size_t i) {
    if (i == 0)
      return std::string("<worksheet><sheetData><row r=\"1\"><c t=\"inlineStr\"><is><t>Produto</t></is></c>"
                         "<c t=\"inlineStr\"><is><t>Preço</t></is></c></row>");
    if (i > 1'048'576) return i == 1'048'577 ? std::string("</sheetData></worksheet>") : std::string();
    const std::string n = std::to_string(i);
    return "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c></row>";
  });
  EXPECT_EQ(Refusal(rows), "A planilha tem mais de 200000 linhas.");
}

}  // namespace
