// GetPesqCliente, GetCDCliente, GetPesqClieLista: customer packets.
#include <memory>

#include "contracts/server/packets.h"
#include "platform/text/text_fold.h"
#include "platform/text/utf8.h"
#include "platform/variant/data_packet.h"
#include "server/modules/refusal.h"
#include "server/modules/tab_pre_clie.h"
#include "server/modules/wire_values.h"

namespace server::modules::tab_pre_clie {
namespace {

using platform::DataPacket;

constexpr const char* kCustomerSelect =
    "SELECT IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE, NMFANTCLIE, CDCLIENTE FROM CLIENTE ";

void AppendTextOrNull(DataPacket& packet, const store::Row& row, int col) {
  if (row.isNull(col))
    packet.appendNull();
  else
    packet.appendString(row.textView(col));
}

// translate() arguments that fold a text as platform::FoldForCompare does: every ASCII
// and Latin-1 letter that folding changes, and what it becomes.
std::string FoldTranslation() {
  std::string from, to;
  auto add = [&](char32_t cp) {
    const std::string letter = platform::utf8::Encode(cp);
    const std::string folded = platform::FoldForCompare(letter);
    if (folded == letter) return;
    from += letter;
    to += folded;
  };
  for (char32_t cp = U'A'; cp <= U'Z'; ++cp) add(cp);
  for (char32_t cp = 0xC0; cp <= 0xFF; ++cp) add(cp);
  return "'" + from + "', '" + to + "'";
}

// Customers by corporate name as a person reads a list, case and accents folded
// ("Açougue" before "Armazém"), then the name as stored and the code: the same order on
// both backends (SQLite's VQR_FOLDED collation, PostgreSQL's translate() of the same
// folding compared byte by byte).
std::string ByFoldedName(const store::Connection& c) {
  if (c.backend() == store::Backend::SQLite) return "ORDER BY NMRAZSOCCLIE COLLATE VQR_FOLDED, NMRAZSOCCLIE, CDCLIENTE";
  static const std::string order = "ORDER BY translate(NMRAZSOCCLIE, " + FoldTranslation() +
                                   ") COLLATE \"C\", NMRAZSOCCLIE COLLATE \"C\", CDCLIENTE COLLATE \"C\"";
  return order;
}

PacketPtr CustomerPacket(store::Connection& c, const std::string& where, const store::Params& params) {
  auto packet = std::make_shared<DataPacket>(contracts::server::CustomerColumns());
  c.query(kCustomerSelect + where, params, [&](const store::Row& row) {
    for (int col = 0; col < 5; ++col) AppendTextOrNull(*packet, row, col);
    packet->endRow();
  });
  return packet;
}

}  // namespace

PacketPtr GetPesqCliente(store::Connection& c, const contract::CustomerSearchArgs& a) {
  if (a.Filtro == "T") return CustomerPacket(c, ByFoldedName(c), {});
  if (!a.Filtro.empty()) throw Refusal("Filtro de pesquisa de cliente inválido: '" + ShownValue(a.Filtro) + "'.");
  return CustomerPacket(c, "WHERE NRINSJURCLIE = $1", {DigitsOnly(a.NrInsJurClie)});
}

PacketPtr GetCDCliente(store::Connection& c, const contract::CustomerCodeArgs& a) {
  if (a.Filtro == "T") return CustomerPacket(c, ByFoldedName(c), {});
  if (!a.Filtro.empty()) throw Refusal("Filtro de pesquisa de cliente inválido: '" + ShownValue(a.Filtro) + "'.");
  return CustomerPacket(c, "WHERE CDCLIENTE = $1", {a.CdCliente});
}

PacketPtr GetPesqClieLista(store::Connection& c) {
  auto packet = std::make_shared<DataPacket>(contracts::server::CustomerListColumns());
  c.query(
      "SELECT CDCLIENTE, NRINSJURCLIE, NMRAZSOCCLIE, IDTPIJURCLIE, NMFANTCLIE FROM CLIENTE " + ByFoldedName(c),
      {}, [&](const store::Row& row) {
        packet->appendString("N");
        for (int col = 0; col < 5; ++col) AppendTextOrNull(*packet, row, col);
        packet->endRow();
      });
  return packet;
}

}  // namespace server::modules::tab_pre_clie
