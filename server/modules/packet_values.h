#pragma once
// A query's value appended to a data packet as the packet's column takes it, Null for
// a null value.
#include "platform/variant/data_packet.h"
#include "server/store/connection.h"

namespace server::modules {

inline void AppendRealOrNull(platform::DataPacket& packet, const store::Row& row, int col) {
  if (row.isNull(col))
    packet.appendNull();
  else
    packet.appendFloat(row.real(col));
}

inline void AppendDateOrNull(platform::DataPacket& packet, const store::Row& row, int col) {
  if (auto date = row.date(col))
    packet.appendDateTime(*date);
  else
    packet.appendNull();
}

inline void AppendIntegerOrNull(platform::DataPacket& packet, const store::Row& row, int col) {
  if (row.isNull(col))
    packet.appendNull();
  else
    packet.appendInteger(row.integer(col));
}

}  // namespace server::modules
