#pragma once
// Implement<M>: the listener's handler of the declared method M
// (contracts/server/*_methods.h) over a typed implementation.
//
//   Implement<contracts::server::GetPrecoProd>(store, &tab_pre_clie::GetPrecoProd)
//
// The implementation takes a store::Connection& and the method's argument record
// (contracts::server::ArgsOf<M>, by reference; const when it changes no "var" text),
// filled with the arguments the server reads; a method that reads none takes the
// connection alone. It returns the data part as a value (ReplyOf: void, a PacketPtr,
// a PacketAndText or a PacketAnd<record>), or, for a method declared with an aside
// and no data part, the aside; a mismatch does not compile. The "var" texts
// the record holds after the call go back to the client.
//
// The handler checks the params against the contract by name (count and kinds, as the
// dispatcher does), leases a connection for the call, and answers the success envelope
// with the data part, which must have the declared packet columns. A business refusal,
// a database failure or any other platform::Exception becomes a failure envelope with
// a Portuguese text; the "var" params then stay as they came.
//
// A call of a method that writes (access/method_permissions.h) that carries an id is
// applied once (store/applied_call.h): a repetition of a sending that was applied gets
// the envelope and "var" params that sending answered, without running again.
#include <functional>
#include <memory>
#include <string>
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

using PacketPtr = contracts::server::PacketPtr;
using PacketAndText = contracts::server::PacketAndText;

// What a method body answers: the data part of the envelope and its aside (Empty:
// none).
struct BodyAnswer {
  platform::Variant data;
  platform::Variant aside;
};
// A method body over checked params.
using MethodBody = std::function<BodyAnswer(store::Connection&, std::vector<platform::Variant>& params)>;

// What M's implementation returns: its aside when it declares one, else its data part.
template <class M>
using ImplementationReply =
    std::conditional_t<std::is_void_v<contracts::server::AsideOfMethod<M>>, contracts::server::ReplyOfMethod<M>,
                       contracts::server::AsideOfMethod<M>>;

// The entry of `method` answering through `body` as described above.
MethodEntry GuardedEntry(std::shared_ptr<const contracts::server::MethodSpec> method, store::Store& store,
                         MethodBody body);

namespace adapter {

template <class Param, class Record>
void Fill(Record& record, const platform::Variant& value) {
  if constexpr (Param::read) {
    using Type = typename Param::type;
    if constexpr (std::is_same_v<Type, std::string>)
      record.*Param::member = value.asString();
    else if constexpr (std::is_same_v<Type, std::int64_t>)
      record.*Param::member = value.asInteger();
    else if constexpr (std::is_same_v<Type, double>)
      record.*Param::member = value.asDouble();
    else
      record.*Param::member = value;
  }
}

// A "var" text the implementation read goes back into the params.
template <class Param, class Record>
void GiveBack(const Record& record, platform::Variant& value) {
  if constexpr (Param::byRef && Param::read) value = platform::Variant(record.*Param::member);
}

template <class M, class F>
auto Invoke(F implementation, store::Connection& c, contracts::server::ArgsOf<M>& args) {
  if constexpr (std::is_same_v<contracts::server::ArgsOf<M>, contracts::server::NoArgs>)
    return implementation(c);
  else
    return implementation(c, args);
}

template <class M, class F, class... Params, std::size_t... I>
BodyAnswer Run(const contracts::server::MethodSpec& method, F implementation, store::Connection& c,
                      std::vector<platform::Variant>& params, contracts::server::ParamList<Params...>,
                      std::index_sequence<I...>) {
  using Data = typename M::DataPart;
  using Aside = typename M::AsidePart;
  contracts::server::ArgsOf<M> args{};
  (Fill<Params>(args, params[I]), ...);
  BodyAnswer answer;
  if constexpr (!std::is_void_v<contracts::server::ReplyOf<Aside>>) {
    static_assert(std::is_void_v<contracts::server::ReplyOf<Data>>, "a method with an aside answers no data part");
    answer.aside = contracts::server::EncodeReply<Aside>(Invoke<M>(implementation, c, args), method.address());
  } else if constexpr (std::is_void_v<contracts::server::ReplyOf<Data>>) {
    Invoke<M>(implementation, c, args);
  } else {
    answer.data = contracts::server::EncodeReply<Data>(Invoke<M>(implementation, c, args), method.address());
  }
  (GiveBack<Params>(args, params[I]), ...);
  return answer;
}

template <class M, class F, class... Params>
BodyAnswer Run(const contracts::server::MethodSpec& method, F implementation, store::Connection& c,
                      std::vector<platform::Variant>& params, contracts::server::ParamList<Params...> list) {
  return Run<M>(method, implementation, c, params, list, std::index_sequence_for<Params...>{});
}

}  // namespace adapter

// Whether F implements M as described above.
template <class M, class F>
constexpr bool Implements() {
  using Args = contracts::server::ArgsOf<M>;
  using Reply = ImplementationReply<M>;
  if constexpr (std::is_same_v<Args, contracts::server::NoArgs>) {
    if constexpr (std::is_invocable_v<F, store::Connection&>)
      return std::is_same_v<std::invoke_result_t<F, store::Connection&>, Reply>;
    else
      return false;
  } else if constexpr (std::is_invocable_v<F, store::Connection&, Args&>) {
    return std::is_same_v<std::invoke_result_t<F, store::Connection&, Args&>, Reply>;
  } else {
    return false;
  }
}

template <class M, class F>
MethodEntry Implement(store::Store& store, F implementation) {
  static_assert(Implements<M, F>(), "the implementation takes the connection and the method's argument record and "
                                    "answers its data part");
  auto method = std::make_shared<const contracts::server::MethodSpec>(contracts::server::SpecOf<M>());
  auto body = [method, implementation](store::Connection& c, std::vector<platform::Variant>& params) {
    return adapter::Run<M>(*method, implementation, c, params, typename M::Arguments{});
  };
  return GuardedEntry(method, store, std::move(body));
}

}  // namespace server::modules
