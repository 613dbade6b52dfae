#pragma once
// What a change of one special price is based on: the price and validity dates the row
// had when the client read it. SetTabPreClie sends it as its call's condition
// (platform/net/rpc_frame.h), beside its arguments:
//
//   [VrPrecoProd, DtValIni, DtValFin]   the price a Double, or Null when the product
//                                       had no special price; the dates "dd/mm/yyyy"
//                                       texts, "" for none, as the arguments take them
//
// The server applies the change only while the row still holds those values (or still
// has no special price), and otherwise answers an error of code kPriceChanged naming
// who changed it, when, and what it holds now; nothing of the call is written.
#include <optional>
#include <string>

#include "platform/variant/variant.h"

namespace contracts::server {

// The error code of a change refused because the price changed since it was read.
inline constexpr const char* kPriceChanged = "PrecoAlterado";

struct PriceBasis {
  std::optional<double> price;  // nullopt: no special price
  std::string start;            // "dd/mm/yyyy" or ""
  std::string end;
};

platform::Variant PriceBasisValue(const PriceBasis& basis);
// Raises platform::EVariantError naming what is wrong when the value is not a basis.
PriceBasis ReadPriceBasis(const platform::Variant& value);

}  // namespace contracts::server
