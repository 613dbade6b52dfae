#pragma once
// The chain check of the price history, for tests and benchmarks that let many writers
// loose on a database: every product's history rows in number order (the order the
// changes were applied) must each have as values before the values after the row
// before it (the first: the price the product had when the check's start was taken),
// and the last row's values after must be the product's price now. Header only: link
// appserver_core to use it.
//
//   auto start = vqrtest::CurrentPrices(c);
//   ... the load ...
//   auto faults = vqrtest::HistoryChainFaults(c, start);   // empty when exact
#include <map>
#include <string>
#include <vector>

#include "server/store/connection.h"

namespace vqrtest {

// Customer/product -> its price and dates as one text ("" for no price).
using PriceTexts = std::map<std::string, std::string>;

// A price and its dates as one text in SQL, empty for no price.
inline std::string PriceText(const char* price, const char* start, const char* end) {
  return std::string("CASE WHEN ") + price + " IS NULL THEN '' ELSE CAST(" + price + " AS VARCHAR(30)) || ' ' || " +
         "COALESCE(CAST(" + start + " AS VARCHAR(10)), '-') || ' ' || COALESCE(CAST(" + end +
         " AS VARCHAR(10)), '-') END";
}

inline PriceTexts CurrentPrices(server::store::Connection& c) {
  PriceTexts prices;
  c.query("SELECT CDCLIENTE || '/' || CDPRODUTO, " + PriceText("VRPRECOPROD", "DTVALINI", "DTVALFIN") +
              " FROM TABPRECLIE",
          {}, [&](const server::store::Row& row) { prices[row.text(0)] = row.text(1); });
  return prices;
}

// One line per history row whose values before are not the product's price then, and
// per product whose replayed history is not its price now; the history rows taken are
// those numbered after `afterNumber`.
inline std::vector<std::string> HistoryChainFaults(server::store::Connection& c, PriceTexts replayed,
                                                   std::int64_t afterNumber = 0) {
  std::vector<std::string> faults;
  c.query("SELECT CDCLIENTE || '/' || CDPRODUTO, NRSEQHIST, " + PriceText("VRPRECOANT", "DTVALINIANT", "DTVALFINANT") +
              ", " + PriceText("VRPRECONOV", "DTVALININOV", "DTVALFINNOV") +
              " FROM TABPRECLIEHIST WHERE NRSEQHIST > $1 ORDER BY NRSEQHIST",
          {afterNumber}, [&](const server::store::Row& row) {
            std::string& price = replayed[row.text(0)];
            if (row.text(2) != price)
              faults.push_back("row " + row.text(1) + " of " + row.text(0) + " replaced '" + row.text(2) +
                               "', the price then was '" + price + "'");
            price = row.text(3);
          });
  PriceTexts now = CurrentPrices(c);
  for (const auto& [key, price] : replayed)
    if (now.count(key) ? now[key] != price : !price.empty())
      faults.push_back("replaying " + key + " gives '" + price + "', the price is '" + now[key] + "'");
  for (const auto& [key, price] : now)
    if (!replayed.count(key)) faults.push_back(key + " has the price '" + price + "' from no change");
  return faults;
}

}  // namespace vqrtest
