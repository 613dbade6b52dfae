#pragma once
// RpcFrameReader: cuts the byte stream of a connection into frames (rpc_frame.h).
//
// Bytes are appended as they arrive; next() hands out each complete frame, decoded.
// The reader finds a frame's end by scanning MessagePack headers incrementally (each
// byte is scanned once, however the frame is split), and checks the limits while
// scanning: a frame that declares a string, an array or a total size over the limits
// is refused as soon as its header arrives, before anything is allocated for it.
// Only a complete frame is handed to the codec.
//
// A frame may decode to at most kRpcMaxDecodedRatio times its own bytes (or
// kRpcDecodedFloorBytes, when more): a decoded value costs more memory than its
// smallest encoding (a variant for a one-byte integer), and the cap keeps a small
// frame of many small values from costing far more than its size. A caller with a
// memory budget may lower it further for a frame (next(allowance)).
//
// The buffer grows and shrinks under the reader's own rule, so a caller can tell
// beforehand what appending will hold (bytesHeldToAppend) and charge it.
//
// When a frame cannot be read, next() raises EFrameError. It carries the frame's msgid
// when the first bytes held one (so the peer can be answered), and tells whether the
// stream is lost: after a malformed header or a broken limit the frame's end is
// unknown, the reader refuses further use and the connection must close; a frame
// whose end is known but whose content the codec refuses leaves the stream readable.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/net/rpc_frame.h"
#include "platform/variant/codec.h"

namespace platform {

class EFrameError : public EPacketError {
 public:
  EFrameError(const std::string& message, std::optional<std::uint32_t> msgid, bool streamLost)
      : EPacketError(message), msgid_(msgid), streamLost_(streamLost) {}
  std::optional<std::uint32_t> msgid() const noexcept { return msgid_; }
  bool streamLost() const noexcept { return streamLost_; }

 private:
  std::optional<std::uint32_t> msgid_;
  bool streamLost_;
};

inline constexpr std::size_t kRpcMaxDecodedRatio = 16;
inline constexpr std::size_t kRpcDecodedFloorBytes = 1u << 20;

struct RpcFrame {
  Variant value;
  // The second item of the frame's top array when it is an integer that fits a msgid.
  std::optional<std::uint32_t> msgid;
  // The estimated heap bytes of the decoded value (DecodeLimits::maxDecodedBytes).
  std::size_t decodedBytes = 0;
};

class RpcFrameReader {
 public:
  explicit RpcFrameReader(DecodeLimits limits = RpcDecodeLimits());

  void append(std::string_view bytes);
  // The next complete frame, or nullopt while more bytes are needed. Its decoded value
  // may take at most `decodedAllowance` bytes besides the ratio cap; past them the
  // frame is refused like any frame the codec refuses (the stream goes on).
  std::optional<RpcFrame> next(std::size_t decodedAllowance = SIZE_MAX);
  // True while bytes of an unfinished frame are buffered.
  bool midFrame() const noexcept { return !buffer_.empty(); }
  // The msgid of the frame under way, once its first bytes held one.
  std::optional<std::uint32_t> pendingMsgid() const noexcept { return msgid_; }

  // Heap bytes the buffer holds.
  std::size_t heldBytes() const noexcept { return buffer_.capacity(); }
  // The most the buffer holds while appending `bytes` more: when it must grow, the
  // old and the new storage together for the moment of the copy.
  std::size_t bytesHeldToAppend(std::size_t bytes) const noexcept;

  // The length of the frame that `bytes` starts with, or 0 when it is not whole;
  // raises EFrameError when it breaks a limit. For checking a frame before sending it.
  static std::size_t FrameLength(std::string_view bytes,
                                 const DecodeLimits& limits = RpcDecodeLimits());

 private:
  [[noreturn]] void lose(const std::string& message);
  std::size_t capacityFor(std::size_t size) const noexcept;
  void releaseSpareCapacity();
  // Scans the headers of `bytes` from scanPos_; true when the frame `bytes` starts
  // with is whole.
  bool scanFrame(std::string_view bytes);
  bool scanValue(std::string_view bytes);
  void resetScan();
  void valueDone();
  void noteTopItem(std::uint64_t unsignedValue, bool isUnsigned);

  DecodeLimits limits_;
  std::string buffer_;
  bool lost_ = false;
  // Scan state of the frame at the start of buffer_.
  std::size_t scanPos_ = 0;
  std::size_t elements_ = 0;
  std::vector<std::uint64_t> open_;  // items still to come in each open array or map
  std::uint64_t topItems_ = 0;
  bool topIsArray_ = false;
  bool done_ = false;
  std::optional<std::uint32_t> msgid_;
};

}  // namespace platform
