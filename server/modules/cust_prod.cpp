#include "server/modules/cust_prod.h"

#include <memory>

#include "contracts/server/packets.h"
#include "platform/variant/data_packet.h"

namespace server::modules::cust_prod {

PacketPtr GetTipoCusto(store::Connection& c) {
  auto packet = std::make_shared<platform::DataPacket>(contracts::server::CostTypeColumns());
  c.query("SELECT NRTIPOCUSTO, NMTIPOCUSTO FROM TIPOCUSTO ORDER BY NRTIPOCUSTO", {}, [&](const store::Row& row) {
    packet->appendInteger(row.integer(0));
    packet->appendString(row.text(1));
    packet->endRow();
  });
  return packet;
}

}  // namespace server::modules::cust_prod
