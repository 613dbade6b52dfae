#pragma once
// Deterministic demo data of a Brazilian distributor: legal persons (CNPJ) and
// natural persons (CPF) with valid check digits and Portuguese names; a three-level
// product tree ("1" Bebidas / "101" Refrigerantes / "101001" a product); the price
// factors; three cost types; the branch "001" Matriz with the costs of every leaf
// product; and some customers with a formula and special prices. The same options
// give the same data.
#include <cstddef>
#include <cstdint>

#include "server/store/connection.h"

namespace server::demo {

inline constexpr const char* kDemoBranch = "001";

struct DemoOptions {
  std::size_t customers = 60;
  std::size_t products = 300;  // leaf products; the tree's groups come on top
  std::uint64_t seed = 1;
};

struct DemoSummary {
  std::size_t customers = 0;
  std::size_t products = 0;  // leaves
  std::size_t groups = 0;
  std::size_t costs = 0;
  std::size_t formulaRows = 0;
  std::size_t prices = 0;
};

// The most leaf products the product tree can hold.
std::size_t MaxDemoProducts();

// Writes the demo data into an empty schema inside the caller's transaction. Raises
// platform::Exception when an option is out of range.
DemoSummary FillDemoData(store::Connection& connection, const DemoOptions& options);

}  // namespace server::demo
