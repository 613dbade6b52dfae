#pragma once
// The data part of a method's success envelope, declared once with the method
// (method_declaration.h) and made and read by the same code on both sides:
//
//   NoData                               nothing (the envelope's data is Empty)
//   PacketOf<Columns>                    a data packet with those columns
//   PacketAndTextOf<Columns>             [packet, text]
//   PacketAndRecordOf<Columns, Fields>   [packet, record]; the record is the array of
//                                        its fields' values in the order declared
//
//   struct PreviewCounts { std::int64_t created = 0; ... };
//   using PreviewCountFields = RecordFields<Field<"QTCRIADOS", &PreviewCounts::created>, ...>;
//
// ReplyOf<Data> is a data part as a value: void, PacketPtr, PacketAndText or
// PacketAnd<Record>. EncodeReply<Data>(reply, method) makes the data part (the
// server's side), DecodeReply<Data>(data, method) reads it (the client's side). Both
// refuse with a platform::EPacketError naming the method ("rdmTabPreClie.X") a packet
// that is missing or has other columns than declared, and DecodeReply anything of
// another shape: no array where one is due, a record of another length, a field of
// another kind. A record field is an integer (std::int64_t), a number (double) or a
// text (std::string).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/core/exceptions.h"
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

// The class and the type of a pointer to a data member.
template <class Pointer>
struct MemberOf;
template <class Class, class Type>
struct MemberOf<Type Class::*> {
  using record = Class;
  using type = Type;
};

using PacketPtr = std::shared_ptr<const platform::DataPacket>;
using ColumnsOf = const std::vector<platform::ColumnDef>& (*)();

struct PacketAndText {
  PacketPtr packet;
  std::string text;
};

template <class Record>
struct PacketAnd {
  PacketPtr packet;
  Record record;
};

// ---------------------------------------------------------------------------------
// Records

template <Literal Name, auto Member>
struct Field {
  static constexpr std::string_view name = Name.view();
  static constexpr auto member = Member;
  using type = typename MemberOf<decltype(Member)>::type;
  static_assert(std::is_same_v<type, std::int64_t> || std::is_same_v<type, double> ||
                    std::is_same_v<type, std::string>,
                "a record field is an integer, a number or a text");
};

template <class First, class... Rest>
struct RecordFields {
  using record = typename MemberOf<std::remove_cv_t<decltype(First::member)>>::record;
  static_assert((std::is_same_v<record, typename MemberOf<std::remove_cv_t<decltype(Rest::member)>>::record> && ...),
                "the fields of a record belong to one struct");
  static constexpr std::size_t size = 1 + sizeof...(Rest);

  static platform::Variant Encode(const record& value) {
    return platform::VarArrayOf({platform::Variant(value.*First::member), platform::Variant(value.*Rest::member)...});
  }
  static record Decode(const platform::Variant& data, std::string_view method);
};

// ---------------------------------------------------------------------------------
// Data parts

enum class DataKind { None, Packet, PacketAndText, PacketAndRecord };

struct NoData {
  static constexpr DataKind kind = DataKind::None;
  static constexpr ColumnsOf columns = nullptr;
  using reply = void;
};
// A data packet with these columns.
template <ColumnsOf Columns>
struct PacketOf {
  static constexpr DataKind kind = DataKind::Packet;
  static constexpr ColumnsOf columns = Columns;
  using reply = PacketPtr;
};
// The array [packet with these columns, text].
template <ColumnsOf Columns>
struct PacketAndTextOf {
  static constexpr DataKind kind = DataKind::PacketAndText;
  static constexpr ColumnsOf columns = Columns;
  using reply = PacketAndText;
};
// The array [packet with these columns, record of these fields].
template <ColumnsOf Columns, class Fields>
struct PacketAndRecordOf {
  static constexpr DataKind kind = DataKind::PacketAndRecord;
  static constexpr ColumnsOf columns = Columns;
  using fields = Fields;
  using reply = PacketAnd<typename Fields::record>;
};

template <class Data>
using ReplyOf = typename Data::reply;

// The packet of a data part, refused when missing or of other columns than `columns`.
const PacketPtr& DeclaredPacket(const PacketPtr& packet, ColumnsOf columns, std::string_view method);
// The elements of a data part that must be an array of `size` values.
const platform::Variant::Array& DataArray(const platform::Variant& data, std::size_t size, std::string_view method);
// A record field's value, refused when of another kind than T.
template <class T>
T FieldValue(const platform::Variant& value, std::string_view field, std::string_view method);

template <class Data>
platform::Variant EncodeReply(const ReplyOf<Data>& reply, std::string_view method) {
  if constexpr (Data::kind == DataKind::Packet) {
    return platform::Variant(DeclaredPacket(reply, Data::columns, method));
  } else if constexpr (Data::kind == DataKind::PacketAndText) {
    return platform::VarArrayOf({platform::Variant(DeclaredPacket(reply.packet, Data::columns, method)), reply.text});
  } else {
    return platform::VarArrayOf({platform::Variant(DeclaredPacket(reply.packet, Data::columns, method)),
                                 Data::fields::Encode(reply.record)});
  }
}

PacketPtr DecodePacket(const platform::Variant& data, ColumnsOf columns, std::string_view method);

template <class Data>
ReplyOf<Data> DecodeReply(const platform::Variant& data, std::string_view method) {
  if constexpr (Data::kind == DataKind::None) {
    return;
  } else if constexpr (Data::kind == DataKind::Packet) {
    return DecodePacket(data, Data::columns, method);
  } else if constexpr (Data::kind == DataKind::PacketAndText) {
    const platform::Variant::Array& parts = DataArray(data, 2, method);
    return {DecodePacket(parts[0], Data::columns, method), FieldValue<std::string>(parts[1], "texto", method)};
  } else {
    const platform::Variant::Array& parts = DataArray(data, 2, method);
    return {DecodePacket(parts[0], Data::columns, method), Data::fields::Decode(parts[1], method)};
  }
}

template <class First, class... Rest>
typename RecordFields<First, Rest...>::record RecordFields<First, Rest...>::Decode(const platform::Variant& data,
                                                                                   std::string_view method) {
  const platform::Variant::Array& values = DataArray(data, size, method);
  record value{};
  std::size_t i = 0;
  auto take = [&]<class F>(F) {
    value.*F::member = FieldValue<typename F::type>(values[i++], F::name, method);
  };
  take(First{});
  (take(Rest{}), ...);
  return value;
}

}  // namespace contracts::server
