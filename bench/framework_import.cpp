// The import of a spreadsheet's prices for one customer: a 50,000-row XLSX (product
// code with its dots, price, start and end of validity) read by Planilha, turned into
// the import's lines and previewed (GetPreviaImpPreco), and then written (SetImpPreco),
// against the recalculation of the same customer's 50,000 prices (SetCalcCusProd) in
// the same run, each on an identical copy of one prepared database. Also the peak
// memory of reading the file against its unpacked size.
//
//   bench_framework_import [--pg] [--runs N]   (median of N runs, default 3)
//
// Targets: parse + preview at most 2x the recalculation, the write at most 1.3x, the
// reading's peak memory at most 3x the unpacked size.
#include <zip.h>

#include <cstring>
#include <fstream>

#include "bench/server_bench_common.h"
#include "contracts/framework/planilha.h"
#include "contracts/server/packets.h"
#include "platform/variant/data_packet.h"

namespace {

using platform::Variant;
constexpr const char* kCustomer = "000001";

// The workbook, its parts built as text; returns the unpacked size.
std::uintmax_t WriteWorkbook(const std::string& path, const std::vector<std::string>& codes) {
  std::string sheet = "<worksheet><sheetData><row r=\"1\"><c t=\"inlineStr\"><is><t>Produto</t></is></c><c "
                      "t=\"inlineStr\"><is><t>Preço</t></is></c><c t=\"inlineStr\"><is><t>Validade Inicial</t></is></c>"
                      "<c t=\"inlineStr\"><is><t>Validade Final</t></is></c></row>";
  std::string shared = "<sst>";
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const std::string r = std::to_string(i + 2);
    shared += "<si><t>" + codes[i] + "</t></si>";
    sheet += fmt::format("<row r=\"{0}\"><c r=\"A{0}\" t=\"s\"><v>{1}</v></c><c r=\"B{0}\"><v>{2:.3f}</v></c><c "
                         "r=\"C{0}\" s=\"1\"><v>46388</v></c><c r=\"D{0}\" s=\"1\"><v>46752</v></c></row>",
                         r, i, 5 + (i % 1000) * 0.25);
  }
  sheet += "</sheetData></worksheet>";
  shared += "</sst>";
  const std::string workbook =
      "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets><sheet "
      "name=\"Precos\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
  const std::string rels = "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>";
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  for (const auto& [name, text] : {std::pair{"xl/workbook.xml", &workbook}, {"xl/_rels/workbook.xml.rels", &rels},
                                   {"xl/sharedStrings.xml", &shared}, {"xl/worksheets/sheet1.xml", &sheet}})
    zip_file_add(archive, name, zip_source_buffer(archive, text->data(), text->size(), 0), ZIP_FL_OVERWRITE);
  if (zip_close(archive) != 0) throw std::runtime_error("the workbook could not be written");
  return workbook.size() + rels.size() + shared.size() + sheet.size();
}

long KilobytesOf(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
  return 0;
}

const std::vector<Planilha::TColuna> kColumns{{"Produto", {}, Planilha::TTipoColuna::tcTexto, true},
                                              {"Preço", {}, Planilha::TTipoColuna::tcNumero, true},
                                              {"Validade Inicial", {}, Planilha::TTipoColuna::tcData, false},
                                              {"Validade Final", {}, Planilha::TTipoColuna::tcData, false}};

// The import's lines from the file, as the screen sends them.
Variant Lines(const std::string& path) {
  const Planilha::TTabela table = Planilha::LeTabela(path, kColumns, Planilha::TCodificacao::cdAutomatica);
  if (!table.recusas.empty()) throw std::runtime_error("the workbook has refused lines");
  auto packet = std::make_shared<platform::DataPacket>(contracts::server::ImportLineColumns());
  for (const Planilha::TLinha& line : table.linhas) {
    packet->appendInteger(static_cast<std::int64_t>(line.numero));
    packet->appendString("");
    packet->appendString("");
    packet->appendString(line.valores[0].texto);
    packet->appendFloat(line.valores[1].numero);
    packet->appendDateTime(line.valores[2].data);
    packet->appendDateTime(line.valores[3].data);
    packet->endRow();
  }
  return Variant(std::shared_ptr<const platform::DataPacket>(packet));
}

// The leaf products' codes with the dots of the picture, as a spreadsheet has them.
std::vector<std::string> MaskedCodes(const std::string& target) {
  std::vector<std::string> codes;
  server::store::Store::Open(target)->connect()->query(
      "SELECT CDARVPROD FROM PRODUTO WHERE NRNIVEL = 3 ORDER BY CDARVPROD", {}, [&](const server::store::Row& row) {
        const std::string c = row.text(0);
        codes.push_back(c.size() == 6 ? c.substr(0, 1) + "." + c.substr(1, 2) + "." + c.substr(3) : c);
      });
  return codes;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    const std::string base = scratch.create("base");
    bench::PrepareReferenceWorkload(base);
    const std::vector<std::string> codes = MaskedCodes(base);
    const int runs = bench::IntOption(argc, argv, "--runs", 3);
    const std::string file =
        (std::filesystem::temp_directory_path() / ("vqrbench_import_" + std::to_string(getpid()) + ".xlsx")).string();
    const std::uintmax_t unpacked = WriteWorkbook(file, codes);

    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    const long before = KilobytesOf("VmRSS:");
    Variant lines = Lines(file);
    const long peak = KilobytesOf("VmHWM:");
    std::printf("Import of %zu prices for one customer on %s (median of %d)\n", codes.size(),
                scratch.postgres() ? "PostgreSQL" : "SQLite", runs);
    std::printf("  file %.1f MB, unpacked %.1f MB, peak memory of reading %.1f MB: %.2fx the unpacked size\n",
                std::filesystem::file_size(file) / 1e6, unpacked / 1e6, (peak - before) / 1e3,
                (peak - before) * 1e3 / static_cast<double>(unpacked));

    std::vector<double> recalc, preview, write, reading;
    for (int run = 0; run < runs; ++run) {
      recalc.push_back(bench::TimeModuleCall(scratch.copy(base, "recalc" + std::to_string(run)),
                                             "rdmTabPreClie.SetCalcCusProd",
                                             {"001", kCustomer, "11222333000181", 3, 1, "", "", "S"}));
      const std::string copy = scratch.copy(base, "import" + std::to_string(run));
      double parse = bench::Seconds([&] { lines = Lines(file); });
      reading.push_back(parse);
      preview.push_back(parse + bench::TimeModuleCall(copy, "rdmTabPreClie.GetPreviaImpPreco", {lines, kCustomer, 3}));
      write.push_back(bench::TimeModuleCall(copy, "rdmTabPreClie.SetImpPreco", {lines, kCustomer, 3}));
    }
    const double r = bench::Median(recalc), p = bench::Median(preview), w = bench::Median(write);
    std::printf("  recalculation          %8.1f ms\n", r * 1000);
    std::printf("  parse+check+preview    %8.1f ms   %.2fx the recalculation (target <= 2)\n", p * 1000, p / r);
    std::printf("    of which reading     %8.1f ms\n", bench::Median(reading) * 1000);
    std::printf("  write                  %8.1f ms   %.2fx the recalculation (target <= 1.3)\n", w * 1000, w / r);
    std::filesystem::remove(file);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_framework_import: %s\n", e.what());
    return 1;
  }
}
