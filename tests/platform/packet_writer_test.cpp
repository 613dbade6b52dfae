// PacketWriter: a packet written straight to its wire form reads, encodes and
// decodes as the packet built by appending the same cells, and a refused cell
// costs only its own row.
#include "platform/variant/packet_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "platform/core/exceptions.h"
#include "platform/variant/codec.h"

namespace platform {
namespace {

std::vector<ColumnDef> AllTypes() {
  return {{"CDPRODUTO", FieldType::String, 20},
          {"VRPRECOPROD", FieldType::Float, 0},
          {"DTVALINI", FieldType::DateTime, 0},
          {"NRNIVEL", FieldType::Integer, 0},
          {"IDATIVO", FieldType::Boolean, 0}};
}

// Writes the same rows through any builder with DataPacket's appending calls.
template <typename Builder>
void WriteRows(Builder& b) {
  b.appendString("Açúcar cristal 1kg");
  b.appendFloat(12.345);
  b.appendDateTime(EncodeDate(2026, 12, 31));
  b.appendInteger(-7);
  b.appendBool(true);
  b.endRow();
  b.appendNull();
  b.appendInteger(std::int64_t{1} << 53);  // a whole number into the Float column
  b.appendNull();
  b.appendInteger(std::numeric_limits<std::int64_t>::min());
  b.appendNull();
  b.endRow();
  b.appendString("");
  b.appendFloat(-0.0);
  b.appendDateTime(EncodeDate(1, 1, 1));
  b.appendNull();
  b.appendBool(false);
  b.endRow();
}

std::shared_ptr<const DataPacket> Built() {
  auto packet = std::make_shared<DataPacket>(AllTypes());
  WriteRows(*packet);
  return packet;
}

std::shared_ptr<const DataPacket> Written() {
  PacketWriter writer(AllTypes());
  WriteRows(writer);
  return writer.finish();
}

TEST(PacketWriter, WrittenPacketReadsEncodesAndDecodesAsTheBuiltOne) {
  auto written = Written();
  auto built = Built();
  ASSERT_NE(written->wire(), nullptr);
  EXPECT_EQ(written->rowCount(), 3u);
  EXPECT_EQ(written->columns(), AllTypes());
  // Read in process: the cells decode on first use.
  EXPECT_EQ(written->stringAt(0, 0), "Açúcar cristal 1kg");
  EXPECT_TRUE(written->isNull(1, 0));
  EXPECT_EQ(written->value(1, 1), Variant(9007199254740992.0));
  EXPECT_TRUE(std::signbit(written->floatAt(2, 1)));
  EXPECT_EQ(written->integerAt(1, 3), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(*written, *built);
  // Over the wire: the same value as the built packet, byte for byte once
  // decoded.
  Variant decoded = DecodeVariant(EncodeVariant(VarArrayOf({Variant(written), 1})));
  EXPECT_EQ(decoded.asArray()[0].asPacket(), *built);
  EXPECT_EQ(decoded.asArray()[0].asPacket().wire(), nullptr);
  EXPECT_EQ(EncodeVariant(decoded), EncodeVariant(VarArrayOf({Variant(built), 1})));
  // Without rows, and without columns either.
  EXPECT_EQ(DecodeVariant(EncodeVariant(PacketWriter(AllTypes()).finish())).asPacket(), DataPacket(AllTypes()));
  PacketWriter bare({});
  bare.endRow();
  EXPECT_EQ(DecodeVariant(EncodeVariant(bare.finish())).asPacket().rowCount(), 1u);
}

TEST(PacketWriter, ARefusedCellDropsItsRowAndKeepsTheRowsBefore) {
  const std::vector<std::function<void(PacketWriter&)>> faults = {
      [](PacketWriter& w) { w.appendFloat(1.0); },  // a number in the text column
      [](PacketWriter& w) { w.appendString("x"), w.appendFloat(std::nan("")); },
      [](PacketWriter& w) { w.appendString("x"), w.appendFloat(1), w.appendDateTime(TDateTime{-1e9}); },
      [](PacketWriter& w) { w.appendString("x"), w.appendInteger((std::int64_t{1} << 53) + 1); },
      [](PacketWriter& w) {
        w.appendString("x"), w.appendNull(), w.appendNull(), w.appendNull(), w.appendNull(), w.appendNull();
      },
      [](PacketWriter& w) { w.appendString("x"), w.endRow(); },
  };
  for (std::size_t i = 0; i < faults.size(); ++i) {
    PacketWriter writer(AllTypes());
    WriteRows(writer);
    EXPECT_THROW(faults[i](writer), EPacketError) << "fault " << i;
    EXPECT_EQ(writer.rowCount(), 3u);
    writer.appendString("depois");
    for (int cell = 0; cell < 4; ++cell) writer.appendNull();
    writer.endRow();
    auto packet = DecodeVariant(EncodeVariant(writer.finish()));
    ASSERT_EQ(packet.asPacket().rowCount(), 4u) << "fault " << i;
    EXPECT_EQ(packet.asPacket().stringAt(3, 0), "depois") << "fault " << i;
  }
}

TEST(PacketWriter, AFinishedPacketTakesNoCellsAndTheWriterNoMoreRows) {
  PacketWriter writer(AllTypes());
  DataPacket copy = *writer.finish();
  EXPECT_THROW(copy.appendNull(), EPacketError);
  EXPECT_THROW(copy.endRow(), EPacketError);
  EXPECT_THROW(writer.appendString("x"), EPacketError);
  EXPECT_THROW(writer.finish(), EPacketError);
}

}  // namespace
}  // namespace platform
