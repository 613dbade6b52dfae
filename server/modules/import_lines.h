#pragma once
// The lines of a spreadsheet import (contracts/server ImportArgs): each line's customer,
// product, price and validity checked against the database, one reason per refused
// line. The checks read the customers and products the lines name in a few set-based
// queries, whatever the number of lines.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/variant/variant.h"
#include "server/store/connection.h"

namespace server::modules {

struct ImportLine {
  std::int64_t line = 0;
  std::string customerCode;  // as the file has them
  std::string registration;
  std::string productText;
  std::optional<double> price;
  std::optional<std::string> start;  // yyyy-mm-dd
  std::optional<std::string> end;
};

struct AcceptedLine {
  std::int64_t line = 0;
  std::string customer;  // CDCLIENTE
  std::string product;   // CDPRODUTO
  double price = 0;      // rounded to three decimals
  std::optional<std::string> start;
  std::optional<std::string> end;
};

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
  std::vector<AcceptedLine> accepted;
  std::vector<RefusedLine> refused;  // in line order
};

// The lines of the packet; a packet of other columns is refused.
std::vector<ImportLine> ReadImportLines(const platform::Variant& packet);

// Each line for its customer (its code, its registration number, or else
// `defaultCustomer`) and a product of the priced `level`, with a sound price and
// period; a customer and product named on more than one line refuse all of them.
CheckedLines CheckImportLines(store::Connection& connection, std::vector<ImportLine> lines,
                              const std::string& defaultCustomer, int level);

}  // namespace server::modules
