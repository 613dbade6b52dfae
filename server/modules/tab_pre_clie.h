#pragma once
// rdmTabPreClie: the remote data module of customer special prices.
//
// Each method implements its declaration (contracts/server/tab_pre_clie_methods.h):
// it receives a connection of its own and the arguments the server reads, in the
// contract's order (already checked for count and kinds; "var" texts as variables),
// and returns the data part of its result envelope. A business refusal raises
// Refusal: its transaction has been rolled back, nothing of the call is written, and
// the connection stays usable. Writes record every price change in TABPRECLIEHIST.
#include <cstdint>
#include <string>

#include "platform/variant/variant.h"
#include "server/modules/method_adapter.h"
#include "server/store/connection.h"

namespace server::modules::tab_pre_clie {

// Filter "T": every customer by corporate name; "": the customer whose registration
// number has the digits of `registration` (an empty packet when none).
PacketPtr GetPesqCliente(store::Connection& c, const std::string& registration, const std::string& filter);
// Filter "": the customer with that code (an empty packet when none); "T": all.
PacketPtr GetCDCliente(store::Connection& c, const std::string& customer, const std::string& filter);
// Every product of level `levels`, by CDARVPROD, with the customer's price and dates or nulls.
PacketPtr GetPrecoProd(store::Connection& c, const std::string& customer, std::int64_t levels);
// Price > 0 stores price and dates; price 0 with both dates empty removes the price.
void SetTabPreClie(store::Connection& c, const std::string& customer, const std::string& product, double price,
                   const std::string& start, const std::string& end, const std::string& flag);
// The formula rows and the formula text.
PacketAndText GetFatPreClie(store::Connection& c, std::string& customer, const std::string& costLabel);
// Applies a delta of formula rows; answers the formula rows and text after it.
PacketAndText SetCompPreco(store::Connection& c, const platform::Variant& delta, std::string& customer,
                           const std::string& costLabel);

// Prices the customer's leaf products in the code range `first`..`last` that have a
// cost of `costType` in `branch`; `replace` "S" prices every such product, "N" only
// those without a price.
void SetCalcCusProd(store::Connection& c, const std::string& branch, std::string& customer, std::int64_t levels,
                    std::int64_t costType, const std::string& first, const std::string& last,
                    const std::string& replace);

// Every customer by corporate name, none marked.
PacketPtr GetPesqClieLista(store::Connection& c);

// The targets (all but the source when `allCustomers` is "T", else those of
// `customerList`) get the source's formula and prices worked out from it.
void SetCopiaDados(store::Connection& c, const std::string& branch, std::string& source, std::int64_t levels,
                   std::string& allCustomers, std::string& customerList, std::int64_t costType,
                   const std::string& first, const std::string& last);

// The source's special prices in the range go to the targets with the validity
// dates; `replace` "S" overwrites the targets' prices, "N" keeps them. The copy is
// made for a registered branch, like every write of many prices.
void SetCopiaPreco(store::Connection& c, const std::string& branch, std::string& source, std::int64_t levels,
                   std::string& allCustomers, std::string& customerList, const std::string& start,
                   const std::string& end, std::string& replace, const std::string& first, const std::string& last);

// What SetCalcCusProd, SetCopiaDados and SetCopiaPreco would do with the same
// arguments, without writing anything: [rows, summary] (contracts/server).
PacketAndText GetPreviaCalcCusProd(store::Connection& c, const std::string& branch, std::string& customer,
                                   std::int64_t levels, std::int64_t costType, const std::string& first,
                                   const std::string& last, const std::string& replace);
PacketAndText GetPreviaCopiaDados(store::Connection& c, const std::string& branch, std::string& source,
                                  std::int64_t levels, std::string& allCustomers, std::string& customerList,
                                  std::int64_t costType, const std::string& first, const std::string& last);
PacketAndText GetPreviaCopiaPreco(store::Connection& c, const std::string& branch, std::string& source,
                                  std::int64_t levels, std::string& allCustomers, std::string& customerList,
                                  const std::string& start, const std::string& end, std::string& replace,
                                  const std::string& first, const std::string& last);

// One page of the customer's price history, newest first (contracts/server).
PacketPtr GetHistPreco(store::Connection& c, const std::string& customer, const std::string& product,
                       const std::string& before, std::int64_t beforeSequence, std::int64_t rows);
// The batch with that number; an unknown batch is refused.
PacketPtr GetLotePreco(store::Connection& c, std::int64_t batch);
// Takes back a recalculation or copy: [kept rows, number restored].
PacketAndText SetDesfazLote(store::Connection& c, std::int64_t batch);

}  // namespace server::modules::tab_pre_clie
