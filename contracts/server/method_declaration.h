#pragma once
// How a remote method is declared, once, for the client and the server:
//
//   struct PriceListArgs {
//     std::string CdCliente;
//     std::int64_t TtNiveis = 0;
//   };
//   struct GetPrecoProd : Method<TabPreClie, "GetPrecoProd", PacketOf<PriceColumns>,
//                                ParamList<Arg<"CdCliente", &PriceListArgs::CdCliente>,
//                                          Arg<"TtNiveis", &PriceListArgs::TtNiveis>>> {};
//
// A declaration names the data module, the method, its data part (data_parts.h) and
// its arguments in order. Each argument the server reads has a name and the member of
// the method's argument record it fills, whose type gives its kind (std::string a
// text, std::int64_t a 64-bit integer on the wire, double a double, platform::Variant
// any value); it may be "var" (VarText: a text the caller passes as a variable, sent
// back after the call). An argument the server does not read is declared
// UnusedArg<"Name", Kind, "why"> or UnusedVarText<"Name", "why"> and fills nothing:
// the server never sees it.
//
// From a declaration come the runtime description the dispatcher checks calls against
// (MethodSpec, methods.h), the client's typed call, which takes exactly the declared
// kinds (Accepts below), and the server's handler, which receives the argument record
// (ArgsOf<M>) filled in and answers the data part as a value
// (server/modules/method_adapter.h).
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "contracts/server/data_parts.h"
#include "platform/variant/variant.h"

