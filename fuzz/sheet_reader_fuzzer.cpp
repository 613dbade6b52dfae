// Spreadsheet files as a person might choose them: any bytes, read as a CSV text or an
// XLSX workbook, are a table or a refusal, never a crash, and every kept line holds one
// value per wanted column and a number the file gives it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "contracts/framework/planilha.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  static const std::vector<Planilha::TColuna> columns{
      {"Produto", {}, Planilha::TTipoColuna::tcTexto, true},
      {"Preço", {}, Planilha::TTipoColuna::tcNumero, false},
      {"Validade Inicial", {}, Planilha::TTipoColuna::tcData, false}};
  for (const char* name : {"f.csv", "f.xlsx"}) {
    try {
      const Planilha::TTabela table =
          Planilha::LeTabelaDeBytes(bytes, name, columns, Planilha::TCodificacao::cdAutomatica);
      for (const Planilha::TLinha& line : table.linhas) {
        FUZZ_CHECK(line.valores.size() == columns.size());
        FUZZ_CHECK(line.numero >= 1);
      }
      for (const Planilha::TRecusa& refusal : table.recusas) FUZZ_CHECK(!refusal.motivo.empty());
    } catch (const Planilha::EPlanilha&) {
    }
  }
  return 0;
}
