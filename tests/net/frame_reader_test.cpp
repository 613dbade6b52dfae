// Cutting a byte stream into call frames: frames split anywhere or packed together,
// every MessagePack header form, and hostile input (claims over the limits, bad bytes,
// random garbage) refused at once, with the msgid kept when the peer can be answered.
#include "platform/net/frame_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <random>

#include "platform/variant/codec.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/packet_writer.h"

// Records the largest single allocation made on this thread while tracking is on, to
// prove that hostile claims reserve nothing in proportion to what they claim.
namespace {
thread_local bool gTrackAllocations = false;
thread_local std::size_t gLargestAllocation = 0;
}  // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (gTrackAllocations && size > gLargestAllocation) gLargestAllocation = size;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace platform {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

std::string Request(std::uint32_t msgid, std::string address, std::vector<Variant> params = {}) {
  return EncodeVariant(RpcRequestFrame({msgid, std::move(address), std::move(params)}));
}

// Runs `feed` and returns the error it raised; fails the test when none.
template <class Feed>
EFrameError FrameErrorOf(Feed feed) {
  try {
    feed();
  } catch (const EFrameError& e) {
    return e;
  }
  ADD_FAILURE() << "no EFrameError";
  return EFrameError("", std::nullopt, false);
}

// ---------------------------------------------------------------------------------
// Frame boundaries

TEST(RpcFrameReader, FrameSplitAtEveryByteComesOutWholeOnlyAtItsLastByte) {
  std::string bytes = Request(7, "rdmTabPreClie.GetPesqCliente", {"123", "T"});
  RpcFrameReader reader;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    reader.append(bytes.substr(i, 1));
    ASSERT_FALSE(reader.next()) << "frame complete after " << i + 1 << " bytes";
    EXPECT_TRUE(reader.midFrame());
  }
  reader.append(bytes.substr(bytes.size() - 1));
  auto frame = reader.next();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->msgid, 7u);
  EXPECT_EQ(ReadRpcRequest(frame->value).params[1], Variant("T"));
  EXPECT_FALSE(reader.midFrame());
}

TEST(RpcFrameReader, FramesPackedTogetherComeOutInOrderAndKeepTheRestBuffered) {
  std::string third = Request(3, "m.c", {std::string(1000, 'x')});
  RpcFrameReader reader;
  reader.append(Request(1, "m.a") + Request(2, "m.b") + third.substr(0, 500));
  EXPECT_EQ(reader.next()->msgid, 1u);
  EXPECT_EQ(reader.next()->msgid, 2u);
  EXPECT_FALSE(reader.next());
  reader.append(third.substr(500));
  auto frame = reader.next();
  ASSERT_TRUE(frame);
  EXPECT_EQ(ReadRpcRequest(frame->value).address, "m.c");
  EXPECT_FALSE(reader.next());
}