namespace contracts::server {

// ---------------------------------------------------------------------------------
// Data modules

struct TabPreClie {
  static constexpr std::string_view name = "rdmTabPreClie";
};
struct CustProd {
  static constexpr std::string_view name = "rdmCustProd";
};
struct Usuario {
  static constexpr std::string_view name = "rdmUsuario";
};

// ---------------------------------------------------------------------------------
// Arguments

enum class ArgKind { String, Integer, Double, Variant };

// The kinds of an argument the server does not read.
struct Text {
  static constexpr ArgKind kind = ArgKind::String;
};
struct Int32 {
  static constexpr ArgKind kind = ArgKind::Integer;
};

// The kind of an argument that fills a member of type T.
template <class T>
constexpr ArgKind KindOfMember() {
  if constexpr (std::is_same_v<T, std::string>) {
    return ArgKind::String;
  } else if constexpr (std::is_same_v<T, std::int64_t>) {
    return ArgKind::Integer;
  } else if constexpr (std::is_same_v<T, double>) {
    return ArgKind::Double;
  } else {
    static_assert(std::is_same_v<T, platform::Variant>, "an argument fills a text, an integer, a number or a variant");
    return ArgKind::Variant;
  }
}

// An argument the server reads into `Member` of the method's argument record.
template <Literal Name, auto Member>
struct Arg {
  using record = typename MemberOf<decltype(Member)>::record;
  using type = typename MemberOf<decltype(Member)>::type;
  static constexpr std::string_view name = Name.view();
  static constexpr ArgKind kind = KindOfMember<type>();
  static constexpr bool byRef = false;
  static constexpr bool read = true;
  static constexpr std::string_view unusedReason{};
  static constexpr auto member = Member;
};

// A "var" text: the caller's variable goes out and receives the value the method left
// in the member.
template <Literal Name, auto Member>
struct VarText : Arg<Name, Member> {
  static_assert(std::is_same_v<typename Arg<Name, Member>::type, std::string>, "a var argument is a text");
  static constexpr bool byRef = true;
};

// An argument the server does not read, for the reason given in words.
template <Literal Name, class Kind, Literal Reason>
struct UnusedArg {
  static_assert(Reason.view().size() > 0, "say why the argument is not read");
  static constexpr std::string_view name = Name.view();
  static constexpr ArgKind kind = Kind::kind;
  static constexpr bool byRef = false;
  static constexpr bool read = false;
  static constexpr std::string_view unusedReason = Reason.view();
};

template <Literal Name, Literal Reason>
struct UnusedVarText : UnusedArg<Name, Text, Reason> {
  static constexpr bool byRef = true;
};

// The arguments of a method, as a type.
template <class... Params>
struct ParamList {};

// The record of a method that reads no argument.
struct NoArgs {};

// The record the read arguments of a list fill.
template <class... Params>
struct RecordOfParams {
  using type = NoArgs;
};
template <class First, class... Rest>
struct RecordOfParams<First, Rest...> {
  using type = typename RecordOfParams<Rest...>::type;
};
template <class First, class... Rest>
  requires(First::read)
struct RecordOfParams<First, Rest...> {
  using type = typename First::record;
};

template <class Record, class Param>
constexpr bool FillsRecord() {
  if constexpr (Param::read) return std::is_same_v<typename Param::record, Record>;
  else return true;
}

// ---------------------------------------------------------------------------------
// What a typed call takes for each argument: a text takes std::string or a string
// literal; an integer an int or a std::int64_t (not a bool, not a double); a double a double; a variant
// a platform::Variant; a "var" text a non-const std::string lvalue. `A` is the type a
// forwarding reference deduces.

template <class A>
concept TextValue = std::same_as<std::remove_cvref_t<A>, std::string> ||
                    (std::is_array_v<std::remove_reference_t<A>> &&
                     std::same_as<std::remove_extent_t<std::remove_reference_t<A>>, const char>);

template <class Param, class A>
constexpr bool FitsArgument() {
  if constexpr (Param::byRef) return std::same_as<A, std::string&>;
  else if constexpr (Param::kind == ArgKind::String) return TextValue<A>;
  else if constexpr (Param::kind == ArgKind::Integer)
    return std::same_as<std::remove_cvref_t<A>, int> || std::same_as<std::remove_cvref_t<A>, std::int64_t>;
  else if constexpr (Param::kind == ArgKind::Double) return std::same_as<std::remove_cvref_t<A>, double>;
  else return std::same_as<std::remove_cvref_t<A>, platform::Variant>;
}

// Aside: what a success answers beside the data part (result_envelope.h), of the
// same kinds as a data part; NoData for none.
template <class Module, Literal Name, class Data, class List, class Aside = NoData>
struct Method;
template <class Module, Literal Name, class Data, class... Params, class Aside>
struct Method<Module, Name, Data, ParamList<Params...>, Aside> {
  static constexpr std::string_view module = Module::name;
  static constexpr std::string_view name = Name.view();
  using DataPart = Data;
  using AsidePart = Aside;
  using Arguments = ParamList<Params...>;
  using Record = typename RecordOfParams<Params...>::type;
  static_assert((FillsRecord<Record, Params>() && ...), "the arguments a method reads fill one record");

  template <class... A>
  static constexpr bool Accepts() {
    if constexpr (sizeof...(A) != sizeof...(Params)) return false;
    else return (FitsArgument<Params, A>() && ...);
  }
};

// The argument record of M; the data part of M as a value.
template <class M>
using ArgsOf = typename M::Record;
template <class M>
using ReplyOfMethod = ReplyOf<typename M::DataPart>;

template <class M>
using AsideOfMethod = ReplyOf<typename M::AsidePart>;

// "rdmTabPreClie.GetPrecoProd": how a call addresses M.
template <class M>
std::string AddressOf() {
  return std::string(M::module) + "." + std::string(M::name);
}

// M's data part as a value, read from the data of its success envelope (data_parts.h).
template <class M>
ReplyOfMethod<M> DecodeReplyOf(const platform::Variant& data) {
  return DecodeReply<typename M::DataPart>(data, AddressOf<M>());
}

// The aside of a success envelope of M, refused (platform::EPacketError naming the
// method) when of another shape than declared.
template <class M>
AsideOfMethod<M> DecodeAsideOf(const platform::Variant& aside) {
  return DecodeReply<typename M::AsidePart>(aside, AddressOf<M>());
}

// A typed call of M with arguments of types A... fits the declaration.
template <class M, class... A>
concept CallableWith = M::template Accepts<A...>();

// Every method of a list of declarations, as a type.
template <class... Methods>
struct MethodList {};

}  // namespace contracts::server
