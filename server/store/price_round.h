#pragma once
// Rounding of prices to three decimals, half away from zero, on the decimal value the
// double stands for (its 15 significant digits): 1.0005 becomes 1.001 although the
// double nearest to 1.0005 lies just below it. PostgreSQL rounds
// ROUND(CAST(x AS NUMERIC), 3) the same way (its conversion to NUMERIC keeps 15
// digits), so both backends store identical prices; on SQLite the function is
// registered as VQR_ROUND3.
namespace server::store {

// Raises platform::EConvertError for a value that is not finite.
double RoundPrice(double value);

}  // namespace server::store
