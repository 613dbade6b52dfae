#include "platform/net/frame_reader.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace platform {

namespace {

std::uint64_t BigEndian(const char* p, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | static_cast<unsigned char>(p[i]);
  return value;
}

// What one MessagePack header says: how long it is, how many payload bytes follow,
// how many items it opens (arrays and maps), and the value of an integer.
struct Header {
  std::size_t headerBytes = 1;
  std::uint64_t payloadBytes = 0;
  std::uint64_t items = 0;
  bool container = false;
  bool isMap = false;
  bool isBlob = false;  // str, bin, ext: payload checked against the string limit
  bool isUnsigned = false;
  std::uint64_t unsignedValue = 0;
};

// Reads the header at `p` (with `avail` bytes there); false when it is not all there.
// Raises EPacketError on a byte no MessagePack value starts with.
bool ReadHeader(const char* p, std::size_t avail, Header& h) {
  const auto b = static_cast<unsigned char>(p[0]);
  auto need = [&](std::size_t n) { h.headerBytes = n; return avail >= n; };
  auto blob = [&](int lengthBytes, int extra) {
    if (!need(1 + lengthBytes + extra)) return false;
    h.isBlob = true;
    h.payloadBytes = BigEndian(p + 1, lengthBytes);
    return true;
  };
  auto container = [&](int countBytes, bool isMap) {
    if (!need(1 + countBytes)) return false;
    h.container = true;
    h.isMap = isMap;
    h.items = BigEndian(p + 1, countBytes) * (isMap ? 2 : 1);
    return true;
  };
  auto fixed = [&](std::size_t payload) { h.payloadBytes = payload; return true; };
  auto unsignedInt = [&](int bytes) {
    if (!need(1 + bytes)) return false;
    h.isUnsigned = true;
    h.unsignedValue = BigEndian(p + 1, bytes);
    return true;
  };
  auto signedInt = [&](int bytes) {
    if (!need(1 + bytes)) return false;
    const std::uint64_t raw = BigEndian(p + 1, bytes);
    const bool negative = (raw >> (bytes * 8 - 1)) & 1;
    h.isUnsigned = !negative;
    h.unsignedValue = raw;
    return true;
  };

  if (b <= 0x7f) {
    h.isUnsigned = true;
    h.unsignedValue = b;
    return true;
  }
  if (b <= 0x8f) {
    h.container = h.isMap = true;
    h.items = (b & 0x0f) * 2u;
    return true;
  }
  if (b <= 0x9f) {
    h.container = true;
    h.items = b & 0x0f;
    return true;
  }
  if (b <= 0xbf) {
    h.isBlob = true;
    h.payloadBytes = b & 0x1f;
    return true;
  }
  if (b >= 0xe0) return true;
  switch (b) {
    case 0xc0: case 0xc2: case 0xc3: return true;
    case 0xc4: return blob(1, 0);
    case 0xc5: return blob(2, 0);
    case 0xc6: return blob(4, 0);
    case 0xc7: return blob(1, 1);
    case 0xc8: return blob(2, 1);
    case 0xc9: return blob(4, 1);
    case 0xca: return fixed(4);
    case 0xcb: return fixed(8);
    case 0xcc: return unsignedInt(1);
    case 0xcd: return unsignedInt(2);
    case 0xce: return unsignedInt(4);
    case 0xcf: return unsignedInt(8);
    case 0xd0: return signedInt(1);
    case 0xd1: return signedInt(2);
    case 0xd2: return signedInt(4);
    case 0xd3: return signedInt(8);
    case 0xd4: return fixed(2);
    case 0xd5: return fixed(3);
    case 0xd6: return fixed(5);
    case 0xd7: return fixed(9);
    case 0xd8: return fixed(17);
    case 0xd9: return blob(1, 0);
    case 0xda: return blob(2, 0);
    case 0xdb: return blob(4, 0);
    case 0xdc: return container(2, false);
    case 0xdd: return container(4, false);
    case 0xde: return container(2, true);
    case 0xdf: return container(4, true);
    default: break;
  }
  throw EPacketError("Quadro de chamada remota malformado: byte inválido 0xc1");
}

}  // namespace

namespace {

// A buffer keeps up to this much storage between frames; more is given back.
constexpr std::size_t kKeptCapacity = 64 * 1024;

}  // namespace

RpcFrameReader::RpcFrameReader(DecodeLimits limits) : limits_(limits) {}

// Doubling, so a frame arriving in small pieces is copied few times.
std::size_t RpcFrameReader::capacityFor(std::size_t size) const noexcept {
  if (size <= buffer_.capacity()) return buffer_.capacity();
  return std::max(size, 2 * buffer_.capacity());
}

std::size_t RpcFrameReader::bytesHeldToAppend(std::size_t bytes) const noexcept {
  const std::size_t capacity = capacityFor(buffer_.size() + bytes);
  return capacity == buffer_.capacity() ? capacity : capacity + buffer_.capacity();
}

