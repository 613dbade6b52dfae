#pragma once
// Rounding of prices to three decimals, by the system's one rounding rule
// (platform/text/decimal_round.h: half away from zero on the 15 significant digits of
// the double, which is also what PostgreSQL's ROUND(CAST(x AS NUMERIC), 3) does, so
// both backends store identical prices). On SQLite the function is registered as
// VQR_ROUND3.
namespace server::store {

// Raises platform::EConvertError for a value that is not finite or whose rounding is
// not (the largest doubles round up past the largest double).
double RoundPrice(double value);

}  // namespace server::store
