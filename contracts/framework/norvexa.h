#pragma once
// Norvexa: the session's configuration and shared objects.
//
//   WebURL(), WebPort()   host and port of the application server (host options
//                         --server, with their environment fallbacks)
//   FiliProc()            the processing branch: the host's --branch when given, else
//                         the first branch (lowest CDFILIAL) of the database; raises
//                         when neither gives one
//   DBPictObj(type)       the picture object of a code (Picture.h); ptProduto (0) is
//                         the product code, whose EditMask() goes on every product-code
//                         edit and field and whose GetTtNiveis() is sent as TtNiveis
//   AtualizaLocalCache(tables)
//                         refreshes the local copies of the named tables (an array of
//                         table names, or one name) from the database through the
//                         shared read-only connection. Every name is checked before
//                         anything is read: an unknown table raises naming it and
//                         refreshes nothing. Known tables: COMPPRECLIE (the customers'
//                         formula rows, ordered by customer and order) and FATORPRECO
//                         (the price factors, by abbreviation).
//   LocalCache(table)     the cached rows of a known table as last refreshed, with the
//                         time of that refresh; nullptr rows before the first refresh
#include <chrono>
#include <memory>
#include <string>

#include "contracts/framework/picture.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/variant.h"

namespace Norvexa {

std::string WebURL();
int WebPort();
std::string FiliProc();

const Picture::TDBPicture& DBPictObj(Picture::TPictType type);

void AtualizaLocalCache(const platform::Variant& tables);

struct TCachedTable {
  std::shared_ptr<const platform::DataPacket> rows;
  std::chrono::system_clock::time_point refreshedAt;
};
TCachedTable LocalCache(const std::string& table);

}  // namespace Norvexa
