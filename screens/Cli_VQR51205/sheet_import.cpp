#include "screens/Cli_VQR51205/sheet_import.h"

#include <memory>

#include "contracts/server/packets.h"
#include "platform/variant/data_packet.h"

namespace Cli_VQR51205 {
namespace {

using Planilha::TTipoColuna;

enum ColumnIndex { kCustomer, kRegistration, kProduct, kPrice, kStart, kEnd };

void AppendText(platform::DataPacket& packet, const Planilha::TValor& value) { packet.appendString(value.texto); }

void AppendDate(platform::DataPacket& packet, const Planilha::TValor& value) {
  if (value.vazio)
    packet.appendNull();
  else
    packet.appendDateTime(value.data);
}

// A refusal of the file as a preview row.
void AppendFileRefusal(platform::DataPacket& packet, const Planilha::TRecusa& refusal) {
  packet.appendString("S");
  for (int text = 0; text < 5; ++text) packet.appendString("");
  for (int number = 0; number < 3; ++number) packet.appendNull();
  packet.appendInteger(static_cast<std::int64_t>(refusal.linha));
  packet.appendString(refusal.coluna);
  packet.appendString(refusal.valor.substr(0, 100));
  packet.appendString(refusal.motivo);
  packet.endRow();
}

}  // namespace

const std::vector<Planilha::TColuna>& ImportColumns() {
  static const std::vector<Planilha::TColuna> columns{
      {"Cliente", {"Código do Cliente", "CDCLIENTE"}, TTipoColuna::tcTexto, false},
      {"Inscrição", {"CNPJ", "CPF", "CNPJ/CPF", "NRINSJURCLIE"}, TTipoColuna::tcTexto, false},
      {"Produto", {"Código do Produto", "CDARVPROD"}, TTipoColuna::tcTexto, true},
      {"Preço", {"Preço Especial", "VRPRECOPROD"}, TTipoColuna::tcNumero, true},
      {"Validade Inicial", {"Início da Validade", "DTVALINI"}, TTipoColuna::tcData, false},
      {"Validade Final", {"Fim da Validade", "DTVALFIN"}, TTipoColuna::tcData, false}};
  return columns;
}

std::vector<Planilha::TColuna> TemplateColumns() {
  const std::vector<Planilha::TColuna>& all = ImportColumns();
  return {all[kCustomer], all[kProduct], all[kPrice], all[kStart], all[kEnd]};
}

platform::Variant ImportLines(const Planilha::TTabela& table) {
  auto packet = std::make_shared<platform::DataPacket>(contracts::server::ImportLineColumns());
  packet->reserve(table.linhas.size());
  for (const Planilha::TLinha& line : table.linhas) {
    packet->appendInteger(static_cast<std::int64_t>(line.numero));
    AppendText(*packet, line.valores[kCustomer]);
    AppendText(*packet, line.valores[kRegistration]);
    AppendText(*packet, line.valores[kProduct]);
    if (line.valores[kPrice].vazio)
      packet->appendNull();
    else
      packet->appendFloat(line.valores[kPrice].numero);
    AppendDate(*packet, line.valores[kStart]);
    AppendDate(*packet, line.valores[kEnd]);
    packet->endRow();
  }
  return platform::Variant(std::shared_ptr<const platform::DataPacket>(packet));
}

ImportPreview MergeFileRefusals(const ImportPreview& server, const Planilha::TTabela& table) {
  const platform::DataPacket& rows = *server.packet;
  auto merged = std::make_shared<platform::DataPacket>(contracts::server::ImportPreviewColumns());
  const int blocked = rows.columnIndex("IDBLOQUEIO"), line = rows.columnIndex("NRLINHA");
  auto copyRow = [&](std::size_t r) {
    for (std::size_t c = 0; c < rows.columnCount(); ++c) merged->appendValue(rows.value(r, c));
    merged->endRow();
  };
  std::size_t r = 0, f = 0, shown = 0;
  const std::size_t limit = contracts::server::kMaxPreviewRows;
  while (shown < limit) {
    const bool serverRefusal = r < rows.rowCount() && rows.stringAt(r, blocked) == "S";
    const bool fileRefusal = f < table.recusas.size();
    if (!serverRefusal && !fileRefusal) break;
    if (fileRefusal && (!serverRefusal || table.recusas[f].linha < static_cast<std::size_t>(rows.integerAt(r, line))))
      AppendFileRefusal(*merged, table.recusas[f++]);
    else
      copyRow(r++);
    ++shown;
  }
  while (r < rows.rowCount() && rows.stringAt(r, blocked) == "S") ++r;
  for (; r < rows.rowCount(); ++r) copyRow(r);
  ImportPreview answer{merged, server.record};
  answer.record.blocked += static_cast<std::int64_t>(table.recusas.size());
  return answer;
}

}  // namespace Cli_VQR51205
