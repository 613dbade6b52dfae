#pragma once
// The fixed vocabulary of the demo data: name parts of customers, the product tree's
// categories and what their products are made of, the price factors, the cost types.
#include <string>
#include <vector>

namespace server::demo {

struct NamedCode {
  std::string code;
  std::string abbreviation;  // empty where the table has none
  std::string name;
};

struct Subcategory {
  std::string name;                   // "Refrigerantes"
  std::string noun;                   // "Refrigerante"
  std::vector<std::string> variants;  // "Cola", "Guaraná"
  std::vector<std::string> sizes;     // "2L", "350ml"
  double baseCost;                    // typical cost of the smallest size
};

struct Category {
  std::string name;
  std::vector<Subcategory> subcategories;
};

const std::vector<Category>& ProductCategories();
const std::vector<std::string>& Brands();
const std::vector<std::string>& Packings();  // "" (unit), "c/6", ...

const std::vector<std::string>& BusinessKinds();     // "Supermercado"
const std::vector<std::string>& BusinessNames();     // "Bom Preço"
const std::vector<std::string>& CompanySuffixes();   // "Ltda"
const std::vector<std::string>& FirstNames();
const std::vector<std::string>& Surnames();

const std::vector<NamedCode>& PriceFactors();  // CDFATPRECO, SGFATPRECO, NMFATPRECO
const std::vector<NamedCode>& CostTypes();     // NRTIPOCUSTO as text, NMTIPOCUSTO

}  // namespace server::demo
