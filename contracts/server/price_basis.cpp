#include "contracts/server/price_basis.h"

#include "platform/core/exceptions.h"

namespace contracts::server {

using platform::Variant;

Variant PriceBasisValue(const PriceBasis& basis) {
  return platform::VarArrayOf(
      {basis.price ? Variant(*basis.price) : Variant::Null(), Variant(basis.start), Variant(basis.end)});
}

PriceBasis ReadPriceBasis(const Variant& value) {
  auto wrong = [](const char* what) {
    throw platform::EVariantError(std::string("Condição da gravação do preço inválida: ") + what + ".");
  };
  if (value.kind() != Variant::Kind::Array || value.asArray().size() != 3) wrong("esperado [preço, início, fim]");
  const auto& parts = value.asArray();
  PriceBasis basis;
  if (parts[0].kind() == Variant::Kind::Double)
    basis.price = parts[0].asDouble();
  else if (parts[0].kind() == Variant::Kind::Integer)
    basis.price = static_cast<double>(parts[0].asInteger());
  else if (!parts[0].isNull())
    wrong("preço");
  if (parts[1].kind() != Variant::Kind::String || parts[2].kind() != Variant::Kind::String) wrong("datas");
  basis.start = parts[1].asString();
  basis.end = parts[2].asString();
  return basis;
}

}  // namespace contracts::server
