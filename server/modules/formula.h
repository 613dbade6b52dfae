#pragma once
// A customer's price composition formula: factor rows applied in the order of
// NRORDEMFAT to a product's cost.
//
// Percent rows (P): add r + r*v/100, subtract r - r*v/100, multiply r*v/100, divide
// r/(v/100). Number (N) and currency (M) rows: r + v, r - v, r*v, r/v. Each row is
// one step "r op operand" with the operand computed from the row's value, and the
// SQL expression and ApplyFormula perform the very same double operations, so a price
// computed in SQL on either backend equals the one computed here. The result is
// rounded with store::RoundPrice by the caller.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/store/connection.h"
#include "server/store/sql_builder.h"

namespace server::modules {

enum class FactorKind { Percent, Number, Currency };
enum class Operation { Add, Subtract, Multiply, Divide };

// From the stored codes ("P", "N", "M"; "SUM", "SUB", "MUL", "DIV"); nullopt otherwise.
std::optional<FactorKind> FactorKindOf(std::string_view code) noexcept;
std::optional<Operation> OperationOf(std::string_view code) noexcept;
const char* FactorKindCode(FactorKind kind) noexcept;
const char* OperationCode(Operation operation) noexcept;

struct FormulaRow {
  std::string cdFatPreco;
  std::string sgFatPreco;
  std::string nrOrdemFat;
  FactorKind kind = FactorKind::Currency;
  double value = 0.0;
  Operation operation = Operation::Add;
};

// A formula longer than this is refused by the recalculation (the SQL expression
// nests one level per row).
inline constexpr std::size_t kMaxFormulaRows = 100;

struct FormulaStep {
  char op;  // '+', '-', '*', '/'
  double operand;
};
FormulaStep StepOf(const FormulaRow& row) noexcept;

// The formula applied to a cost, not rounded.
double ApplyFormula(double cost, const std::vector<FormulaRow>& rows) noexcept;

// Whether the formula applied to `cost` stays well inside the finite doubles at every
// step (no overflow, no division by zero), so a database computes and rounds it
// without error. Every step is monotonic in its input, in doubles too, so the prices
// of any cost between two costs lie between theirs: checking the lowest and highest
// cost of a set of products answers for all of them.
bool FormulaStaysFinite(double cost, const std::vector<FormulaRow>& rows) noexcept;

// The largest cost c for which the formula stays finite at every cost from 0 to c (the
// costs it stays finite for form one interval, each step being monotonic), or nullopt
// when it does not even at 0. A recalculation prices costs up to c in SQL without
// reading the costs first.
std::optional<double> LargestSafeCost(const std::vector<FormulaRow>& rows) noexcept;

// The SQL expression of the formula over `costExpression`, not rounded; operands are
// bound through `sql`. Raises Refusal for a formula over kMaxFormulaRows rows.
std::string FormulaExpression(store::SqlBuilder& sql, const std::string& costExpression,
                              const std::vector<FormulaRow>& rows);

// "Custo + MKP(30,000%) x ICMS(1,500) - FRT(R$ 1,500)": the cost label, then per row
// its operator (+ - x ÷), abbreviation and value.
std::string FormulaText(const std::string& costLabel, const std::vector<FormulaRow>& rows);

// A value with three decimals, the decimal comma and thousands dots: "1.234,500".
std::string FormatValue3(double value);

// The customer's formula rows in order.
std::vector<FormulaRow> LoadFormula(store::Connection& connection, const std::string& customer);

}  // namespace server::modules
