#pragma once
// How a remote method is declared, once, for the client and the server:
//
//   struct GetPrecoProd : Method<TabPreClie, "GetPrecoProd", PacketOf<PriceColumns>,
//                                Arg<"CdCliente", Text>, Arg<"TtNiveis", Int32>> {};
//
// A declaration names the data module, the method, its data part and its arguments in
// order. Each argument has a name, a kind (Text, Int32, Double, AnyValue) and may be
// "var" (VarText: a text the caller passes as a variable, sent back after the call). An
// argument the server does not read carries Unused<"why"> instead of being read by
// mistake: the server's implementation receives only the arguments it reads.
//
// From a declaration come the runtime description the dispatcher checks calls against
// (MethodSpec, methods.h), the client's typed call, which takes exactly the declared
// kinds (Accepts below), and the server's handler (server/modules/method_adapter.h).
#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/variant/data_packet.h"
#include "platform/variant/variant.h"

namespace contracts::server {

// A text known at compile time, usable as a template argument ("GetPrecoProd").
template <std::size_t N>
struct Literal {
  char chars[N]{};
  constexpr Literal(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) chars[i] = text[i];
  }
  constexpr std::string_view view() const { return {chars, N - 1}; }
};

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

struct Text {
  static constexpr ArgKind kind = ArgKind::String;
};
struct Int32 {
  static constexpr ArgKind kind = ArgKind::Integer;
};
struct Double {
  static constexpr ArgKind kind = ArgKind::Double;
};
struct AnyValue {
  static constexpr ArgKind kind = ArgKind::Variant;
};

// The server reads the argument.
struct Read {
  static constexpr bool read = true;
  static constexpr std::string_view reason{};
};
// The server does not read the argument, for the reason given in words.
template <Literal Reason>
struct Unused {
  static_assert(Reason.view().size() > 0, "say why the argument is not read");
  static constexpr bool read = false;
  static constexpr std::string_view reason = Reason.view();
};

template <Literal Name, class Kind, class Use = Read>
struct Arg {
  static constexpr std::string_view name = Name.view();
  static constexpr ArgKind kind = Kind::kind;
  static constexpr bool byRef = false;
  static constexpr bool read = Use::read;
  static constexpr std::string_view unusedReason = Use::reason;
};

// A "var" text: the caller's variable goes out and receives the value the method left.
template <Literal Name, class Use = Read>
struct VarText : Arg<Name, Text, Use> {
  static constexpr bool byRef = true;
};

// ---------------------------------------------------------------------------------
// Data parts of the success envelope

enum class DataKind { None, Packet, PacketAndText };
using ColumnsOf = const std::vector<platform::ColumnDef>& (*)();

struct NoData {
  static constexpr DataKind kind = DataKind::None;
  static constexpr ColumnsOf columns = nullptr;
};
// A data packet with these columns.
template <ColumnsOf Columns>
struct PacketOf {
  static constexpr DataKind kind = DataKind::Packet;
  static constexpr ColumnsOf columns = Columns;
};
// The array [packet with these columns, text].
template <ColumnsOf Columns>
struct PacketAndTextOf {
  static constexpr DataKind kind = DataKind::PacketAndText;
  static constexpr ColumnsOf columns = Columns;
};

// ---------------------------------------------------------------------------------
// What a typed call takes for each argument: a text takes std::string or a string
// literal; an Int32 an int (not a bool, not a double); a Double a double; an AnyValue
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
  else if constexpr (Param::kind == ArgKind::Integer) return std::same_as<std::remove_cvref_t<A>, int>;
  else if constexpr (Param::kind == ArgKind::Double) return std::same_as<std::remove_cvref_t<A>, double>;
  else return std::same_as<std::remove_cvref_t<A>, platform::Variant>;
}

// The arguments of a method, as a type.
template <class... Params>
struct ParamList {};

template <class Module, Literal Name, class Data, class... Params>
struct Method {
  static constexpr std::string_view module = Module::name;
  static constexpr std::string_view name = Name.view();
  using DataPart = Data;
  using Arguments = ParamList<Params...>;

  template <class... A>
  static constexpr bool Accepts() {
    if constexpr (sizeof...(A) != sizeof...(Params)) return false;
    else return (FitsArgument<Params, A>() && ...);
  }
};

// A typed call of M with arguments of types A... fits the declaration.
template <class M, class... A>
concept CallableWith = M::template Accepts<A...>();

// Every method of a list of declarations, as a type.
template <class... Methods>
struct MethodList {};

}  // namespace contracts::server
