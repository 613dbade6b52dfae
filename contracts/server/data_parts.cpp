#include "contracts/server/data_parts.h"

namespace contracts::server {
namespace {

[[noreturn]] void Refuse(std::string_view method, const std::string& what) {
  throw platform::EPacketError("Resposta de " + std::string(method) + " fora do contrato: " + what);
}

}  // namespace

const PacketPtr& DeclaredPacket(const PacketPtr& packet, ColumnsOf columns, std::string_view method) {
  if (!packet) throw platform::EPacketError("Resposta de " + std::string(method) + " sem o pacote de dados");
  if (packet->columns() != columns())
    throw platform::EPacketError("Pacote de dados de " + std::string(method) + " com colunas fora do contrato");
  return packet;
}

PacketPtr DecodePacket(const platform::Variant& data, ColumnsOf columns, std::string_view method) {
  if (data.kind() != platform::Variant::Kind::Packet) Refuse(method, "esperava um pacote de dados");
  return DeclaredPacket(data.packetPtr(), columns, method);
}

const platform::Variant::Array& DataArray(const platform::Variant& data, std::size_t size, std::string_view method) {
  if (data.kind() != platform::Variant::Kind::Array || data.asArray().size() != size)
    Refuse(method, "esperava uma lista de " + std::to_string(size) + (size == 1 ? " valor" : " valores"));
  return data.asArray();
}

template <class T>
T FieldValue(const platform::Variant& value, std::string_view field, std::string_view method) {
  using K = platform::Variant::Kind;
  if constexpr (std::is_same_v<T, std::int64_t>) {
    if (value.kind() == K::Integer) return value.asInteger();
    Refuse(method, std::string(field) + " deve ser inteiro");
  } else if constexpr (std::is_same_v<T, double>) {
    if (value.kind() == K::Double || value.kind() == K::Integer) return value.asDouble();
    Refuse(method, std::string(field) + " deve ser número");
  } else {
    if (value.kind() == K::String) return value.asString();
    Refuse(method, std::string(field) + " deve ser texto");
  }
}

template std::int64_t FieldValue<std::int64_t>(const platform::Variant&, std::string_view, std::string_view);
template double FieldValue<double>(const platform::Variant&, std::string_view, std::string_view);
template std::string FieldValue<std::string>(const platform::Variant&, std::string_view, std::string_view);

}  // namespace contracts::server
