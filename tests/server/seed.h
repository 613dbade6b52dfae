#pragma once
// A small, known data set for the data module tests, written straight into the
// tables, and helpers to add formulas and prices and read prices back.
//
// Customers: C1 "Alfa Comércio de Alimentos Ltda" (J, 11222333000181), C2 "Beatriz
// Souza" (F, 52998224725, no trade name), C3 "Gama Distribuidora Ltda" (J,
// 11444777000161). Products (code, tree, level): G1 "1", G101 "101", P1 "101001"
// Cola, P2 "101002" Guaraná, G102 "102", P3 "102001" Suco, G2 "2", G201 "201", P4
// "201001" Arroz. Branches 001 (with costs) and 002 (none). Costs at 001, type 1:
// P1 10, P2 4, P3 2.5, P4 20; type 2: P1 11, P2 4.4, P4 22 (P3 none). Factors 001 MKP,
// 002 ICMS, 005 FRT, 006 DESC, 008 COM. The user vqrtest::kTestUser (admin).
#include <optional>
#include <string>
#include <vector>

#include "server/store/connection.h"

namespace servertest {

void SeedBasics(server::store::Connection& db);

struct FactorRow {
  std::string order;     // "001"
  std::string factor;    // CDFATPRECO
  std::string kind;      // P, N, M
  double value;
  std::string operation; // SUM, SUB, MUL, DIV
};
void AddFormula(server::store::Connection& db, const std::string& customer, const std::vector<FactorRow>& rows);

// Dates as ISO text or nullopt.
void AddPrice(server::store::Connection& db, const std::string& customer, const std::string& product, double price,
              std::optional<std::string> start = std::nullopt, std::optional<std::string> end = std::nullopt);

struct StoredPrice {
  double price;
  std::optional<std::string> start;
  std::optional<std::string> end;
  friend bool operator==(const StoredPrice&, const StoredPrice&) = default;
};
std::optional<StoredPrice> PriceOf(server::store::Connection& db, const std::string& customer,
                                   const std::string& product);

}  // namespace servertest
