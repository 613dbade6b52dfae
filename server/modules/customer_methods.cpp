// GetPesqCliente, GetCDCliente, GetPesqClieLista: customer packets.
#include <memory>

#include "contracts/server/packets.h"
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

PacketPtr CustomerPacket(store::Connection& c, const std::string& where, const store::Params& params) {
  auto packet = std::make_shared<DataPacket>(contracts::server::CustomerColumns());
  c.query(kCustomerSelect + where, params, [&](const store::Row& row) {
    for (int col = 0; col < 5; ++col) AppendTextOrNull(*packet, row, col);
    packet->endRow();
  });
  return packet;
}

}  // namespace

PacketPtr GetPesqCliente(store::Connection& c, const std::string& registration, const std::string& filter) {
  if (filter == "T") return CustomerPacket(c, "ORDER BY NMRAZSOCCLIE, CDCLIENTE", {});
  if (!filter.empty()) throw Refusal("Filtro de pesquisa de cliente inválido: '" + ShownValue(filter) + "'.");
  return CustomerPacket(c, "WHERE NRINSJURCLIE = $1", {DigitsOnly(registration)});
}

PacketPtr GetCDCliente(store::Connection& c, const std::string& customer, const std::string& filter) {
  if (filter == "T") return CustomerPacket(c, "ORDER BY NMRAZSOCCLIE, CDCLIENTE", {});
  if (!filter.empty()) throw Refusal("Filtro de pesquisa de cliente inválido: '" + ShownValue(filter) + "'.");
  return CustomerPacket(c, "WHERE CDCLIENTE = $1", {customer});
}

PacketPtr GetPesqClieLista(store::Connection& c) {
  auto packet = std::make_shared<DataPacket>(contracts::server::CustomerListColumns());
  c.query(
      "SELECT CDCLIENTE, NRINSJURCLIE, NMRAZSOCCLIE, IDTPIJURCLIE, NMFANTCLIE FROM CLIENTE "
      "ORDER BY NMRAZSOCCLIE, CDCLIENTE",
      {}, [&](const store::Row& row) {
        packet->appendString("N");
        for (int col = 0; col < 5; ++col) AppendTextOrNull(*packet, row, col);
        packet->endRow();
      });
  return packet;
}

}  // namespace server::modules::tab_pre_clie
