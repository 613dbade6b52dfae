#pragma once
// The lines of a spreadsheet import (contracts/server ImportArgs): each line's customer,
// product, price and validity checked against the database, one reason per refused
// line. The lines are loaded once into a temporary table and checked there in one
// set-based statement, whatever their number; the accepted ones stay in that table for
// the price set that writes them (ImportedPrices).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/variant/variant.h"
#include "server/modules/price_writer.h"
#include "server/store/connection.h"

namespace server::modules {

struct RefusedLine {
  std::int64_t line = 0;
  std::string customer;     // CDCLIENTE when known
  std::string product;      // CDPRODUTO when known
  std::string productText;  // as the file has it
  std::optional<double> price;
  std::string column;
  std::string value;
  std::string reason;
};

struct CheckedLines {
  std::vector<RefusedLine> refused;  // in line order
  std::int64_t accepted = 0;
  std::int64_t customers = 0;  // of the accepted lines
  std::string firstCustomer;   // of the first accepted line in the file
};

// Loads the lines of the packet and checks each one for its customer (its code, its
// registration number, or else `defaultCustomer`) and a product of the priced `level`,
// with a sound price and period; a customer and product named on more than one line
// refuse all of them. A packet of other columns is refused.
CheckedLines CheckImportLines(store::Connection& connection, const platform::Variant& packet,
                              const std::string& defaultCustomer, int level);

// The accepted lines of the last check on the connection, one per customer and product,
// as a price set of the import's origin.
PriceSet ImportedPrices();

// The file's line of each (customer, product) of the accepted lines asked for, in their
// order; null where none is.
std::vector<std::optional<std::int64_t>> LinesOf(store::Connection& connection,
                                                 const std::vector<std::pair<std::string, std::string>>& keys);

}  // namespace server::modules
