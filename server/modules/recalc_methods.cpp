// SetCalcCusProd, SetCopiaDados, SetCopiaPreco: prices of many products (and
// customers) at once, each call one transaction of set-based statements. The prices
// per product are worked out once (base_prices.h), then written for every target. A
// result that would leave a price zero or negative refuses the whole call with
// "@PrecoZerNeg" before anything is written; one over the price ceiling, or a formula
// that cannot be computed within the finite numbers, refuses it the same way.
//
// Each command is one piece of work ending in a PriceRun (price_run.h): the write runs
// it in a transaction that commits, its preview runs the same work in one that is
// rolled back. A formula copy's preview shows its prices; the formulas, which it does not
// show, are left to the write.
#include "server/modules/base_prices.h"
#include "server/modules/batches.h"
#include "server/modules/changed_since.h"
#include "server/modules/formula.h"
#include "server/modules/lookups.h"
#include "server/modules/price_lock.h"
#include "server/modules/price_run.h"
#include "server/modules/price_writer.h"
#include "server/modules/refusal.h"
#include "server/modules/tab_pre_clie.h"
#include "server/modules/targets.h"
#include "server/modules/wire_values.h"
#include "server/store/schema.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace server::modules::tab_pre_clie {
namespace {

// Products of the level whose code lies in the range ("last" covers its subtree).
std::string ProductFilter(store::SqlBuilder& sql, const std::string& alias, int level, const ProductRange& range) {
  std::string where = alias + ".NRNIVEL = " + sql.integerParam(level);
  if (!range.first.empty()) where += " AND " + alias + ".CDARVPROD >= " + sql.textParam(range.first);
  if (!range.last.empty())
    where += " AND SUBSTR(" + alias + ".CDARVPROD, 1, " + sql.integerParam(static_cast<std::int64_t>(range.last.size())) +
             ") <= " + sql.textParam(range.last);
  return where;
}

struct Costing {
  std::string branch;
  std::int64_t costType = 0;
  int level = 0;
  ProductRange range;
};

// FROM and WHERE of the products in range with a cost of the type in the branch,
// P the product and C its cost.
std::string CostedProducts(store::SqlBuilder& sql, const Costing& costing) {
  return "FROM PRODUTO P JOIN CUSTOPRODUTO C ON C.CDPRODUTO = P.CDPRODUTO AND C.CDFILIAL = " +
         sql.textParam(costing.branch) + " AND C.NRTIPOCUSTO = " + sql.integerParam(costing.costType) + " WHERE " +
         ProductFilter(sql, "P", costing.level, costing.range);
}

// CDPRODUTO and the formula's rounded price of every product with a cost; null for a
// cost over `safeCost`, which the check of the base prices then refuses.
SelectBuilder FormulaPrices(const std::vector<FormulaRow>& formula, const Costing& costing,
                            std::optional<double> safeCost) {
  return [&formula, &costing, safeCost](store::SqlBuilder& sql) {
    std::string price = sql.roundPrice(FormulaExpression(sql, "C.VRCUSTO", formula));
    if (safeCost) price = "CASE WHEN C.VRCUSTO <= " + sql.doubleParam(*safeCost) + " THEN " + price + " END";
    return "SELECT C.CDPRODUTO AS CDPRODUTO, " + price + " AS VRPRECOPROD " + CostedProducts(sql, costing);
  };
}

// The highest cost the database may apply the formula to (formula.h), so that it never
// meets an overflow or a division by zero half-way through a statement. Only for a
// formula that is not safe even at cost 0 are the costs read: one that the lowest or
// the highest cost in range takes out of the finite numbers is refused, one that stays
// finite there does for every product between them, and needs no bound.
std::optional<double> SafeCostBound(store::Connection& c, const std::vector<FormulaRow>& formula,
                                    const Costing& costing) {
  if (auto safe = LargestSafeCost(formula)) return safe;
  store::SqlBuilder sql(c.backend());
  std::string statement = "SELECT MIN(C.VRCUSTO), MAX(C.VRCUSTO) " + CostedProducts(sql, costing);
  bool computable = true;
  c.query(statement, sql.params(), [&](const store::Row& row) {
    for (int col = 0; col < 2; ++col)
      if (!row.isNull(col) && !FormulaStaysFinite(row.real(col), formula)) computable = false;
  });
  if (!computable) throw Refusal(PricesOverCeiling());
  return std::nullopt;
}

void RefuseNoProducts(const Costing& costing) {
  throw Refusal("Nenhum produto da faixa escolhida tem custo do tipo " + std::to_string(costing.costType) +
                " na filial " + costing.branch + ".");
}

bool ReadAllCustomers(const std::string& flag) {
  if (flag == "T") return true;
  if (flag.empty()) return false;
  throw Refusal("Indicador de todos os clientes inválido: '" + ShownValue(flag) + "'.");
}

std::vector<FormulaRow> RequireFormula(store::Connection& c, const std::string& customer, const char* whose) {
  std::vector<FormulaRow> formula = LoadFormula(c, customer);
  if (formula.empty()) throw Refusal(std::string(whose) + " sem fórmula de composição de preço cadastrada.");
  return formula;
}

// The customer with every base price, in product order.
std::string CustomerTimesBasePrices(store::SqlBuilder& sql, const std::string& customer) {
  return "SELECT " + sql.textParam(customer) + " AS CDCLIENTE, B.CDPRODUTO, B.VRPRECOPROD, " +
         sql.dateParam(std::nullopt) + " AS DTVALINI, " + sql.dateParam(std::nullopt) + " AS DTVALFIN FROM " +
         kBasePriceTable + " B";
}

// Every target customer with every base price, in key order.
PriceSet TargetsTimesBasePrices(bool overwrite, bool keepDates, std::optional<std::string> start,
                                std::optional<std::string> end) {
  PriceSet set;
  set.select = [start, end](store::SqlBuilder& sql) {
    return "SELECT A.CDCLIENTE AS CDCLIENTE, B.CDPRODUTO AS CDPRODUTO, B.VRPRECOPROD AS VRPRECOPROD, " +
           sql.dateParam(start) + " AS DTVALINI, " + sql.dateParam(end) + " AS DTVALFIN FROM " + kTargetTable +
           " A CROSS JOIN " + kBasePriceTable + " B";
  };
  set.overwrite = overwrite;
  set.keepDates = keepDates;
  set.origin = store::kHistoryCopy;
  return set;
}

// The targets' formulas as they stand, kept under the batch as version "A" (before the
// copy) or "N" (after it), so an undo can give them back.
void KeepTargetFormulas(store::Connection& c, std::int64_t batch, const char* version) {
  c.execute(std::string("INSERT INTO COMPPRECLIELOTE (NRLOTE, CDCLIENTE, IDVERSAO, CDFATPRECO, NRORDEMFAT, IDDETFATPRE, "
                        "VRFATPRECLIE, IDTPOPERFATCLIE) SELECT CAST($1 AS BIGINT), F.CDCLIENTE, CAST($2 AS CHAR(1)), "
                        "F.CDFATPRECO, F.NRORDEMFAT, F.IDDETFATPRE, F.VRFATPRECLIE, F.IDTPOPERFATCLIE FROM COMPPRECLIE F "
                        "WHERE F.CDCLIENTE IN (SELECT CDCLIENTE FROM ") +
                kTargetTable + ")",
            {batch, std::string(version)});
}

// The leaf products of the range, to tell how many a command skips.
std::int64_t ProductsInRange(store::Connection& c, int level, const ProductRange& range) {
  store::SqlBuilder sql(c.backend());
  std::string statement = "SELECT COUNT(*) FROM PRODUTO P WHERE " + ProductFilter(sql, "P", level, range);
  return c.queryInteger(statement, sql.params()).value_or(0);
}

void CopyFormulaToTargets(store::Connection& c, const std::string& source) {
  c.execute(std::string("DELETE FROM COMPPRECLIE WHERE CDCLIENTE IN (SELECT CDCLIENTE FROM ") + kTargetTable + ")");
  c.execute(std::string("INSERT INTO COMPPRECLIE (CDCLIENTE, CDFATPRECO, NRORDEMFAT, IDDETFATPRE, VRFATPRECLIE, "
                        "IDTPOPERFATCLIE) SELECT A.CDCLIENTE, F.CDFATPRECO, F.NRORDEMFAT, F.IDDETFATPRE, "
                        "F.VRFATPRECLIE, F.IDTPOPERFATCLIE FROM ") +
                kTargetTable + " A CROSS JOIN COMPPRECLIE F WHERE F.CDCLIENTE = $1",
            {source});
}

void CalcCusProdWork(store::Connection& c, PriceRun& run, const contract::CalcCusProdArgs& a) {
  const std::string& customer = a.CdCliente;
  Costing costing{a.CdFilial, a.NrTipoCusto, ReadLevels(a.TtNiveis), ReadProductRange(a.CdArvProdIni, a.CdArvProdFin)};
  bool overwrite = ReadYesNo(a.Substitui, "Indicador de substituição");
  RequireCustomer(c, customer);
  RequireBranch(c, costing.branch);
  RequireCostType(c, costing.costType);
  std::vector<FormulaRow> formula = RequireFormula(c, customer, "Cliente");
  std::int64_t products = FillBasePrices(c, FormulaPrices(formula, costing, SafeCostBound(c, formula, costing)));
  if (products == 0) RefuseNoProducts(costing);
  if (run.preview()) run.Consider(ProductsInRange(c, costing.level, costing.range), products, 1);
  if (!run.SoundBasePrices(c, overwrite ? nullptr : &customer, &customer)) return;
  PriceSet set;
  set.select = [&](store::SqlBuilder& sql) { return CustomerTimesBasePrices(sql, customer); };
  set.slice = [&](store::SqlBuilder& sql, std::int64_t from, std::int64_t to) {
    return CustomerTimesBasePrices(sql, customer) + " WHERE " + RowidSlice(sql, "B", from, to);
  };
  set.rows = products;
  set.sliceBounds = [&](store::SqlBuilder& sql, std::int64_t from, std::int64_t to) {
    return RowidSliceBounds(sql, kBasePriceTable, "", customer, from, to);
  };
  set.overwrite = overwrite;
  set.keepDates = true;
  set.origin = store::kHistoryRecalc;
  set.referencesRead = true;  // the customer required above, the products joined by the base prices
  run.Open(c, store::kHistoryRecalc, customer);
  run.Close(c, run.Write(c, set));
}

void CopiaDadosWork(store::Connection& c, PriceRun& run, const contract::CopiaDadosArgs& a) {
  const std::string& source = a.CdCliente;
  Costing costing{a.CdFilial, a.NrTipoCusto, ReadLevels(a.TtNiveis), ReadProductRange(a.CdArvProdIni, a.CdArvProdFin)};
  bool all = ReadAllCustomers(a.TodosClientes);
  RequireCustomer(c, source);
  RequireBranch(c, costing.branch);
  RequireCostType(c, costing.costType);
  std::vector<FormulaRow> formula = RequireFormula(c, source, "Cliente de origem");
  std::size_t targets = FillCopyTargets(c, source, all, a.ListaClientes);
  std::int64_t products = FillBasePrices(c, FormulaPrices(formula, costing, SafeCostBound(c, formula, costing)));
  if (products == 0) RefuseNoProducts(costing);
  if (run.preview())
    run.Consider(ProductsInRange(c, costing.level, costing.range), products, static_cast<std::int64_t>(targets));
  if (!run.SoundBasePrices(c, nullptr)) return;
  run.Open(c, store::kHistoryCopy, source);
  // Prices before formulas, as the undo takes them back: two writes never wait on each
  // other's rows in the opposite order.
  std::int64_t written = run.Write(c, TargetsTimesBasePrices(true, true, std::nullopt, std::nullopt));
  if (!run.preview()) {
    LockFormulaCustomers(c, std::string("SELECT CDCLIENTE FROM ") + kTargetTable, {});
    KeepTargetFormulas(c, run.batch(), "A");
    CopyFormulaToTargets(c, source);
    KeepTargetFormulas(c, run.batch(), "N");
  }
  run.Close(c, written);
}

void CopiaPrecoWork(store::Connection& c, PriceRun& run, const contract::CopiaPrecoArgs& a) {
  const std::string& source = a.CdCliente;
  int level = ReadLevels(a.TtNiveis);
  ProductRange range = ReadProductRange(a.CdArvProdIni, a.CdArvProdFin);
  bool all = ReadAllCustomers(a.TodosClientes);
  auto startDate = ReadValidityDate(a.DtValIni, "Data inicial");
  auto endDate = ReadValidityDate(a.DtValFin, "Data final");
  CheckValidityPeriod(startDate, endDate);
  bool overwrite = ReadYesNo(a.Substitui, "Indicador de substituição");
  RequireCustomer(c, source);
  RequireBranch(c, a.CdFilial);
  std::size_t targets = FillCopyTargets(c, source, all, a.ListaClientes);
  SelectBuilder sourcePrices = [&](store::SqlBuilder& sql) {
    std::string customer = sql.textParam(source);
    return "SELECT T.CDPRODUTO AS CDPRODUTO, T.VRPRECOPROD AS VRPRECOPROD FROM TABPRECLIE T JOIN PRODUTO P ON "
           "P.CDPRODUTO = T.CDPRODUTO WHERE T.CDCLIENTE = " +
           customer + " AND " + ProductFilter(sql, "P", level, range);
  };
  std::int64_t products = FillBasePrices(c, sourcePrices);
  if (products == 0) throw Refusal("O cliente de origem não tem preço especial nos produtos escolhidos.");
  if (run.preview()) run.Consider(ProductsInRange(c, level, range), products, static_cast<std::int64_t>(targets));
  if (!run.SoundBasePrices(c, nullptr)) return;
  run.Open(c, store::kHistoryCopy, source);
  run.Close(c, run.Write(c, TargetsTimesBasePrices(overwrite, false, startDate, endDate)));
}

// The command as a write (committed, answering what it wrote over since its preview)
// or as a preview (rolled back, answering what it would do and the history's position).
template <typename Work>
contract::RunReply Write(store::Connection& c, Work&& work) {
  contract::RunReply reply;
  RunWrite(c, [&](PriceRun& run) {
    work(run);
    reply = ChangedSincePreview(c, run.batch());
  });
  return reply;
}
template <typename Work>
contract::PreviewReply Preview(store::Connection& c, Work&& work) {
  PriceRun run(true);
  std::int64_t mark = 0;
  RunRolledBack(c, [&] {
    work(run);
    mark = HistoryMark(c);
  });
  contract::PreviewReply reply = run.Answer();
  reply.record.historyMark = mark;
  return reply;
}

}  // namespace

