#include "server/modules/formula.h"

#include <fmt/format.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "server/modules/refusal.h"
#include "server/store/price_round.h"

namespace server::modules {

std::optional<FactorKind> FactorKindOf(std::string_view code) noexcept {
  if (code == "P") return FactorKind::Percent;
  if (code == "N") return FactorKind::Number;
  if (code == "M") return FactorKind::Currency;
  return std::nullopt;
}

std::optional<Operation> OperationOf(std::string_view code) noexcept {
  if (code == "SUM") return Operation::Add;
  if (code == "SUB") return Operation::Subtract;
  if (code == "MUL") return Operation::Multiply;
  if (code == "DIV") return Operation::Divide;
  return std::nullopt;
}

const char* FactorKindCode(FactorKind kind) noexcept {
  switch (kind) {
    case FactorKind::Percent: return "P";
    case FactorKind::Number: return "N";
    case FactorKind::Currency: return "M";
  }
  return "?";
}

const char* OperationCode(Operation operation) noexcept {
  switch (operation) {
    case Operation::Add: return "SUM";
    case Operation::Subtract: return "SUB";
    case Operation::Multiply: return "MUL";
    case Operation::Divide: return "DIV";
  }
  return "?";
}

FormulaStep StepOf(const FormulaRow& row) noexcept {
  const double v = row.value;
  if (row.kind == FactorKind::Percent) {
    switch (row.operation) {
      case Operation::Add: return {'*', 1.0 + v / 100.0};
      case Operation::Subtract: return {'*', 1.0 - v / 100.0};
      case Operation::Multiply: return {'*', v / 100.0};
      case Operation::Divide: return {'/', v / 100.0};
    }
  }
  switch (row.operation) {
    case Operation::Add: return {'+', v};
    case Operation::Subtract: return {'-', v};
    case Operation::Multiply: return {'*', v};
    case Operation::Divide: return {'/', v};
  }
  return {'+', 0.0};
}

namespace {

double Apply(const FormulaStep& step, double r) noexcept {
  switch (step.op) {
    case '+': return r + step.operand;
    case '-': return r - step.operand;
    case '*': return r * step.operand;
    case '/': return r / step.operand;
  }
  return r;
}

// Rounding to three decimals only leaves the doubles within 1e-15 of the largest one.
constexpr double kRoundableMagnitude = 1e300;

}  // namespace

double ApplyFormula(double cost, const std::vector<FormulaRow>& rows) noexcept {
  double r = cost;
  for (const FormulaRow& row : rows) r = Apply(StepOf(row), r);
  return r;
}

bool FormulaStaysFinite(double cost, const std::vector<FormulaRow>& rows) noexcept {
  double r = cost;
  for (const FormulaRow& row : rows) {
    const FormulaStep step = StepOf(row);
    if (!std::isfinite(step.operand) || (step.op == '/' && step.operand == 0)) return false;
    r = Apply(step, r);
    if (!std::isfinite(r)) return false;
  }
  return std::fabs(r) < kRoundableMagnitude;
}

std::optional<double> LargestSafeCost(const std::vector<FormulaRow>& rows) noexcept {
  if (!FormulaStaysFinite(0.0, rows)) return std::nullopt;
  constexpr double kLargest = std::numeric_limits<double>::max();
  if (FormulaStaysFinite(kLargest, rows)) return kLargest;
  // The bits of non-negative doubles grow with their values: a bisection over them
  // finds the last safe cost exactly, in at most 64 steps.
  std::uint64_t safe = std::bit_cast<std::uint64_t>(0.0);
  std::uint64_t unsafe = std::bit_cast<std::uint64_t>(kLargest);
  while (unsafe - safe > 1) {
    const std::uint64_t middle = safe + (unsafe - safe) / 2;
    (FormulaStaysFinite(std::bit_cast<double>(middle), rows) ? safe : unsafe) = middle;
  }
  return std::bit_cast<double>(safe);
}

std::string FormulaExpression(store::SqlBuilder& sql, const std::string& costExpression,
                              const std::vector<FormulaRow>& rows) {
  if (rows.size() > kMaxFormulaRows)
    throw Refusal("A fórmula tem fatores demais para o cálculo (máximo " +
                  std::to_string(kMaxFormulaRows) + ").");
  std::string expression = costExpression;
  for (const FormulaRow& row : rows) {
    FormulaStep step = StepOf(row);
    expression = "(" + expression + " " + step.op + " " + sql.doubleParam(step.operand) + ")";
  }
  return expression;
}

std::string FormatValue3(double value) {
  std::string plain = fmt::format("{:.3f}", store::RoundPrice(value));
  bool negative = plain.front() == '-';
  if (negative) plain.erase(0, 1);
  std::size_t point = plain.find('.');
  std::string whole = plain.substr(0, point);
  std::string grouped;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) grouped += '.';
    grouped += whole[i];
  }
  return (negative ? "-" : "") + grouped + "," + plain.substr(point + 1);
}

std::string FormulaText(const std::string& costLabel, const std::vector<FormulaRow>& rows) {
  std::string text = costLabel;
  for (const FormulaRow& row : rows) {
    const char* op = "+";
    switch (row.operation) {
      case Operation::Add: op = "+"; break;
      case Operation::Subtract: op = "-"; break;
      case Operation::Multiply: op = "x"; break;
      case Operation::Divide: op = "÷"; break;
    }
    std::string value = FormatValue3(row.value);
    if (row.kind == FactorKind::Percent) value += "%";
    if (row.kind == FactorKind::Currency) value = "R$ " + value;
    text += fmt::format(" {} {}({})", op, row.sgFatPreco, value);
  }
  return text;
}

std::vector<FormulaRow> LoadFormula(store::Connection& connection, const std::string& customer) {
  std::vector<FormulaRow> rows;
  connection.query(
      "SELECT C.CDFATPRECO, F.SGFATPRECO, C.NRORDEMFAT, C.IDDETFATPRE, C.VRFATPRECLIE, "
      "C.IDTPOPERFATCLIE FROM COMPPRECLIE C JOIN FATORPRECO F ON F.CDFATPRECO = C.CDFATPRECO "
      "WHERE C.CDCLIENTE = $1 ORDER BY C.NRORDEMFAT",
      {customer}, [&](const store::Row& r) {
        FormulaRow row;
        row.cdFatPreco = r.text(0);
        row.sgFatPreco = r.text(1);
        row.nrOrdemFat = r.text(2);
        auto kind = FactorKindOf(r.text(3));
        auto operation = OperationOf(r.text(5));
        if (!kind || !operation)
          throw platform::Exception("Fórmula do cliente " + customer + " com código inválido na ordem " +
                                    row.nrOrdemFat);
        row.kind = *kind;
        row.value = r.real(4);
        row.operation = *operation;
        rows.push_back(std::move(row));
      });
  return rows;
}

}  // namespace server::modules
