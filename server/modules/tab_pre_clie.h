#pragma once
// rdmTabPreClie: the remote data module of customer special prices.
//
// Each method receives the call's arguments in the contract's order (already checked
// for count and kinds) and a connection of its own, and returns the data part of its
// result envelope (Empty when the contract gives none). A business refusal raises
// Refusal: its transaction has been rolled back, nothing of the call is written, and
// the connection stays usable. Writes record every price change in TABPRECLIEHIST.
#include <cstdint>
#include <string>

#include "platform/variant/variant.h"
#include "server/store/connection.h"

namespace server::modules::tab_pre_clie {

// Filter "T": every customer by corporate name; "": the customer whose registration
// number has the digits of `registration` (an empty packet when none).
platform::Variant GetPesqCliente(store::Connection& c, const std::string& registration,
                                 const std::string& filter);
// Filter "": the customer with that code (an empty packet when none); "T": all.
platform::Variant GetCDCliente(store::Connection& c, const std::string& customer,
                               const std::string& filter);
// Every product of level `levels`, by CDARVPROD, with the customer's price and dates or nulls.
platform::Variant GetPrecoProd(store::Connection& c, const std::string& customer, std::int64_t levels);
// Price > 0 stores price and dates; price 0 with both dates empty removes the price.
void SetTabPreClie(store::Connection& c, const std::string& customer, const std::string& product,
                   double price, const std::string& start, const std::string& end, const std::string& flag);
// [formula rows packet, formula text].
platform::Variant GetFatPreClie(store::Connection& c, const std::string& customer, const std::string& costLabel);
// Applies a delta of formula rows; answers [formula rows packet, formula text].
platform::Variant SetCompPreco(store::Connection& c, const platform::Variant& delta,
                               const std::string& customer, const std::string& costLabel);

struct RecalcRequest {
  std::string branch;
  std::string customer;
  std::int64_t levels = 0;
  std::int64_t costType = 0;
  std::string first;
  std::string last;
  std::string replace;  // "S" every costed product, "N" only those without a price
};
void SetCalcCusProd(store::Connection& c, const RecalcRequest& request);

// Every customer by corporate name, none marked.
platform::Variant GetPesqClieLista(store::Connection& c, const std::string& customer);

struct CopyFormulaRequest {
  std::string branch;
  std::string source;
  std::int64_t levels = 0;
  std::string allCustomers;  // "T" or ""
  std::string customerList;
  std::int64_t costType = 0;
  std::string first;
  std::string last;
};
void SetCopiaDados(store::Connection& c, const CopyFormulaRequest& request);

struct CopyPriceRequest {
  std::string source;
  std::int64_t levels = 0;
  std::string allCustomers;
  std::string customerList;
  std::string start;
  std::string end;
  std::string replace;  // "S" overwrites the targets' prices, "N" keeps them
  std::string first;
  std::string last;
};
void SetCopiaPreco(store::Connection& c, const CopyPriceRequest& request);

}  // namespace server::modules::tab_pre_clie
