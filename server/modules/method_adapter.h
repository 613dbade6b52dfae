#pragma once
// Implement<M>: the listener's handler of the declared method M
// (contracts/server/*_methods.h) over a typed implementation.
//
//   Implement<contracts::server::GetPrecoProd>(store, &tab_pre_clie::GetPrecoProd)
//
// The implementation's type follows from the declaration, so a mismatch does not
// compile: a store::Connection&, then one parameter per argument the server reads, in
// order (a text as const std::string&, an integer as std::int64_t, a double as double,
// a variant as const platform::Variant&, a "var" text as std::string&, whose value
// after the call goes back to the client); the arguments declared Unused are not passed
// at all. It returns the data part: void for none, a PacketPtr, or a PacketAndText.
//
// The handler checks the params against the contract by name (count and kinds, as the
// dispatcher does), leases a connection for the call, and answers the success envelope
// with the data part, which must have the declared packet columns. A business refusal,
// a database failure or any other platform::Exception becomes a failure envelope with
// a Portuguese text; the "var" params then stay as they came.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "contracts/server/methods.h"
#include "platform/core/exceptions.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/variant.h"
#include "server/modules/data_modules.h"
#include "server/store/connection.h"
#include "server/store/store.h"

namespace server::modules {

using PacketPtr = std::shared_ptr<const platform::DataPacket>;

struct PacketAndText {
  PacketPtr packet;
  std::string text;
};

// A method body over checked params: returns the data part of the envelope.
using MethodBody = std::function<platform::Variant(store::Connection&, std::vector<platform::Variant>& params)>;

// The entry of `method` answering through `body` as described above.
MethodEntry GuardedEntry(std::shared_ptr<const contracts::server::MethodSpec> method, store::Store& store,
                         MethodBody body);

// Raises when `packet` is missing or has other columns than the method declares.
void RequireDeclaredColumns(const contracts::server::MethodSpec& method, const PacketPtr& packet);

namespace adapter {

template <class Param>
auto ReadParam(const platform::Variant& value) {
  using contracts::server::ArgKind;
  if constexpr (Param::kind == ArgKind::String)
    return std::tuple<const std::string&>(value.asString());
  else if constexpr (Param::kind == ArgKind::Integer)
    return std::tuple<std::int64_t>(value.asInteger());
  else if constexpr (Param::kind == ArgKind::Double)
    return std::tuple<double>(value.asDouble());
  else
    return std::tuple<const platform::Variant&>(value);
}

// The implementation's arguments for one param: none when unused.
template <class Param>
auto PassParam(const platform::Variant& value, std::string& variable) {
  if constexpr (!Param::read)
    return std::tuple<>();
  else if constexpr (Param::byRef)
    return std::tuple<std::string&>(variable);
  else
    return ReadParam<Param>(value);
}

template <class Data>
struct ResultOf {
  using type = void;
};
template <contracts::server::ColumnsOf Columns>
struct ResultOf<contracts::server::PacketOf<Columns>> {
  using type = PacketPtr;
};
template <contracts::server::ColumnsOf Columns>
struct ResultOf<contracts::server::PacketAndTextOf<Columns>> {
  using type = PacketAndText;
};

template <class Result, class Passed>
struct FunctionOf;
template <class Result, class... Passed>
struct FunctionOf<Result, std::tuple<Passed...>> {
  using type = Result(store::Connection&, Passed...);
};

template <class... Params>
using PassedOf = decltype(std::tuple_cat(
    std::declval<decltype(PassParam<Params>(std::declval<const platform::Variant&>(), std::declval<std::string&>()))>()...));

template <class M, class List>
struct ImplementationOf;
template <class M, class... Params>
struct ImplementationOf<M, contracts::server::ParamList<Params...>> {
  using type = typename FunctionOf<typename ResultOf<typename M::DataPart>::type, PassedOf<Params...>>::type;
};

template <class M>
using Implementation = typename ImplementationOf<M, typename M::Arguments>::type;

template <class M>
platform::Variant DataPart(const contracts::server::MethodSpec& method, typename ResultOf<typename M::DataPart>::type result) {
  if constexpr (std::is_same_v<decltype(result), PacketPtr>) {
    RequireDeclaredColumns(method, result);
    return platform::Variant(std::move(result));
  } else {
    RequireDeclaredColumns(method, result.packet);
    return platform::VarArrayOf({platform::Variant(std::move(result.packet)), std::move(result.text)});
  }
}

// A "var" text the implementation reads goes in as a variable of its own and comes
// back into the params when the call succeeds.
template <class Param>
void TakeVariable(const platform::Variant& value, std::string& variable) {
  if constexpr (Param::byRef && Param::read) variable = value.asString();
}
template <class Param>
void GiveBack(platform::Variant& value, std::string& variable) {
  if constexpr (Param::byRef && Param::read) value = platform::Variant(std::move(variable));
}

template <class M, class... Params, std::size_t... I>
platform::Variant Run(const contracts::server::MethodSpec& method, Implementation<M>* implementation,
                      store::Connection& c, std::vector<platform::Variant>& params,
                      contracts::server::ParamList<Params...>, std::index_sequence<I...>) {
  std::array<std::string, sizeof...(Params)> variables;
  (TakeVariable<Params>(params[I], variables[I]), ...);
  auto arguments = std::tuple_cat(std::tuple<store::Connection&>(c), PassParam<Params>(params[I], variables[I])...);
  if constexpr (std::is_void_v<typename ResultOf<typename M::DataPart>::type>) {
    std::apply(implementation, std::move(arguments));
    (GiveBack<Params>(params[I], variables[I]), ...);
    return platform::Variant();
  } else {
    platform::Variant data = DataPart<M>(method, std::apply(implementation, std::move(arguments)));
    (GiveBack<Params>(params[I], variables[I]), ...);
    return data;
  }
}

template <class M, class... Params>
platform::Variant Run(const contracts::server::MethodSpec& method, Implementation<M>* implementation,
                      store::Connection& c, std::vector<platform::Variant>& params,
                      contracts::server::ParamList<Params...> list) {
  return Run<M>(method, implementation, c, params, list, std::index_sequence_for<Params...>{});
}

}  // namespace adapter

// The implementation's function type for the declared method M.
template <class M>
using Implementation = adapter::Implementation<M>;

template <class M>
MethodEntry Implement(store::Store& store, Implementation<M>* implementation) {
  auto method = std::make_shared<const contracts::server::MethodSpec>(contracts::server::SpecOf<M>());
  return GuardedEntry(method, store, [method, implementation](store::Connection& c, std::vector<platform::Variant>& params) {
    return adapter::Run<M>(*method, implementation, c, params, typename M::Arguments{});
  });
}

}  // namespace server::modules
