// DataPacket: columnar storage of rows, cells checked against their columns, rows that
// are all-or-nothing, and delta packets with their change log.
#include "platform/variant/data_packet.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/core/exceptions.h"

namespace platform {
namespace {

std::vector<ColumnDef> AllTypes() {
  return {{"CDPRODUTO", FieldType::String, 10}, {"VRPRECOPROD", FieldType::Float, 0},
          {"DTVALINI", FieldType::DateTime, 0}, {"NRNIVEL", FieldType::Integer, 0},
          {"IDATIVO", FieldType::Boolean, 0}};
}

std::vector<Variant> Row(const char* code, double price) {
  return {code, price, EncodeDate(2026, 1, 1), std::int64_t{3}, true};
}

std::vector<Variant> NullRow() {
  return std::vector<Variant>(5, Variant::Null());
}

TEST(PacketCells, EveryTypeReadsBackWhatWasAppended) {
  DataPacket packet(AllTypes());
  packet.appendRow({"101001", 12.345, EncodeDate(2026, 12, 31), std::int64_t{-7}, false});
  packet.appendRow({"", 0.0, EncodeDate(1, 1, 1), std::numeric_limits<std::int64_t>::max(), true});
  ASSERT_EQ(packet.rowCount(), 2u);
  EXPECT_EQ(packet.stringAt(0, 0), "101001");
  EXPECT_EQ(packet.floatAt(0, 1), 12.345);
  EXPECT_EQ(packet.floatAt(0, 2), EncodeDate(2026, 12, 31).value);
  EXPECT_EQ(packet.integerAt(0, 3), -7);
  EXPECT_EQ(packet.value(0, 4), Variant(false));
  EXPECT_EQ(packet.value(0, 2), Variant(EncodeDate(2026, 12, 31)));
  EXPECT_EQ(packet.value(1, 0), Variant(""));
  EXPECT_EQ(packet.value(1, 3), Variant(std::numeric_limits<std::int64_t>::max()));
}

TEST(PacketCells, NullsInEveryTypeStayNullAndAreNotEmptyText) {
  DataPacket packet(AllTypes());
  packet.appendRow(NullRow());
  packet.appendRow({"", Variant(), Variant(), Variant(), Variant()});  // Empty counts as null
  for (std::size_t col = 0; col < 5; ++col) {
    EXPECT_TRUE(packet.isNull(0, col));
    EXPECT_TRUE(packet.value(0, col).isNull());
  }
  EXPECT_EQ(packet.stringAt(0, 0), "");
  EXPECT_FALSE(packet.isNull(1, 0));
  EXPECT_EQ(packet.value(1, 0), Variant(""));
  EXPECT_TRUE(packet.isNull(1, 1));
}

TEST(PacketCells, TextsAroundNullsKeepTheirBoundaries) {
  DataPacket packet({{"NMPRODUTO", FieldType::String, 50}});
  const Variant texts[] = {"Açúcar Cristal São João", Variant::Null(), "", "ÇÃÕÉ 😀",
                           Variant::Null(), "x"};
  for (const Variant& text : texts) packet.appendRow({text});
  for (std::size_t row = 0; row < std::size(texts); ++row)
    EXPECT_EQ(packet.value(row, 0), texts[row]) << row;
  EXPECT_EQ(packet.textBytes(0), std::string("Açúcar Cristal São JoãoÇÃÕÉ 😀x").size());
}

TEST(PacketCells, CellsOfTheWrongKindAreRefused) {
  DataPacket packet(AllTypes());
  EXPECT_THROW(packet.appendRow({1.5, 1.5, EncodeDate(2026, 1, 1), std::int64_t{1}, true}), EPacketError);
  EXPECT_THROW(packet.appendRow({"a", "1,5", EncodeDate(2026, 1, 1), std::int64_t{1}, true}), EPacketError);
  EXPECT_THROW(packet.appendRow({"a", 1.5, 45000.0, std::int64_t{1}, true}), EPacketError);
  EXPECT_THROW(packet.appendRow({"a", 1.5, EncodeDate(2026, 1, 1), 1.0, true}), EPacketError);
  EXPECT_THROW(packet.appendRow({"a", 1.5, EncodeDate(2026, 1, 1), std::int64_t{1}, 1}), EPacketError);
  EXPECT_THROW(packet.appendRow({"a", 1.5, EncodeDate(2026, 1, 1), std::int64_t{1}, VarArrayOf({})}),
               EPacketError);
  try {
    packet.appendFloat(1.0);
  } catch (const EPacketError& e) {
    EXPECT_STREQ(e.what(), "Valor Float na coluna CDPRODUTO do tipo String");
  }
  EXPECT_EQ(packet.rowCount(), 0u);
}

TEST(PacketCells, WholeNumbersFitFloatColumnsOnlyWhenExact) {
  DataPacket packet({{"VRPRECOPROD", FieldType::Float, 0}});
  packet.appendRow({5});
  packet.appendRow({std::int64_t{1} << 53});
  EXPECT_EQ(packet.value(0, 0).kind(), Variant::Kind::Double);
  EXPECT_EQ(packet.floatAt(1, 0), 9007199254740992.0);
  EXPECT_THROW(packet.appendRow({(std::int64_t{1} << 53) + 1}), EPacketError);
  EXPECT_THROW(packet.appendRow({std::numeric_limits<std::int64_t>::min()}), EPacketError);
  EXPECT_EQ(packet.rowCount(), 2u);
}

TEST(PacketRows, ARefusedRowLeavesNothingBehind) {
  DataPacket packet(AllTypes());
  packet.appendRow(Row("1", 1.0));
  // The bad cell is the last one: four cells went in before it was refused.
  EXPECT_THROW(packet.appendRow({"2", 2.0, EncodeDate(2026, 1, 1), std::int64_t{3}, "sim"}),
               EPacketError);
  packet.appendRow(Row("3", 3.0));
  ASSERT_EQ(packet.rowCount(), 2u);
  EXPECT_EQ(packet.value(1, 0), Variant("3"));
  EXPECT_EQ(packet.value(1, 1), Variant(3.0));
  DataPacket expected(AllTypes());
  expected.appendRow(Row("1", 1.0));
  expected.appendRow(Row("3", 3.0));
  EXPECT_EQ(packet, expected);
  EXPECT_EQ(packet.textBytes(0), 2u);
}

TEST(PacketRows, CellCountMustMatchTheColumns) {
  DataPacket packet(AllTypes());
  EXPECT_THROW(packet.appendRow({"1", 1.0}), EPacketError);
  packet.appendString("1");
  EXPECT_THROW(packet.endRow(), EPacketError);
  packet.appendFloat(1.0);
  packet.appendDateTime(EncodeDate(2026, 1, 1));
  packet.appendInteger(1);
  packet.appendBool(true);
  EXPECT_THROW(packet.appendNull(), EPacketError);
  EXPECT_THROW(packet.appendString("extra"), EPacketError);
  packet.endRow();
  EXPECT_EQ(packet.rowCount(), 1u);
}

TEST(PacketRows, DiscardingAHalfBuiltRow) {
  DataPacket packet(AllTypes());
  packet.appendString("perdido");
  packet.appendFloat(9.0);
  packet.discardRow();
  packet.appendRow(Row("1", 1.0));
  EXPECT_EQ(packet.value(0, 0), Variant("1"));
  EXPECT_EQ(packet.textBytes(0), 1u);
  EXPECT_THROW(DataPacket(AllTypes()).appendRow({}), EPacketError);
}

TEST(PacketRows, PacketWithoutColumnsCountsRows) {
  DataPacket packet;
  packet.appendRow({});
  packet.appendRow({});
  EXPECT_EQ(packet.rowCount(), 2u);
  EXPECT_EQ(packet.columnCount(), 0u);
}

TEST(PacketReaders, OutOfRangeAndWrongTypeReadsRaise) {
  DataPacket packet(AllTypes());
  packet.appendRow(Row("1", 1.0));
  EXPECT_THROW(packet.value(1, 0), EPacketError);
  EXPECT_THROW(packet.value(0, 5), EPacketError);
  EXPECT_THROW(packet.isNull(1, 0), EPacketError);
  EXPECT_THROW(packet.stringAt(0, 1), EPacketError);
  EXPECT_THROW(packet.floatAt(0, 0), EPacketError);
  EXPECT_THROW(packet.integerAt(0, 1), EPacketError);
  EXPECT_THROW(packet.textBytes(1), EPacketError);
  EXPECT_THROW(packet.textBytes(9), EPacketError);
  EXPECT_EQ(packet.floatAt(0, 2), EncodeDate(2026, 1, 1).value);  // dates read as floats
  EXPECT_EQ(packet.integerAt(0, 4), 1);                           // booleans as integers
}

TEST(PacketReaders, ColumnsAreFoundIgnoringCase) {
  DataPacket packet(AllTypes());
  EXPECT_EQ(packet.columnIndex("VRPRECOPROD"), 1);
  EXPECT_EQ(packet.columnIndex("vrPrecoProd"), 1);
  EXPECT_EQ(packet.columnIndex("IDATIVO"), 4);
  EXPECT_EQ(packet.columnIndex("VRPRECO"), -1);
  EXPECT_EQ(packet.columnIndex(""), -1);
}

TEST(PacketEquality, ComparesColumnsCellsAndChanges) {
  DataPacket a(AllTypes()), b(AllTypes());
  a.appendRow(Row("1", 1.0));
  b.appendRow(Row("1", 1.0));
  EXPECT_EQ(a, b);
  b.appendRow(NullRow());
  EXPECT_FALSE(a == b);
  a.appendRow(Row("2", 0.0));
  EXPECT_FALSE(a == b);  // a null differs from any value
  auto renamed = AllTypes();
  renamed[0].size = 11;
  EXPECT_FALSE(DataPacket(AllTypes()) == DataPacket(renamed));
  EXPECT_FALSE(DataPacket(AllTypes()) == DataPacket::Delta(AllTypes()));
}

// ---- delta packets -----------------------------------------------------------------------

void AppendCells(DataPacket& packet, const std::vector<Variant>& cells) {
  for (const Variant& cell : cells) packet.appendValue(cell);
}

TEST(PacketDelta, EachRowCarriesItsChangeAndOriginals) {
  DataPacket delta = DataPacket::Delta(AllTypes());
  AppendCells(delta, Row("1", 1.0));
  delta.endDeltaRow(ChangeKind::Inserted);
  AppendCells(delta, Row("2", 2.0));
  delta.endDeltaRow(ChangeKind::Modified, Row("2", 1.5));
  AppendCells(delta, Row("3", 3.0));
  delta.endDeltaRow(ChangeKind::Deleted, NullRow());
  ASSERT_EQ(delta.rowCount(), 3u);
  EXPECT_EQ(delta.changeKind(0), ChangeKind::Inserted);
  EXPECT_TRUE(delta.originalValues(0).empty());
  EXPECT_EQ(delta.changeKind(1), ChangeKind::Modified);
  EXPECT_EQ(delta.originalValues(1)[1], Variant(1.5));
  EXPECT_EQ(delta.changeKind(2), ChangeKind::Deleted);
  EXPECT_THROW(delta.changeKind(3), EPacketError);
  EXPECT_THROW(DataPacket(AllTypes()).changeKind(0), EPacketError);
}

TEST(PacketDelta, RowsEndTheWayTheirPacketExpects) {
  DataPacket delta = DataPacket::Delta(AllTypes());
  AppendCells(delta, Row("1", 1.0));
  EXPECT_THROW(delta.endRow(), EPacketError);
  DataPacket plain(AllTypes());
  AppendCells(plain, Row("1", 1.0));
  EXPECT_THROW(plain.endDeltaRow(ChangeKind::Inserted), EPacketError);
}

TEST(PacketDelta, OriginalsMustMatchTheColumns) {
  DataPacket delta = DataPacket::Delta(AllTypes());
  AppendCells(delta, Row("1", 1.0));
  EXPECT_THROW(delta.endDeltaRow(ChangeKind::Inserted, Row("1", 1.0)), EPacketError);
  EXPECT_THROW(delta.endDeltaRow(ChangeKind::Modified), EPacketError);
  EXPECT_THROW(delta.endDeltaRow(ChangeKind::Deleted, {"1", 1.0}), EPacketError);
  EXPECT_THROW(delta.endDeltaRow(ChangeKind::Modified,
                                 {"1", "1,0", EncodeDate(2026, 1, 1), std::int64_t{3}, true}),
               EPacketError);
  EXPECT_THROW(delta.endDeltaRow(ChangeKind::Modified,
                                 {"1", 1.0, EncodeDate(2026, 1, 1), std::int64_t{3}, VarArrayOf({})}),
               EPacketError);
  EXPECT_THROW(delta.endDeltaRow(static_cast<ChangeKind>(0)), EPacketError);
  EXPECT_THROW(delta.endDeltaRow(static_cast<ChangeKind>(4), Row("1", 1.0)), EPacketError);
  delta.endDeltaRow(ChangeKind::Modified, Row("1", 0.5));  // the row is still there to end
  EXPECT_EQ(delta.rowCount(), 1u);
}

TEST(PacketDelta, OriginalsAreKeptInTheirColumnsKind) {
  DataPacket delta = DataPacket::Delta(AllTypes());
  AppendCells(delta, Row("1", 1.0));
  delta.endDeltaRow(ChangeKind::Modified, {"1", 2, Variant(), std::int64_t{3}, true});
  EXPECT_EQ(delta.originalValues(0)[1].kind(), Variant::Kind::Double);
  EXPECT_EQ(delta.originalValues(0)[1], Variant(2.0));
  EXPECT_TRUE(delta.originalValues(0)[2].isNull());
  EXPECT_EQ(delta.originalValues(0)[3].kind(), Variant::Kind::Integer);
}

TEST(PacketDelta, EqualityLooksAtChangesAndOriginals) {
  auto build = [](ChangeKind kind, double original) {
    DataPacket delta = DataPacket::Delta(AllTypes());
    AppendCells(delta, Row("1", 1.0));
    delta.endDeltaRow(kind, Row("1", original));
    return delta;
  };
  EXPECT_EQ(build(ChangeKind::Modified, 0.5), build(ChangeKind::Modified, 0.5));
  EXPECT_FALSE(build(ChangeKind::Modified, 0.5) == build(ChangeKind::Modified, 0.6));
  EXPECT_FALSE(build(ChangeKind::Modified, 0.5) == build(ChangeKind::Deleted, 0.5));
}

// ---- memory ------------------------------------------------------------------------------

TEST(PacketMemory, ColumnsCostLittleMoreThanTheirValues) {
  DataPacket packet({{"CDPRODUTO", FieldType::String, 10}, {"VRPRECOPROD", FieldType::Float, 0}});
  const std::size_t rows = 10000;
  for (std::size_t i = 0; i < rows; ++i) packet.appendRow({"PRODUTO" + std::to_string(i % 10), 1.5});
  const std::size_t raw = rows * (8 + 8);  // eight characters and one double a row
  packet.shrinkToFit();
  // Per row: 8 characters, 4 for the end offset, 8 for the double, 1 null flag each column.
  EXPECT_GE(packet.memoryBytes(), raw);
  EXPECT_LE(packet.memoryBytes(), rows * (8 + 4 + 8 + 2) + 4096);
  EXPECT_EQ(packet.value(rows - 1, 0), Variant("PRODUTO9"));  // shrinking kept the cells
}

}  // namespace
}  // namespace platform