void RpcFrameReader::append(std::string_view bytes) {
  if (lost_) return;
  buffer_.reserve(capacityFor(buffer_.size() + bytes.size()));
  buffer_.append(bytes);
}

void RpcFrameReader::releaseSpareCapacity() {
  if (buffer_.capacity() > kKeptCapacity && buffer_.size() < buffer_.capacity() / 4) buffer_.shrink_to_fit();
}

void RpcFrameReader::lose(const std::string& message) {
  lost_ = true;
  buffer_.clear();
  buffer_.shrink_to_fit();
  throw EFrameError(message, msgid_, true);
}

std::optional<RpcFrame> RpcFrameReader::next(std::size_t decodedAllowance) {
  if (lost_) throw EFrameError("Fluxo de chamadas remotas ilegível", std::nullopt, true);
  if (!scanFrame(buffer_)) return std::nullopt;
  const std::size_t length = scanPos_;
  RpcFrame frame;
  frame.msgid = msgid_;
  DecodeLimits limits = limits_;
  const std::size_t ratioCap =
      length > SIZE_MAX / kRpcMaxDecodedRatio ? SIZE_MAX : std::max(kRpcDecodedFloorBytes, length * kRpcMaxDecodedRatio);
  limits.maxDecodedBytes = std::min({limits_.maxDecodedBytes, ratioCap, decodedAllowance});
  std::optional<EFrameError> refused;
  try {
    frame.value = DecodeVariant(std::string_view(buffer_.data(), length), limits, &frame.decodedBytes);
  } catch (const EPacketError& e) {
    refused.emplace(e.what(), msgid_, false);
  }
  buffer_.erase(0, length);
  releaseSpareCapacity();
  resetScan();
  if (refused) throw *refused;
  return frame;
}

void RpcFrameReader::resetScan() {
  scanPos_ = 0;
  elements_ = 0;
  open_.clear();
  topItems_ = 0;
  topIsArray_ = false;
  done_ = false;
  msgid_.reset();
}

bool RpcFrameReader::scanFrame(std::string_view bytes) {
  while (!done_) {
    if (scanPos_ >= bytes.size()) return false;
    if (!scanValue(bytes)) return false;
  }
  return bytes.size() >= scanPos_;
}

std::size_t RpcFrameReader::FrameLength(std::string_view bytes, const DecodeLimits& limits) {
  RpcFrameReader scanner(limits);
  return scanner.scanFrame(bytes) ? scanner.scanPos_ : 0;
}

bool RpcFrameReader::scanValue(std::string_view bytes) {
  Header h;
  try {
    if (!ReadHeader(bytes.data() + scanPos_, bytes.size() - scanPos_, h)) return false;
  } catch (const EPacketError& e) {
    lose(e.what());
  }
  const bool topItem = open_.size() == 1;
  if (h.isBlob && h.payloadBytes > limits_.maxStringLength)
    lose("Quadro de chamada remota com texto de " + std::to_string(h.payloadBytes) +
         " bytes, acima do limite de " + std::to_string(limits_.maxStringLength) + " bytes");
  const std::uint64_t room = limits_.maxTotalBytes - std::min(limits_.maxTotalBytes, scanPos_);
  if (h.headerBytes + h.payloadBytes > room)
    lose("Quadro de chamada remota acima do limite de " + std::to_string(limits_.maxTotalBytes) +
         " bytes");
  scanPos_ += h.headerBytes + h.payloadBytes;
  if (topItem) noteTopItem(h.unsignedValue, h.isUnsigned);
  if (h.container && h.items > 0) {
    if (open_.size() + 1 > limits_.maxDepth)
      lose("Quadro de chamada remota acima do limite de " + std::to_string(limits_.maxDepth) +
           " níveis de aninhamento");
    if (h.items > limits_.maxElements - elements_ || h.items > room)
      lose("Quadro de chamada remota acima do limite de " + std::to_string(limits_.maxElements) +
           " valores");
    elements_ += h.items;
    if (open_.empty()) topIsArray_ = !h.isMap;
    open_.push_back(h.items);
    if (open_.size() == 1) topItems_ = h.items;
  } else {
    valueDone();
  }
  return true;
}

void RpcFrameReader::valueDone() {
  while (!open_.empty()) {
    if (--open_.back() > 0) return;
    open_.pop_back();
  }
  done_ = true;
}

void RpcFrameReader::noteTopItem(std::uint64_t unsignedValue, bool isUnsigned) {
  const std::uint64_t index = topItems_ - open_.front();
  if (topIsArray_ && index == 1 && isUnsigned &&
      unsignedValue <= std::numeric_limits<std::uint32_t>::max())
    msgid_ = static_cast<std::uint32_t>(unsignedValue);
}

}  // namespace platform