TEST(RpcFrameReader, FrameLengthFollowsEveryHeaderFormAndNoPrefixLooksWhole) {
  // One array holding a value of each MessagePack header form.
  std::string value = Bytes({0xdc, 0x00, 27});  // array16 of 27 items
  value += Bytes({0x05, 0xe0, 0xc0, 0xc2, 0xc3});
  value += Bytes({0xcc, 1, 0xcd, 1, 2, 0xce, 1, 2, 3, 4, 0xcf, 1, 2, 3, 4, 5, 6, 7, 8});
  value += Bytes({0xd0, 1, 0xd1, 1, 2, 0xd2, 1, 2, 3, 4, 0xd3, 1, 2, 3, 4, 5, 6, 7, 8});
  value += Bytes({0xca, 1, 2, 3, 4, 0xcb, 1, 2, 3, 4, 5, 6, 7, 8});
  value += Bytes({0xa2, 'o', 'k', 0xd9, 1, 'x', 0xda, 0, 1, 'y', 0xdb, 0, 0, 0, 1, 'z'});
  value += Bytes({0xc4, 1, 9, 0xc5, 0, 1, 9, 0xc6, 0, 0, 0, 1, 9});
  value += Bytes({0xd4, 5, 1, 0xd8, 5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  value += Bytes({0xc7, 1, 5, 1});
  value += Bytes({0x81, 0x01, 0x92, 0x02, 0x03});                    // fixmap {1: [2, 3]}
  value += Bytes({0xde, 0, 1, 0x01, 0xdd, 0, 0, 0, 1, 0x90});         // map16 {1: [[]]}
  for (std::size_t length = 0; length < value.size(); ++length)
    ASSERT_EQ(RpcFrameReader::FrameLength(value.substr(0, length)), 0u) << length;
  EXPECT_EQ(RpcFrameReader::FrameLength(value), value.size());
  EXPECT_EQ(RpcFrameReader::FrameLength(value + "trailing"), value.size());
}

TEST(RpcFrameReader, AFrameTheCodecRefusesIsSkippedAndTheStreamGoesOn) {
  // A whole frame whose params hold a map that is no packet: the end is known, so the
  // error carries the msgid and the next frame is still read.
  std::string bad = Bytes({0x94, 0x00, 0x09, 0xa3, 'm', '.', 'x', 0x91, 0x81, 0x01, 0x02});
  RpcFrameReader reader;
  reader.append(bad + Request(10, "m.y"));
  EFrameError error = FrameErrorOf([&] { reader.next(); });
  EXPECT_EQ(error.msgid(), 9u);
  EXPECT_FALSE(error.streamLost());
  auto frame = reader.next();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->msgid, 10u);
}

TEST(RpcFrameReader, MsgidIsTheSecondItemOfTheTopArrayWhenItFits) {
  auto msgidOf = [](const std::string& bytes) {
    RpcFrameReader reader;
    reader.append(bytes);
    return reader.next()->msgid;
  };
  EXPECT_EQ(msgidOf(Bytes({0x92, 0x00, 0xcd, 0x01, 0x2c})), 300u);
  EXPECT_EQ(msgidOf(Bytes({0x92, 0x00, 0xce, 0xff, 0xff, 0xff, 0xff})), 0xffffffffu);
  EXPECT_EQ(msgidOf(Bytes({0x92, 0x00, 0xcf, 0, 0, 0, 1, 0, 0, 0, 0})), std::nullopt);  // > 32 bits
  EXPECT_EQ(msgidOf(Bytes({0x92, 0x00, 0xff})), std::nullopt);                          // -1
  EXPECT_EQ(msgidOf(Bytes({0x92, 0x00, 0xa1, '5'})), std::nullopt);                     // text
  EXPECT_EQ(msgidOf(Bytes({0x92, 0x91, 0x05, 0x06})), 6u);   // nested first item skipped
  EXPECT_EQ(msgidOf(Bytes({0x92, 0x00, 0x91, 0x05})), std::nullopt);  // msgid inside an array
  EXPECT_EQ(msgidOf(Bytes({0x05})), std::nullopt);
}

// ---------------------------------------------------------------------------------
// Hostile input

TEST(RpcFrameReader, StringClaimOverTheLimitIsRefusedAtItsHeaderWithoutAllocating) {
  RpcFrameReader reader;
  // [0, 7, <str32 of 2 GiB> ...: only the header has arrived.
  reader.append(Bytes({0x94, 0x00, 0x07, 0xdb, 0x80, 0x00, 0x00, 0x00}));
  gLargestAllocation = 0;
  gTrackAllocations = true;
  EFrameError error = FrameErrorOf([&] { reader.next(); });
  gTrackAllocations = false;
  EXPECT_EQ(error.msgid(), 7u);
  EXPECT_TRUE(error.streamLost());
  EXPECT_NE(std::string(error.what()).find("2147483648"), std::string::npos) << error.what();
  EXPECT_LT(gLargestAllocation, 4096u);
}

TEST(RpcFrameReader, ArrayAndMapClaimsOverTheElementLimitAreRefusedAtTheirHeader) {
  for (std::string claim : {Bytes({0xdd, 0x7f, 0xff, 0xff, 0xff}), Bytes({0xdf, 0x7f, 0xff, 0xff, 0xff}),
                            Bytes({0xdd, 0x00, 0x3d, 0x09, 0x01})}) {  // 4,000,001 items
    RpcFrameReader reader;
    reader.append(Bytes({0x94, 0x00, 0x03, 0xa1, 'm'}) + claim);
    EFrameError error = FrameErrorOf([&] { reader.next(); });
    EXPECT_EQ(error.msgid(), 3u);
    EXPECT_TRUE(error.streamLost());
  }
}

TEST(RpcFrameReader, ElementLimitCountsEveryArrayOfTheFrameTogether) {
  DecodeLimits limits = RpcDecodeLimits();
  limits.maxElements = 10;
  std::string six = Bytes({0x96, 0, 0, 0, 0, 0, 0});
  EXPECT_GT(RpcFrameReader::FrameLength(Bytes({0x91}) + six, limits), 0u);  // 1 + 6 items
  EXPECT_THROW(RpcFrameReader::FrameLength(Bytes({0x92}) + six + six, limits), EFrameError);
}

TEST(RpcFrameReader, NestingDeeperThanTheLimitIsRefused) {
  std::string deep(kRpcMaxNesting, static_cast<char>(0x91));
  EXPECT_GT(RpcFrameReader::FrameLength(deep + Bytes({0x01})), 0u);
  deep += static_cast<char>(0x91);
  RpcFrameReader reader;
  reader.append(deep);
  EXPECT_TRUE(FrameErrorOf([&] { reader.next(); }).streamLost());
}

TEST(RpcFrameReader, FrameOverTheByteLimitIsRefusedBeforeItsEndArrives) {
  DecodeLimits limits = RpcDecodeLimits();
  limits.maxTotalBytes = 1000;
  RpcFrameReader reader(limits);
  // [0, 4, "m", [str 400, str 400, str 400]]: the third string would pass 1000 bytes.
  std::string text = Bytes({0xda, 0x01, 0x90}) + std::string(400, 'a');
  reader.append(Bytes({0x94, 0x00, 0x04, 0xa1, 'm', 0x93}) + text + text);
  EXPECT_FALSE(reader.next());
  reader.append(text.substr(0, 3));  // the header of the third string only
  EFrameError error = FrameErrorOf([&] { reader.next(); });
  EXPECT_EQ(error.msgid(), 4u);
  EXPECT_TRUE(error.streamLost());
}

TEST(RpcFrameReader, ADecodedFrameCostsAtMostAFixedMultipleOfItsBytesOrTheAllowanceGiven) {
  // [0, 5, "m.x", [nil x 3,999,990]]: 4 MB that would decode to 160 MB of variants.
  constexpr std::uint32_t kNils = 3'999'990;
  std::string smallValues = Bytes({0x94, 0x00, 0x05, 0xa3, 'm', '.', 'x', 0xdd, kNils >> 24, (kNils >> 16) & 0xff,
                                   (kNils >> 8) & 0xff, kNils & 0xff}) +
                            std::string(kNils, static_cast<char>(0xc0));
  RpcFrameReader reader;
  reader.append(smallValues);
  gLargestAllocation = 0;
  gTrackAllocations = true;
  EFrameError error = FrameErrorOf([&] { reader.next(); });
  gTrackAllocations = false;
  EXPECT_EQ(error.msgid(), 5u);
  EXPECT_FALSE(error.streamLost());
  EXPECT_NE(std::string(error.what()).find("ocuparia mais de"), std::string::npos) << error.what();
  EXPECT_LT(gLargestAllocation, 1u << 20) << "refused before the variants were reserved";
  EXPECT_LT(reader.heldBytes(), 1u << 20) << "the frame's buffer was given back";

  // The same number of cells in a packet takes a few bytes each and passes.
  DataPacket nulls({{"A", FieldType::Float, 0}, {"B", FieldType::Float, 0}, {"C", FieldType::Float, 0}});
  for (int row = 0; row < 400'000; ++row) nulls.appendRow({Variant::Null(), Variant::Null(), Variant::Null()});
  reader.append(Request(6, "m.x", {Variant(std::make_shared<const DataPacket>(std::move(nulls)))}));
  auto packet = reader.next();
  ASSERT_TRUE(packet);
  EXPECT_GT(packet->decodedBytes, 10'000'000u);
  EXPECT_LT(packet->decodedBytes, 16 * 1'700'000u);

  // A caller's allowance lowers the cap of one frame; the stream goes on.
  reader.append(Request(7, "m.x", {std::string(5000, 'a')}));
  EXPECT_FALSE(FrameErrorOf([&] { reader.next(4000); }).streamLost());
  reader.append(Request(8, "m.x", {std::string(5000, 'a')}));
  ASSERT_TRUE(reader.next(100'000));
}

TEST(RpcFrameReader, AByteNoValueStartsWithLosesTheStreamAndTheReaderStaysClosed) {
  RpcFrameReader reader;
  reader.append(Bytes({0x94, 0x00, 0x02, 0xc1}));
  EFrameError error = FrameErrorOf([&] { reader.next(); });
  EXPECT_TRUE(error.streamLost());
  EXPECT_EQ(error.msgid(), 2u);
  reader.append(Request(3, "m.a"));
  EXPECT_TRUE(FrameErrorOf([&] { reader.next(); }).streamLost());
}

TEST(RpcFrameReader, RandomGarbageInRandomPiecesOnlyEverGivesFramesOrFrameErrors) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes(1 + random() % 300, '\0');
    for (char& c : bytes) c = static_cast<char>(byte(random));
    if (round % 3 == 0) bytes = Request(round, "m.x", {"abc", 1.5}).substr(0, 10) + bytes;
    RpcFrameReader reader;
    std::size_t at = 0;
    try {
      while (at < bytes.size()) {
        std::size_t piece = 1 + random() % 40;
        reader.append(std::string_view(bytes).substr(at, piece));
        at += piece;
        while (reader.next()) {
        }
      }
    } catch (const EFrameError&) {
    } catch (const std::exception& e) {
      FAIL() << "round " << round << ": " << e.what();
    }
  }
}

// The sender checks its frame while encoding it; that check must accept exactly the
// frames this reader accepts, at every limit and one past it.
TEST(RpcFrameReader, EncodingWithTheLimitsRefusesExactlyWhatTheScanRefuses) {
  DecodeLimits limits = RpcDecodeLimits();
  limits.maxDepth = 4;
  limits.maxStringLength = 8;
  limits.maxElements = 40;
  limits.maxTotalBytes = 200;
  auto nested = [](int levels) {
    Variant v = 1;
    for (int i = 0; i < levels; ++i) v = VarArrayOf({v});
    return v;
  };
  auto packet = [](std::size_t rows, bool delta) {
    auto p = std::make_shared<DataPacket>(delta ? DataPacket::Delta({{"A", FieldType::String, 8}})
                                                : DataPacket({{"A", FieldType::String, 8}}));
    for (std::size_t r = 0; r < rows; ++r) {
      p->appendString("x");
      if (delta)
        p->endDeltaRow(ChangeKind::Modified, {Variant("y")});
      else
        p->endRow();
    }
    return Variant(std::shared_ptr<const DataPacket>(p));
  };
  std::vector<Variant> values = {nested(3), nested(4), nested(5), Variant(std::string(8, 'x')),
                                 Variant(std::string(9, 'x')), VarArrayOf({packet(0, false)}),
                                 VarArrayOf(Variant::Array(39, Variant(1))), VarArrayOf(Variant::Array(40, Variant(1))),
                                 VarArrayOf(Variant::Array(199, Variant())), VarArrayOf(Variant::Array(30, Variant(1.5)))};
  // A packet written straight from its rows goes into the frame as it is.
  auto written = [](std::size_t rows, const std::string& text) {
    PacketWriter writer({{"A", FieldType::String, 8}});
    for (std::size_t r = 0; r < rows; ++r) writer.appendString(text), writer.endRow();
    return Variant(writer.finish());
  };
  for (std::size_t rows : {15, 16, 17}) values.push_back(packet(rows, false)), values.push_back(written(rows, "x"));
  for (const Variant& inner : {written(1, "x"), written(0, ""), written(1, std::string(9, 'x'))}) {
    values.push_back(VarArrayOf({inner}));
    values.push_back(VarArrayOf({VarArrayOf({inner})}));
  }
  for (std::size_t rows : {4, 5, 6, 7}) values.push_back(packet(rows, true));
  for (const Variant& value : values) {
    const std::string plain = EncodeVariant(value);
    bool scanAccepts = true;
    try {
      scanAccepts = RpcFrameReader::FrameLength(plain, limits) == plain.size();
    } catch (const EFrameError&) {
      scanAccepts = false;
    }
    std::string out = "kept";
    bool encodeAccepts = true;
    try {
      EncodeVariant(value, out, limits);
    } catch (const EPacketError&) {
      encodeAccepts = false;
    }
    EXPECT_EQ(encodeAccepts, scanAccepts) << plain.size() << " bytes";
    EXPECT_EQ(out, encodeAccepts ? "kept" + plain : "kept");
  }
}

}  // namespace
}  // namespace platform
