#pragma once
// Encoder: writes variants and packets in the wire layout of codec.h into a string.
// Internal to platform/variant: codec.cpp encodes whole values with it, and
// PacketWriter (packet_writer.h) writes a packet's cells with it as they come.
//
// With limits, the encoder refuses what a reader holding to them would refuse while
// scanning the frame's headers (rpc frame_reader.h), counted the same way: every
// container's items (a map's entries twice) against the elements, open non-empty
// containers against the depth, each text against the string length.
#include <cstddef>
#include <cstdint>
#include <msgpack.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/codec.h"
#include "platform/variant/data_packet.h"

namespace platform::wire {

// The packer writes straight into the caller's string.
struct StringSink {
  std::string& out;
  void write(const char* data, std::size_t size) { out.append(data, size); }
};

class Encoder {
 public:
  explicit Encoder(std::string& out, const DecodeLimits* limits = nullptr)
      : sink_{out}, packer_(sink_), limits_(limits) {}

  void variant(const Variant& value);
  void packet(const DataPacket& packet);

  // Cells and headers, for writers that lay out a packet themselves.
  void nil() { packer_.pack_nil(); }
  void boolean(bool value) { value ? packer_.pack_true() : packer_.pack_false(); }
  void integer(std::int64_t value) { packer_.pack_int64(value); }
  void float64(double value);
  void dateTime(TDateTime value);
  void text(std::string_view value);
  // A packet's "columns" entry: [[name, type, size], ...].
  void columns(const std::vector<ColumnDef>& columns);

  // A container being written: counted against the limits as it opens, and closed
  // (one level less deep) when the guard ends.
  class [[nodiscard]] Container {
   public:
    Container(Encoder& encoder, std::size_t items) : encoder_(encoder), nested_(encoder.open(items)) {}
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;
    ~Container() {
      if (nested_) --encoder_.depth_;
    }

   private:
    Encoder& encoder_;
    bool nested_;
  };
  Container arrayHeader(std::size_t count);
  Container mapHeader(std::size_t entries);

 private:
  bool open(std::size_t items);
  void wirePacket(const PacketWire& wire);
  void changes(const DataPacket& packet);
  void rows(const DataPacket& packet);
  void cell(const DataPacket& packet, std::size_t row, std::size_t col, FieldType type);

  StringSink sink_;
  msgpack::packer<StringSink> packer_;
  const DecodeLimits* limits_;
  std::size_t elements_ = 0;
  std::size_t depth_ = 0;
};

}  // namespace platform::wire
