// The MessagePack codec of variants and data packets: round trips of every kind, the
// wire layout other programs rely on, and hostile bytes (truncated, malformed, over a
// limit) that must fail with EPacketError, fast and without large allocations.
#include "platform/variant/codec.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <msgpack.hpp>
#include <new>
#include <random>

#include "platform/core/exceptions.h"
#include "platform/variant/data_packet.h"

// Records the largest single allocation made while a LargestAllocation is alive, to
// prove that hostile counts reserve nothing in proportion to what they claim.
namespace {
thread_local bool gTrackAllocations = false;
thread_local std::size_t gLargestAllocation = 0;
thread_local std::size_t gAllocationsOver64K = 0;
}  // namespace

[[gnu::noinline]] void* operator new(std::size_t size) {
  if (gTrackAllocations && size > gLargestAllocation) gLargestAllocation = size;
  if (gTrackAllocations && size > 64 * 1024) ++gAllocationsOver64K;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
// The nothrow forms too (std::stable_sort's buffer uses them), or a sanitizer build pairs
// its own allocation with the free above.
[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size ? size : 1);
}
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace platform {
namespace {

class LargestAllocation {
 public:
  LargestAllocation() {
    gLargestAllocation = 0;
    gAllocationsOver64K = 0;
    gTrackAllocations = true;
  }
  ~LargestAllocation() { gTrackAllocations = false; }
  std::size_t bytes() const { return gLargestAllocation; }
  std::size_t over64K() const { return gAllocationsOver64K; }
};

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

Variant RoundTrip(const Variant& value) { return DecodeVariant(EncodeVariant(value)); }

Variant Packet(DataPacket packet) {
  return Variant(std::make_shared<const DataPacket>(std::move(packet)));
}

std::vector<ColumnDef> PriceColumns() {
  return {{"CDPRODUTO", FieldType::String, 10}, {"NMPRODUTO", FieldType::String, 50},
          {"VRPRECOPROD", FieldType::Float, 0}, {"DTVALINI", FieldType::DateTime, 0},
          {"NRNIVEL", FieldType::Integer, 0},   {"IDATIVO", FieldType::Boolean, 0}};
}

// A packet with a null in every column and the awkward values of each type.
DataPacket PricePacket() {
  DataPacket packet(PriceColumns());
  packet.appendRow({"101001", "Açúcar Cristal São João", 3.0, EncodeDate(2026, 12, 31),
                    std::int64_t{3}, true});
  packet.appendRow({"", "ÇÃÕÉ 😀", -0.0, EncodeDate(1, 1, 1), std::int64_t{-1}, false});
  packet.appendRow({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
                    Variant::Null(), Variant::Null()});
  packet.appendRow({"9", "x", DBL_MAX, StrToDateTime("31/12/9999 23:59:59"),
                    std::numeric_limits<std::int64_t>::min(), true});
  return packet;
}

DataPacket PriceDelta() {
  DataPacket delta = DataPacket::Delta(PriceColumns());
  auto row = [&](std::vector<Variant> cells) {
    for (const Variant& cell : cells) delta.appendValue(cell);
  };
  row({"1", "Novo", 10.5, EncodeDate(2026, 1, 1), std::int64_t{3}, true});
  delta.endDeltaRow(ChangeKind::Inserted);
  row({"2", "Alterado", 20.0, EncodeDate(2026, 2, 1), std::int64_t{3}, true});
  delta.endDeltaRow(ChangeKind::Modified, {"2", "Antigo", 19.99, Variant::Null(),
                                           std::int64_t{3}, false});
  row({"3", Variant::Null(), 30.0, Variant::Null(), Variant::Null(), Variant::Null()});
  delta.endDeltaRow(ChangeKind::Deleted, {"3", Variant::Null(), 30.0, Variant::Null(),
                                          Variant::Null(), Variant::Null()});
  return delta;
}

// Writes hand-made wire bytes with msgpack's packer.
class Wire {
 public:
  Wire& array(std::uint32_t n) { return packer_.pack_array(n), *this; }
  Wire& map(std::uint32_t n) { return packer_.pack_map(n), *this; }
  Wire& str(std::string_view s) {
    packer_.pack_str(static_cast<std::uint32_t>(s.size()));
    packer_.pack_str_body(s.data(), static_cast<std::uint32_t>(s.size()));
    return *this;
  }
  Wire& integer(std::int64_t v) { return packer_.pack_int64(v), *this; }
  Wire& nil() { return packer_.pack_nil(), *this; }
  Wire& raw(const std::string& bytes) { return buffer_.write(bytes.data(), bytes.size()), *this; }
  Wire& value(const Variant& v) { return raw(EncodeVariant(v)); }
  // A column list of [name, type, size].
  Wire& columns(std::initializer_list<std::pair<const char*, FieldType>> cols) {
    array(static_cast<std::uint32_t>(cols.size()));
    for (auto& [name, type] : cols) array(3).str(name).integer(int(type)).integer(0);
    return *this;
  }
  std::string bytes() const { return std::string(buffer_.data(), buffer_.size()); }

 private:
  msgpack::sbuffer buffer_;
  msgpack::packer<msgpack::sbuffer> packer_{buffer_};
};

// The message of the EPacketError `decode` raises; fails the test when none is raised.
template <typename F>
std::string PacketError(F decode) {
  try {
    decode();
  } catch (const EPacketError& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("other exception: ") + e.what();
  }
  return "no error";
}

std::string DecodeError(const std::string& bytes, const DecodeLimits& limits = {}) {
  return PacketError([&] { DecodeVariant(bytes, limits); });
}

std::uint64_t Bits(double d) { return std::bit_cast<std::uint64_t>(d); }

// ---- round trips -------------------------------------------------------------------

TEST(CodecRoundTrip, EveryScalarKindComesBackAsItWent) {
  const Variant values[] = {Variant(), Variant::Null(), Variant(true), Variant(false),
                            Variant(0), Variant(-1), Variant(127), Variant(128), Variant(-32),
                            Variant(-33), Variant(std::int64_t{1} << 32),
                            Variant(std::numeric_limits<std::int64_t>::max()),
                            Variant(std::numeric_limits<std::int64_t>::min()), Variant(""),
                            Variant(std::string(70000, 'a')), Variant(EncodeDate(2026, 3, 5))};
  for (const Variant& value : values) {
    Variant back = RoundTrip(value);
    EXPECT_EQ(back.kind(), value.kind()) << Variant::KindName(value.kind());
    EXPECT_EQ(back, value) << Variant::KindName(value.kind());
  }
}

TEST(CodecRoundTrip, NullEmptyAndEmptyTextStayDistinct) {
  EXPECT_TRUE(RoundTrip(Variant()).isEmpty());
  EXPECT_TRUE(RoundTrip(Variant::Null()).isNull());
  Variant text = RoundTrip(Variant(""));
  ASSERT_EQ(text.kind(), Variant::Kind::String);
  EXPECT_EQ(text.asString(), "");
}

TEST(CodecRoundTrip, TextIsKeptByteForByte) {
  for (const char* text : {"Açúcar Cristal São João", "ÇÃÕÉ", "preço 😀 𝄞", "tab\tnul"}) {
    EXPECT_EQ(RoundTrip(Variant(text)).asString(), text);
  }
  std::string withNul("a\0b", 3);
  EXPECT_EQ(RoundTrip(Variant(withNul)).asString(), withNul);
}

TEST(CodecRoundTrip, DoublesKeepTheirKindAndEveryBit) {
  const double values[] = {3.0, 0.0, -0.0, 1e300, -1e300, DBL_MAX, -DBL_MAX, DBL_MIN,
                           std::numeric_limits<double>::denorm_min(), 0.1, 1234.5678, 9007199254740993.0};
  for (double value : values) {
    Variant back = RoundTrip(Variant(value));
    ASSERT_EQ(back.kind(), Variant::Kind::Double) << value;
    EXPECT_EQ(Bits(back.asDouble()), Bits(value)) << value;
  }
  EXPECT_TRUE(std::signbit(RoundTrip(Variant(-0.0)).asDouble()));
}

TEST(CodecRoundTrip, NaNAndInfinitiesAreRefusedBothWaysWhereverTheyStand) {
  const double bad[] = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()};
  for (double value : bad) {
    EXPECT_THROW(EncodeVariant(Variant(value)), EPacketError) << value;
    EXPECT_THROW(EncodeVariant(VarArrayOf({1, value})), EPacketError) << value;
    DataPacket prices(PriceColumns());
    prices.appendRow({"1", "x", value, Variant::Null(), Variant::Null(), Variant::Null()});
    EXPECT_THROW(EncodeVariant(Packet(prices)), EPacketError) << value;

    std::string float64 = Bytes({0xcb});
    for (int shift = 56; shift >= 0; shift -= 8) float64.push_back(char(Bits(value) >> shift & 0xff));
    EXPECT_NE(DecodeError(float64).find("número não finito"), std::string::npos) << value;
    EXPECT_NE(DecodeError(Wire().array(2).integer(1).raw(float64).bytes()).find("número não finito"),
              std::string::npos);
    std::string row = Wire().map(2).str("columns").columns({{"VRPRECOPROD", FieldType::Float}}).str("rows")
                          .array(1).array(1).raw(float64).bytes();
    EXPECT_NE(DecodeError(row).find("linha 1: número não finito"), std::string::npos) << DecodeError(row);
  }
  EXPECT_NE(DecodeError(Bytes({0xca, 0x7f, 0x80, 0x00, 0x00})).find("número não finito"), std::string::npos)
      << "float32 infinity";
}

TEST(CodecRoundTrip, ExtremeDatesAndTimesComeBackExactly) {
  const TDateTime values[] = {
      EncodeDate(1, 1, 1), EncodeDate(9999, 12, 31),
      TDateTime{EncodeDate(9999, 12, 31).value + EncodeTime(23, 59, 59, 999).value},
      TDateTime{0.0}, TDateTime{-1.25}, EncodeDate(2000, 2, 29),
      StrToDateTime("05/03/2026 14:30:15")};
  for (TDateTime value : values) {
    Variant back = RoundTrip(Variant(value));
    ASSERT_EQ(back.kind(), Variant::Kind::DateTime);
    EXPECT_EQ(Bits(back.asDateTime().value), Bits(value.value)) << value.value;
  }
}

TEST(CodecRoundTrip, NestedArraysKeepOrderAndKinds) {
  Variant inner = VarArrayOf({Variant(1), Variant("dois"), Variant::Null(), VarArrayOf({})});
  Variant value = VarArrayOf({inner, Variant(2.5), VarArrayOf({inner, Variant()}),
                              Packet(PricePacket())});
  EXPECT_EQ(RoundTrip(value), value);
}

TEST(CodecRoundTrip, PacketKeepsColumnsNullsAndEveryCell) {
  Variant value = Packet(PricePacket());
  Variant back = RoundTrip(value);
  ASSERT_EQ(back.kind(), Variant::Kind::Packet);
  const DataPacket& packet = back.asPacket();
  EXPECT_EQ(packet.columns(), PriceColumns());
  EXPECT_EQ(back, value);
  EXPECT_EQ(packet.value(1, 0), Variant(""));         // empty text, not null
  for (std::size_t col = 0; col < packet.columnCount(); ++col) EXPECT_TRUE(packet.isNull(2, col));
  EXPECT_EQ(packet.value(0, 2).kind(), Variant::Kind::Double);  // 3.0 stays a double
  EXPECT_TRUE(std::signbit(packet.floatAt(1, 2)));
  EXPECT_EQ(packet.stringAt(1, 1), "ÇÃÕÉ 😀");
}

TEST(CodecRoundTrip, PacketsWithoutRowsOrColumns) {
  EXPECT_EQ(RoundTrip(Packet(DataPacket(PriceColumns()))), Packet(DataPacket(PriceColumns())));
  EXPECT_EQ(RoundTrip(Packet(DataPacket())), Packet(DataPacket()));
  DataPacket noColumns;
  noColumns.appendRow({});
  noColumns.appendRow({});
  Variant back = RoundTrip(Packet(noColumns));
  EXPECT_EQ(back.asPacket().rowCount(), 2u);
  EXPECT_EQ(RoundTrip(Packet(DataPacket::Delta(PriceColumns()))).asPacket().isDelta(), true);
}

TEST(CodecRoundTrip, DeltaPacketKeepsChangeKindsAndOriginals) {
  Variant back = RoundTrip(Packet(PriceDelta()));
  const DataPacket& delta = back.asPacket();
  ASSERT_TRUE(delta.isDelta());
  EXPECT_EQ(back, Packet(PriceDelta()));
  EXPECT_EQ(delta.changeKind(0), ChangeKind::Inserted);
  EXPECT_TRUE(delta.originalValues(0).empty());
  EXPECT_EQ(delta.changeKind(1), ChangeKind::Modified);
  EXPECT_EQ(delta.originalValues(1)[1], Variant("Antigo"));
  EXPECT_TRUE(delta.originalValues(1)[3].isNull());
  EXPECT_EQ(delta.changeKind(2), ChangeKind::Deleted);
}

// ---- the layout other programs read ------------------------------------------------

TEST(CodecLayout, ScalarsUseTheDocumentedBytes) {
  EXPECT_EQ(EncodeVariant(Variant()), Bytes({0xc7, 0x00, 0x00}));
  EXPECT_EQ(EncodeVariant(Variant::Null()), Bytes({0xc0}));
  EXPECT_EQ(EncodeVariant(Variant(true)), Bytes({0xc3}));
  EXPECT_EQ(EncodeVariant(Variant(1)), Bytes({0x01}));
  EXPECT_EQ(EncodeVariant(Variant(-1)), Bytes({0xff}));
  EXPECT_EQ(EncodeVariant(Variant(300)), Bytes({0xcd, 0x01, 0x2c}));
  EXPECT_EQ(EncodeVariant(Variant(3.0)), Bytes({0xcb, 0x40, 0x08, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeVariant(Variant(TDateTime{1.5})),
            Bytes({0xd7, 0x01, 0x3f, 0xf8, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeVariant(Variant("é")), Bytes({0xa2, 0xc3, 0xa9}));
}

TEST(CodecLayout, PacketIsAMapOfColumnsAndRows) {
  DataPacket packet({{"A", FieldType::String, 10}, {"B", FieldType::Float, 0}});
  packet.appendRow({"x", Variant::Null()});
  std::string expected = Wire()
                             .map(2)
                             .str("columns").array(2)
                             .array(3).str("A").integer(0).integer(10)
                             .array(3).str("B").integer(1).integer(0)
                             .str("rows").array(1).array(2).str("x").nil()
                             .bytes();
  EXPECT_EQ(EncodeVariant(Packet(packet)), expected);
}

TEST(CodecLayout, AReplyFrameHoldingABigPacketIsEncodedIntoOneBuffer) {
  DataPacket packet(PriceColumns());
  for (int row = 0; row < 20000; ++row)
    packet.appendRow({std::to_string(row), "Produto " + std::to_string(row), row * 1.5, EncodeDate(2026, 1, 1),
                      std::int64_t{row}, row % 2 == 0});
  const Variant frame = VarArrayOf({std::int64_t{1}, std::int64_t{7}, Variant::Null(),
                                    VarArrayOf({Packet(std::move(packet)), Variant(Variant::Array{})})});
  std::string bytes;
  {
    LargestAllocation largest;
    bytes = EncodeVariant(frame);
    EXPECT_EQ(largest.over64K(), 1u) << "the output grew by copying";
  }
  EXPECT_EQ(DecodeVariant(bytes), frame);
}

TEST(CodecLayout, EncodingAppendsToTheGivenBuffer) {
  std::string out = "head";
  EncodeVariant(Variant(1), out);
  EXPECT_EQ(out, "head" + Bytes({0x01}));
}

TEST(CodecLayout, ForeignEncodingsAreRead) {
  // Other encoders may send float32, non-minimal integers or keys in any order.
  float f = 1.5f;
  std::uint32_t fbits = std::bit_cast<std::uint32_t>(f);
  std::string float32 = Bytes({0xca, int(fbits >> 24), int(fbits >> 16 & 0xff),
                               int(fbits >> 8 & 0xff), int(fbits & 0xff)});
  EXPECT_EQ(DecodeVariant(float32), Variant(1.5));
  EXPECT_EQ(DecodeVariant(Bytes({0xd3, 0, 0, 0, 0, 0, 0, 0, 7})), Variant(7));
  EXPECT_EQ(DecodeVariant(Bytes({0xdc, 0, 1, 0x05})), VarArrayOf({Variant(5)}));
}

// ---- packets from other encoders ---------------------------------------------------

TEST(CodecPacketShape, KeysMayComeInAnyOrder) {
  Wire columnsLast;
  columnsLast.map(2).str("rows").array(1).array(2).str("x").raw(EncodeVariant(Variant(2.5)))
      .str("columns").columns({{"A", FieldType::String}, {"B", FieldType::Float}});
  DataPacket expected({{"A", FieldType::String, 0}, {"B", FieldType::Float, 0}});
  expected.appendRow({"x", 2.5});
  EXPECT_EQ(DecodeVariant(columnsLast.bytes()), Packet(expected));

  Wire changesLast;
  changesLast.map(3).str("columns").columns({{"A", FieldType::String}})
      .str("rows").array(2).array(1).str("a").array(1).str("b")
      .str("changes").array(2).array(2).integer(1).nil().array(2).integer(3).array(1).str("b");
  DataPacket delta = DataPacket::Delta({{"A", FieldType::String, 0}});
  delta.appendValue("a");
  delta.endDeltaRow(ChangeKind::Inserted);
  delta.appendValue("b");
  delta.endDeltaRow(ChangeKind::Deleted, {"b"});
  EXPECT_EQ(DecodeVariant(changesLast.bytes()), Packet(delta));

  Wire changesFirst;
  changesFirst.map(3).str("changes").array(1).array(2).integer(1).nil()
      .str("rows").array(1).array(1).str("a")
      .str("columns").columns({{"A", FieldType::String}});
  EXPECT_EQ(DecodeVariant(changesFirst.bytes()).asPacket().changeKind(0), ChangeKind::Inserted);
}

TEST(CodecPacketShape, WholeNumbersFitFloatColumnsAsDoubles) {
  for (bool streamed : {true, false}) {
    Wire wire;
    wire.map(2);
    if (streamed) wire.str("columns").columns({{"V", FieldType::Float}});
    wire.str("rows").array(2).array(1).integer(5).array(1).integer(-(std::int64_t{1} << 53));
    if (!streamed) wire.str("columns").columns({{"V", FieldType::Float}});
    Variant cell = DecodeVariant(wire.bytes()).asPacket().value(0, 0);
    EXPECT_EQ(cell.kind(), Variant::Kind::Double);
    EXPECT_EQ(cell.asDouble(), 5.0);
  }
  Wire tooBig;
  tooBig.map(2).str("columns").columns({{"V", FieldType::Float}})
      .str("rows").array(1).array(1).integer((std::int64_t{1} << 53) + 1);
  EXPECT_NE(DecodeError(tooBig.bytes()).find("linha 1"), std::string::npos);
}

struct MalformedPacket {
  const char* rule;
  std::string bytes;
  const char* message;  // part of the expected text
};

std::string Rows(std::initializer_list<std::pair<const char*, FieldType>> cols, const Wire& rows) {
  return Wire().map(2).str("columns").columns(cols).str("rows").raw(rows.bytes()).bytes();
}

std::string DeltaWith(const Wire& changes, int rows = 1) {
  Wire wire;
  wire.map(3).str("columns").columns({{"A", FieldType::String}, {"V", FieldType::Float}})
      .str("changes").raw(changes.bytes()).str("rows").array(rows);
  for (int i = 0; i < rows; ++i) wire.array(2).str("a").raw(EncodeVariant(Variant(1.0)));
  return wire.bytes();
}

TEST(CodecPacketShape, MalformedPacketsAreRefusedNamingTheFault) {
  const auto S = FieldType::String;
  const auto F = FieldType::Float;
  const auto D = FieldType::DateTime;
  const MalformedPacket cases[] = {
      {"one key", Wire().map(1).str("columns").array(0).bytes(), "recebidas 1 chaves"},
      {"four keys", Wire().map(4).bytes(), "recebidas 4 chaves"},
      {"unknown key", Wire().map(2).str("columns").array(0).str("linhas").array(0).bytes(),
       "chave desconhecida \"linhas\""},
      {"repeated key", Wire().map(2).str("columns").array(0).str("columns").array(0).bytes(),
       "repetida"},
      {"changes without rows",
       Wire().map(2).str("columns").array(0).str("changes").array(0).bytes(), "changes"},
      {"integer key", Wire().map(2).integer(1).array(0).str("rows").array(0).bytes(), "chaves de um pacote devem ser texto"},
      {"array key", Wire().map(2).array(0).array(0).str("rows").array(0).bytes(), "chaves de um pacote devem ser texto"},
      {"columns not a list", Wire().map(2).str("columns").integer(1).str("rows").array(0).bytes(),
       "columns deve ser uma lista"},
      {"column of two fields",
       Wire().map(2).str("columns").array(1).array(2).str("A").integer(0).str("rows").array(0).bytes(),
       "coluna 1 deve ser [nome, tipo, tamanho]"},
      {"unknown column type",
       Wire().map(2).str("columns").array(1).array(3).str("A").integer(9).integer(0)
           .str("rows").array(0).bytes(),
       "tipo desconhecido na coluna A"},
      {"negative size",
       Wire().map(2).str("columns").array(1).array(3).str("A").integer(0).integer(-1)
           .str("rows").array(0).bytes(),
       "tamanho inválido na coluna A"},
      {"rows not a list", Wire().map(2).str("columns").columns({}).str("rows").nil().bytes(),
       "rows deve ser uma lista"},
      {"row not a list", Rows({{"A", S}}, Wire().array(1).str("a")),
       "cada linha de rows deve ser uma lista"},
      {"short row", Rows({{"A", S}, {"V", F}}, Wire().array(1).array(1).str("a")),
       "linha 1: 1 células para 2 colunas"},
      {"long row", Rows({{"A", S}}, Wire().array(2).array(1).str("a").array(2).str("a").str("b")),
       "linha 2: 2 células para 1 colunas"},
      {"text in a float column", Rows({{"V", F}}, Wire().array(1).array(1).str("1,5")),
       "na coluna V do tipo Float"},
      {"double in a date column",
       Rows({{"D", D}}, Wire().array(1).array(1).raw(EncodeVariant(Variant(1.0)))),
       "na coluna D do tipo DateTime"},
      {"date in a text column",
       Rows({{"A", S}}, Wire().array(1).array(1).value(Variant(EncodeDate(2026, 1, 1)))),
       "na coluna A do tipo String"},
      {"list in a cell", Rows({{"A", S}}, Wire().array(1).array(1).array(0)),
       "uma célula não pode conter uma lista"},
      {"packet in a cell", Rows({{"A", S}}, Wire().array(1).array(1).value(Variant(std::make_shared<const DataPacket>()))),
       "uma célula não pode conter um pacote"},
      {"changes for fewer rows", DeltaWith(Wire().array(0)), "changes tem 0 entradas para 1 linhas"},
      {"change kind 4", DeltaWith(Wire().array(1).array(2).integer(4).nil()),
       "tipo de alteração desconhecido"},
      {"change kind 0", DeltaWith(Wire().array(1).array(2).integer(0).nil()),
       "tipo de alteração desconhecido"},
      {"change not a pair", DeltaWith(Wire().array(1).array(1).integer(1)),
       "deve ser [tipo, valores originais]"},
      {"inserted row with originals",
       DeltaWith(Wire().array(1).array(2).integer(1).array(2).str("a").nil()),
       "linha inserida não tem valores originais"},
      {"modified row without originals", DeltaWith(Wire().array(1).array(2).integer(2).nil()),
       "um valor por coluna"},
      {"originals short", DeltaWith(Wire().array(1).array(2).integer(3).array(1).str("a")),
       "um valor por coluna"},
      {"original of the wrong kind",
       DeltaWith(Wire().array(1).array(2).integer(2).array(2).str("a").str("x")),
       "Valor original String na coluna V do tipo Float"},
  };
  for (const MalformedPacket& c : cases) {
    std::string message = DecodeError(c.bytes);
    EXPECT_NE(message.find("Pacote de dados malformado"), std::string::npos) << c.rule << ": " << message;
    EXPECT_NE(message.find(c.message), std::string::npos) << c.rule << ": " << message;
    // Inside an RPC-like envelope the same fault is found.
    std::string wrapped = Wire().array(2).integer(1).raw(c.bytes).bytes();
    EXPECT_NE(DecodeError(wrapped).find(c.message), std::string::npos) << c.rule;
    // A stream reader meets it too, once the value is all there.
    Variant out;
    EXPECT_NE(PacketError([&] { TryDecodeVariant(c.bytes, out); }).find(c.message),
              std::string::npos) << c.rule;
  }
}

// ---- hostile bytes -----------------------------------------------------------------

Variant RichValue() {
  return VarArrayOf({Variant(), Variant::Null(), Variant(true), Variant(-5), Variant(70000),
                     Variant(3.0), Variant("Açúcar"), Variant(EncodeDate(2026, 1, 2)),
                     VarArrayOf({Variant(1), VarArrayOf({})}), Packet(PricePacket()),
                     Packet(PriceDelta())});
}

TEST(CodecHostileBytes, EveryTruncationIsIncompleteNeverACrash) {
  const std::string full = EncodeVariant(RichValue());
  for (std::size_t size = 0; size < full.size(); ++size) {
    std::string_view prefix(full.data(), size);
    std::string message = PacketError([&] { DecodeVariant(prefix); });
    ASSERT_NE(message.find("Pacote de dados"), std::string::npos) << size << ": " << message;
    Variant out("untouched");
    ASSERT_EQ(TryDecodeVariant(prefix, out), 0u) << size;
    EXPECT_EQ(out, Variant("untouched"));
  }
  Variant out;
  EXPECT_EQ(TryDecodeVariant(full, out), full.size());
  EXPECT_EQ(out, RichValue());
}

TEST(CodecHostileBytes, StreamYieldsOneValueAtATime) {
  std::string stream = EncodeVariant(Variant("primeiro")) + EncodeVariant(Packet(PricePacket()));
  Variant first, second;
  std::size_t used = TryDecodeVariant(stream, first);
  ASSERT_EQ(used, EncodeVariant(Variant("primeiro")).size());
  EXPECT_EQ(first, Variant("primeiro"));
  EXPECT_EQ(TryDecodeVariant(std::string_view(stream).substr(used), second), stream.size() - used);
  EXPECT_EQ(second, Packet(PricePacket()));
}

TEST(CodecHostileBytes, TrailingBytesAfterTheValueAreRefused) {
  EXPECT_NE(DecodeError(Bytes({0x01, 0x02})).find("1 bytes sobrando"), std::string::npos);
  EXPECT_NE(DecodeError(EncodeVariant(Variant("a")) + Bytes({0xc0, 0xc0})).find("2 bytes sobrando"),
            std::string::npos);
}

TEST(CodecHostileBytes, ReservedAndUnsupportedBytesAreMalformed) {
  EXPECT_NE(DecodeError(Bytes({0xc1})).find("byte inválido na posição 0"), std::string::npos);
  EXPECT_NE(DecodeError(Bytes({0x92, 0x01, 0xc1})).find("posição 2"), std::string::npos);
  Variant out;
  EXPECT_THROW(TryDecodeVariant(Bytes({0x92, 0xc1}), out), EPacketError);
  EXPECT_NE(DecodeError(Bytes({0xc4, 0x01, 0x00})).find("binários"), std::string::npos);
  EXPECT_NE(DecodeError(Bytes({0xcf, 0x80, 0, 0, 0, 0, 0, 0, 0})).find("fora do intervalo"),
            std::string::npos);
}

TEST(CodecHostileBytes, UnknownExtensionsAreRefused) {
  EXPECT_NE(DecodeError(Bytes({0xd4, 0x05, 0x00})).find("extensão de tipo 5"), std::string::npos);
  EXPECT_NE(DecodeError(Bytes({0xd6, 0x01, 0, 0, 0, 0})).find("extensão de tipo 1 com 4 bytes"),
            std::string::npos);
  EXPECT_NE(DecodeError(Bytes({0xd4, 0x00, 0x00})).find("extensão de tipo 0 com 1 bytes"),
            std::string::npos);
  EXPECT_NE(DecodeError(Bytes({0xd7, 0xff, 0, 0, 0, 0, 0, 0, 0, 0})).find("tipo -1"),
            std::string::npos);
}

TEST(CodecHostileBytes, DatesOutsideTheCalendarAreRefused) {
  auto date = [](double serial) {
    std::string bytes = Bytes({0xd7, 0x01});
    std::uint64_t bits = std::bit_cast<std::uint64_t>(serial);
    for (int shift = 56; shift >= 0; shift -= 8) bytes.push_back(char(bits >> shift & 0xff));
    return bytes;
  };
  for (double serial : {std::nan(""), std::numeric_limits<double>::infinity(), 1e300,
                        EncodeDate(9999, 12, 31).value + 1, EncodeDate(1, 1, 1).value - 0.5}) {
    EXPECT_NE(DecodeError(date(serial)).find("data fora do intervalo"), std::string::npos) << serial;
    EXPECT_THROW(EncodeVariant(Variant(TDateTime{serial})), EPacketError) << serial;
  }
  EXPECT_EQ(DecodeVariant(date(-693593.0)), Variant(EncodeDate(1, 1, 1)));
}

TEST(CodecHostileBytes, InvalidUtf8IsRefused) {
  const std::string bad[] = {Bytes({0xc0, 0x80}),         Bytes({0xed, 0xa0, 0x80}),
                             Bytes({0x80}),               Bytes({0xc3}),
                             Bytes({0xf5, 0x80, 0x80, 0x80}), Bytes({0xf4, 0x90, 0x80, 0x80}),
                             Bytes({0xe0, 0x80, 0x80}),   Bytes({0xe2, 0x82})};
  for (const std::string& text : bad) {
    std::string bytes = Wire().str("abcdefgh" + text).bytes();
    EXPECT_NE(DecodeError(bytes).find("UTF-8 inválido"), std::string::npos);
  }
  for (const char* good : {"\xf4\x8f\xbf\xbf", "\xef\xbf\xbf", "abcdefghijklmnop\xc3\xa7"})
    EXPECT_EQ(DecodeVariant(Wire().str(good).bytes()), Variant(good));
}

TEST(CodecHostileBytes, HugeCountsFailFastWithoutReservingForThem) {
  const std::string claims[] = {
      Bytes({0xdd, 0xff, 0xff, 0xff, 0xff}),  // array of 4 billion, nothing after
      Bytes({0xdf, 0xff, 0xff, 0xff, 0xff}),  // map of 4 billion pairs
      Bytes({0xdd, 0x00, 0x10, 0x00, 0x00, 0x01}),  // a million items, one byte
      Bytes({0xdc, 0xff, 0xff, 0xc0}),
      Bytes({0x91, 0xdd, 0x00, 0x0f, 0xff, 0xff})};
  for (const std::string& bytes : claims) {
    LargestAllocation largest;
    EXPECT_NE(DecodeError(bytes).find("Pacote de dados"), std::string::npos);
    EXPECT_LT(largest.bytes(), 4096u);
  }
  // On a stream the same claim waits for more bytes, still reserving nothing for it.
  LargestAllocation largest;
  Variant out;
  EXPECT_EQ(TryDecodeVariant(Bytes({0xdd, 0x00, 0x10, 0x00, 0x00, 0x01}), out), 0u);
  EXPECT_LT(largest.bytes(), 4096u);
}

TEST(CodecHostileBytes, HugeRowCountInAPacketReservesNothingForIt) {
  std::string bytes = Wire().map(2).str("columns")
                          .columns({{"A", FieldType::String}, {"V", FieldType::Float}})
                          .str("rows").raw(Bytes({0xdd, 0x00, 0x10, 0x00, 0x00}))
                          .array(2).str("a").nil().bytes();
  LargestAllocation largest;
  EXPECT_NE(DecodeError(bytes).find("elementos"), std::string::npos);
  Variant out;
  EXPECT_EQ(TryDecodeVariant(bytes, out), 0u);
  EXPECT_LT(largest.bytes(), 4096u);
}

TEST(CodecHostileBytes, ClaimedStringLongerThanTheBytesIsIncomplete) {
  std::string bytes = Bytes({0xdb, 0xff, 0xff, 0xff, 0xff, 'a'});
  LargestAllocation largest;
  EXPECT_NE(DecodeError(bytes).find("incompleto"), std::string::npos);
  Variant out;
  EXPECT_EQ(TryDecodeVariant(bytes, out), 0u);
  EXPECT_LT(largest.bytes(), 4096u);
}

// ---- limits ------------------------------------------------------------------------

std::string NestedArrays(std::size_t depth) {
  return std::string(depth, '\x91') + Bytes({0xc0});
}

TEST(CodecLimits, NestingUpToTheDepthLimitAndNotOneMore) {
  DecodeLimits limits;
  Variant deepest = DecodeVariant(NestedArrays(limits.maxDepth), limits);
  std::size_t depth = 0;
  for (const Variant* v = &deepest; v->kind() == Variant::Kind::Array; v = &v->asArray()[0]) ++depth;
  EXPECT_EQ(depth, limits.maxDepth);
  EXPECT_NE(DecodeError(NestedArrays(limits.maxDepth + 1)).find("aninhamento com mais de 32"),
            std::string::npos);

  limits.maxDepth = 4;  // packet, rows and a row take three levels
  Variant packetInArray = VarArrayOf({Packet(PricePacket())});
  EXPECT_EQ(DecodeVariant(EncodeVariant(packetInArray), limits), packetInArray);
  EXPECT_THROW(DecodeVariant(EncodeVariant(VarArrayOf({packetInArray})), limits), EPacketError);
}

TEST(CodecLimits, HundredThousandNestedArraysAreRefusedWithoutRecursion) {
  std::string deep = NestedArrays(100000);
  EXPECT_NE(DecodeError(deep).find("aninhamento"), std::string::npos);
  Variant out;
  EXPECT_THROW(TryDecodeVariant(deep.substr(0, 50000), out), EPacketError);
  std::string deepMaps;
  for (int i = 0; i < 100000; ++i) deepMaps += Bytes({0x82, 0xa7}) + "columns";
  EXPECT_THROW(DecodeVariant(deepMaps), EPacketError);
}

TEST(CodecLimits, TextsOverTheLimitAreRefusedWherever) {
  DecodeLimits limits;
  limits.maxStringLength = 10;
  EXPECT_EQ(DecodeVariant(Wire().str("0123456789").bytes(), limits), Variant("0123456789"));
  const std::string tooLong = "0123456789a";
  for (const std::string& bytes :
       {Wire().str(tooLong).bytes(), Wire().array(1).str(tooLong).bytes(),
        Wire().map(2).str(tooLong).bytes(),
        Rows({{"A", FieldType::String}}, Wire().array(1).array(1).str(tooLong))}) {
    EXPECT_NE(DecodeError(bytes, limits).find("texto de 11 bytes, máximo 10"), std::string::npos);
  }
}

TEST(CodecLimits, ElementCountIsLimitedAcrossTheWholeValue) {
  DecodeLimits limits;
  limits.maxElements = 10;
  EXPECT_NO_THROW(DecodeVariant(EncodeVariant(VarArrayOf({VarArrayOf({1, 2, 3, 4}),
                                                          VarArrayOf({1, 2, 3, 4})})), limits));
  std::string eleven = EncodeVariant(VarArrayOf({VarArrayOf({1, 2, 3, 4, 5}), VarArrayOf({1, 2, 3, 4})}));
  EXPECT_NE(DecodeError(eleven, limits).find("11 elementos, máximo 10"), std::string::npos);
  // A packet's rows count their cells.
  DataPacket packet(PriceColumns());
  packet.appendRow({"1", "a", 1.0, EncodeDate(2026, 1, 1), std::int64_t{1}, true});
  packet.appendRow({"2", "b", 2.0, EncodeDate(2026, 1, 1), std::int64_t{1}, true});
  limits.maxElements = 30;
  EXPECT_THROW(DecodeVariant(EncodeVariant(Packet(packet)), limits), EPacketError);
}

TEST(CodecLimits, TotalSizeIsRefusedUpFrontAndOnStreams) {
  DecodeLimits limits;
  limits.maxTotalBytes = 64;
  std::string big = EncodeVariant(Variant(std::string(100, 'x')));
  EXPECT_NE(DecodeError(big, limits).find("máximo 64"), std::string::npos);
  Variant out;
  EXPECT_THROW(TryDecodeVariant(big, out, limits), EPacketError);
  // A small value at the head of a long stream is still read.
  std::string stream = EncodeVariant(Variant("ok")) + big;
  EXPECT_EQ(TryDecodeVariant(stream, out, limits), 3u);
  EXPECT_EQ(out, Variant("ok"));
  // A count that cannot fit in the limit is refused before its bytes arrive.
  EXPECT_THROW(TryDecodeVariant(Bytes({0xdc, 0x01, 0x00}), out, limits), EPacketError);
  EXPECT_EQ(TryDecodeVariant(Bytes({0xdc, 0x00, 0x20}), out, limits), 0u);
}

// ---- random damage -----------------------------------------------------------------

TEST(CodecHostileBytes, RandomDamageNeverEscapesAsAnythingButPacketError) {
  const std::string full = EncodeVariant(RichValue());
  std::mt19937 random(20260305);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = full;
    int flips = 1 + int(random() % 4);
    for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = char(random() % 256);
    if (round % 3 == 0) bytes.resize(random() % bytes.size());
    try {
      Variant value = DecodeVariant(bytes);
      EncodeVariant(value);  // whatever was accepted can be sent on
    } catch (const EPacketError&) {
    } catch (const std::exception& e) {
      FAIL() << "round " << round << ": " << e.what();
    }
    Variant out;
    try {
      TryDecodeVariant(bytes, out);
    } catch (const EPacketError&) {
    }
  }
}

}  // namespace
}  // namespace platform
