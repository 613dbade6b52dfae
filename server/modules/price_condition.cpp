#include "server/modules/price_condition.h"

#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/text/date_time.h"
#include "platform/text/float_format.h"
#include "server/modules/refusal.h"
#include "server/modules/wire_values.h"
#include "server/rpc/coded_refusal.h"

namespace server::modules {
namespace {

using contracts::server::PriceBasis;
using platform::TDateTime;

// A price and its validity as the database holds them (or would, for a basis).
struct PriceState {
  std::optional<double> price;
  std::optional<TDateTime> start;
  std::optional<TDateTime> end;
};

std::optional<TDateTime> BasisDate(const std::string& text, const char* label) {
  auto iso = ReadValidityDate(text, label);
  if (!iso) return std::nullopt;
  return platform::TryISOToDateTime(*iso);
}

PriceState StateOf(const PriceBasis& basis) {
  return {basis.price, BasisDate(basis.start, "Data inicial lida"), BasisDate(basis.end, "Data final lida")};
}

// The price as it stands; with `lock`, also locked on PostgreSQL until the transaction
// ends (one row: there is no order of locks to keep).
PriceState CurrentState(store::Connection& c, const std::string& customer, const std::string& product,
                        bool lock = false) {
  PriceState state;
  const bool forUpdate = lock && c.backend() == store::Backend::PostgreSQL;
  c.query(std::string("SELECT VRPRECOPROD, DTVALINI, DTVALFIN FROM TABPRECLIE WHERE CDCLIENTE = $1 AND CDPRODUTO = $2") +
              (forUpdate ? " FOR UPDATE" : ""),
          {customer, product}, [&](const store::Row& row) {
            state.price = row.real(0);
            state.start = row.date(1);
            state.end = row.date(2);
          });
  return state;
}

// Prices are kept to the third decimal.
bool SamePrice(const std::optional<double>& a, const std::optional<double>& b) {
  if (!a || !b) return !a && !b;
  return std::fabs(*a - *b) < 0.0005;
}

bool Same(const PriceState& a, const PriceState& b) {
  if (!SamePrice(a.price, b.price)) return false;
  if (!a.price) return true;  // no price: no dates either
  return a.start == b.start && a.end == b.end;
}

// "7,000", "7,000 (de 01/01/2026 a 31/12/2026)", "(sem preço)".
std::string Describe(const PriceState& state) {
  if (!state.price) return "(sem preço)";
  std::string text = platform::FormatFloat("###,#0.000", *state.price);
  if (state.start) text += " (de " + platform::DateToStr(*state.start);
  if (state.end) text += " a " + platform::DateToStr(*state.end);
  if (state.start) text += ")";
  return text;
}

// "por maria em 09/12/2026 às 10:42": the last change recorded of the price;
// "por outro usuário" when none names its user.
std::string LastChange(store::Connection& c, const std::string& customer, const std::string& product) {
  std::string user;
  std::optional<TDateTime> when;
  c.query("SELECT CDUSUARIO, DTHRALT FROM TABPRECLIEHIST WHERE CDCLIENTE = $1 AND CDPRODUTO = $2 "
          "ORDER BY NRSEQHIST DESC LIMIT 1",
          {customer, product}, [&](const store::Row& row) {
            if (!row.isNull(0)) user = row.text(0);
            when = row.date(1);
          });
  std::string text = "por " + (user.empty() ? std::string("outro usuário") : user);
  if (when) text += " em " + platform::FormatDateTime("dd/mm/yyyy", *when) + " às " +
                    platform::FormatDateTime("hh:nn", *when);
  return text;
}

[[noreturn]] void Refuse(store::Connection& c, const std::string& customer, const std::string& product,
                         const PriceState& read, const PriceState& now) {
  throw rpc::CodedRefusal(contracts::server::kPriceChanged,
                          "O preço do produto " + product + " foi alterado " + LastChange(c, customer, product) +
                              " de " + Describe(read) + " para " + Describe(now) + ". Nada foi gravado.");
}

}  // namespace

std::optional<PriceBasis> CallPriceBasis(const store::Connection& c) {
  if (c.callCondition().isEmpty()) return std::nullopt;
  try {
    return contracts::server::ReadPriceBasis(c.callCondition());
  } catch (const platform::EVariantError& e) {
    throw Refusal(e.what());
  }
}

void RequirePriceBasis(store::Connection& c, const std::string& customer, const std::string& product,
                       const PriceBasis& basis) {
  PriceState read = StateOf(basis);
  PriceState now = CurrentState(c, customer, product, true);
  if (!Same(read, now)) Refuse(c, customer, product, read, now);
}

void RefuseCreatedMeanwhile(store::Connection& c, const std::string& customer, const std::string& product,
                            const PriceBasis& basis) {
  Refuse(c, customer, product, StateOf(basis), CurrentState(c, customer, product));
}

}  // namespace server::modules