contract::RunReply SetCalcCusProd(store::Connection& c, const contract::CalcCusProdArgs& a) {
  return Write(c, [&](PriceRun& run) { CalcCusProdWork(c, run, a); });
}

contract::PreviewReply GetPreviaCalcCusProd(store::Connection& c, const contract::CalcCusProdArgs& a) {
  return Preview(c, [&](PriceRun& run) { CalcCusProdWork(c, run, a); });
}

contract::RunReply SetCopiaDados(store::Connection& c, const contract::CopiaDadosArgs& a) {
  return Write(c, [&](PriceRun& run) { CopiaDadosWork(c, run, a); });
}

contract::PreviewReply GetPreviaCopiaDados(store::Connection& c, const contract::CopiaDadosArgs& a) {
  return Preview(c, [&](PriceRun& run) { CopiaDadosWork(c, run, a); });
}

contract::RunReply SetCopiaPreco(store::Connection& c, const contract::CopiaPrecoArgs& a) {
  return Write(c, [&](PriceRun& run) { CopiaPrecoWork(c, run, a); });
}

contract::PreviewReply GetPreviaCopiaPreco(store::Connection& c, const contract::CopiaPrecoArgs& a) {
  return Preview(c, [&](PriceRun& run) { CopiaPrecoWork(c, run, a); });
}

}  // namespace server::modules::tab_pre_clie
