#include "platform/variant/value_extent.h"

#include <msgpack.hpp>
#include <string>

#include "platform/variant/codec_wire.h"
#include "platform/variant/decode_guard.h"
#include "platform/variant/packet_builder.h"

namespace platform::wire {
namespace {

// Follows the structure only: counts, depth, text lengths and the size of packet maps.
class ExtentVisitor : public msgpack::null_visitor {
 public:
  ExtentVisitor(const DecodeLimits& limits, std::size_t available)
      : guard_(limits, available, true) {}

  bool visit_str(const char*, std::uint32_t size) {
    guard_.checkText(size);
    return true;
  }
  bool start_array(std::uint32_t count) { return open(count); }
  bool end_array() { return --depth_, true; }
  bool start_map(std::uint32_t count) {
    CheckPacketEntries(count);
    return open(2ull * count);
  }
  bool end_map() { return --depth_, true; }
  void parse_error(std::size_t, std::size_t errorOffset) {
    Malformed("byte inválido na posição " + std::to_string(errorOffset));
  }

 private:
  bool open(std::uint64_t elements) {
    if (!guard_.claim(elements)) return false;
    guard_.enter(depth_++);
    return true;
  }

  DecodeGuard guard_;
  std::size_t depth_ = 0;
};

}  // namespace

std::size_t MeasureFirstValue(std::string_view bytes, const DecodeLimits& limits) {
  ExtentVisitor visitor(limits, bytes.size());
  std::size_t offset = 0;
  try {
    if (msgpack::parse(bytes.data(), bytes.size(), offset, visitor)) return offset;
  } catch (const msgpack::unpack_error& e) {
    Malformed(e.what());
  }
  return 0;
}

}  // namespace platform::wire
