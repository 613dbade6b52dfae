// Variant: the kinds, the strict readers, the texts the screens show and deep equality.
#include "platform/variant/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/core/exceptions.h"
#include "platform/variant/data_packet.h"

namespace platform {
namespace {

std::shared_ptr<const DataPacket> OneRowPacket(const char* code, double price) {
  DataPacket packet({{"CDPRODUTO", FieldType::String, 10}, {"VRPRECOPROD", FieldType::Float, 0}});
  packet.appendRow({code, price});
  return std::make_shared<const DataPacket>(std::move(packet));
}

TEST(VariantKinds, EachConstructorGivesItsKind) {
  EXPECT_EQ(Variant().kind(), Variant::Kind::Empty);
  EXPECT_EQ(Variant::Null().kind(), Variant::Kind::Null);
  EXPECT_EQ(Variant(false).kind(), Variant::Kind::Bool);
  EXPECT_EQ(Variant(7).kind(), Variant::Kind::Integer);
  EXPECT_EQ(Variant(std::int64_t{7}).kind(), Variant::Kind::Integer);
  EXPECT_EQ(Variant(7.0).kind(), Variant::Kind::Double);
  EXPECT_EQ(Variant("a").kind(), Variant::Kind::String);
  EXPECT_EQ(Variant(std::string_view("a")).kind(), Variant::Kind::String);
  EXPECT_EQ(Variant(EncodeDate(2026, 1, 1)).kind(), Variant::Kind::DateTime);
  EXPECT_EQ(VarArrayOf({}).kind(), Variant::Kind::Array);
  EXPECT_EQ(Variant(OneRowPacket("1", 1)).kind(), Variant::Kind::Packet);
}

TEST(VariantKinds, NullEmptyAndEmptyTextAreThreeDifferentThings) {
  Variant empty, null = Variant::Null(), text("");
  EXPECT_TRUE(empty.isEmpty() && empty.isBlank() && !empty.isNull());
  EXPECT_TRUE(null.isNull() && null.isBlank() && !null.isEmpty());
  EXPECT_FALSE(text.isBlank());
  EXPECT_FALSE(empty == null);
  EXPECT_FALSE(null == text);
  EXPECT_FALSE(empty == text);
  EXPECT_EQ(empty.toString(), "");
  EXPECT_EQ(null.toString(), "");
}

TEST(VariantKinds, NullPacketPointerIsRefused) {
  EXPECT_THROW(Variant(std::shared_ptr<const DataPacket>()), EVariantError);
}

TEST(VariantReaders, ReadingAnotherKindRaises) {
  EXPECT_THROW(Variant(1.5).asInteger(), EVariantError);
  EXPECT_THROW(Variant(true).asInteger(), EVariantError);
  EXPECT_THROW(Variant(1).asBool(), EVariantError);
  EXPECT_THROW(Variant("1").asDouble(), EVariantError);
  EXPECT_THROW(Variant::Null().asString(), EVariantError);
  EXPECT_THROW(Variant().asString(), EVariantError);
  EXPECT_THROW(Variant(1.0).asDateTime(), EVariantError);
  EXPECT_THROW(Variant("x").asArray(), EVariantError);
  EXPECT_THROW(VarArrayOf({}).asPacket(), EVariantError);
  try {
    Variant::Null().asInteger();
  } catch (const EVariantError& e) {
    EXPECT_STREQ(e.what(), "Variant of kind Null read as Integer");
  }
}

TEST(VariantReaders, DoubleReaderAlsoReadsIntegers) {
  EXPECT_EQ(Variant(3).asDouble(), 3.0);
  EXPECT_EQ(Variant(std::numeric_limits<std::int64_t>::min()).asDouble(), -9223372036854775808.0);
}

TEST(VariantText, ValuesShowTheWayTheApplicationWritesThem) {
  EXPECT_EQ(Variant(true).toString(), "True");
  EXPECT_EQ(Variant(false).toString(), "False");
  EXPECT_EQ(Variant(-42).toString(), "-42");
  EXPECT_EQ(Variant(1234.5).toString(), "1234,5");
  EXPECT_EQ(Variant(-0.25).toString(), "-0,25");
  EXPECT_EQ(Variant(3.0).toString(), "3");
  EXPECT_EQ(Variant(0.1).toString(), "0,1");  // shortest text that reads back the same
  EXPECT_EQ(Variant("Açúcar").toString(), "Açúcar");
  EXPECT_EQ(Variant(EncodeDate(2026, 12, 31)).toString(), "31/12/2026");
  EXPECT_EQ(Variant(StrToDateTime("31/12/2026 10:00")).toString(), "31/12/2026 10:00:00");
  EXPECT_THROW(VarArrayOf({1}).toString(), EVariantError);
  EXPECT_THROW(Variant(OneRowPacket("1", 1)).toString(), EVariantError);
}

TEST(VariantEquality, SameKindAndSameValue) {
  EXPECT_EQ(Variant(3), Variant(std::int64_t{3}));
  EXPECT_NE(Variant(3), Variant(3.0));  // kinds differ
  EXPECT_NE(Variant(1), Variant(true));
  EXPECT_NE(Variant("3"), Variant(3));
  EXPECT_EQ(Variant(0.0), Variant(-0.0));
  double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Variant(nan), Variant(nan));
  EXPECT_NE(Variant(nan), Variant(0.0));
  EXPECT_EQ(Variant(EncodeDate(2026, 1, 1)), Variant(EncodeDate(2026, 1, 1)));
  EXPECT_NE(Variant(EncodeDate(2026, 1, 1)), Variant(EncodeDate(2026, 1, 2)));
}

TEST(VariantEquality, ArraysAndPacketsCompareDeeply) {
  Variant a = VarArrayOf({1, "dois", VarArrayOf({Variant::Null()})});
  Variant b = VarArrayOf({1, "dois", VarArrayOf({Variant::Null()})});
  EXPECT_EQ(a, b);
  EXPECT_NE(a, VarArrayOf({1, "dois", VarArrayOf({Variant()})}));
  EXPECT_NE(a, VarArrayOf({1, "dois"}));
  EXPECT_EQ(Variant(OneRowPacket("1", 2.5)), Variant(OneRowPacket("1", 2.5)));
  EXPECT_NE(Variant(OneRowPacket("1", 2.5)), Variant(OneRowPacket("1", 2.6)));
  EXPECT_NE(Variant(OneRowPacket("1", 2.5)), Variant(OneRowPacket("2", 2.5)));
}

TEST(VariantSharing, CopiesShareArraysAndPackets) {
  Variant array = VarArrayOf({1, 2, 3});
  Variant copy = array;
  EXPECT_EQ(&copy.asArray(), &array.asArray());
  auto packet = OneRowPacket("1", 1.0);
  Variant held(packet);
  Variant heldCopy = held;
  EXPECT_EQ(&heldCopy.asPacket(), packet.get());
  EXPECT_EQ(heldCopy.packetPtr().use_count(), 4);  // packet, held, heldCopy, this one
}

TEST(VariantKinds, EveryKindHasAName) {
  EXPECT_STREQ(Variant::KindName(Variant::Kind::Empty), "Empty");
  EXPECT_STREQ(Variant::KindName(Variant::Kind::Packet), "Packet");
  EXPECT_STREQ(Variant::KindName(static_cast<Variant::Kind>(99)), "?");
}

}  // namespace
}  // namespace platform
