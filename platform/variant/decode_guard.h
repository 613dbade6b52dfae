#pragma once
// DecodeGuard: the limits of DecodeLimits as a decoding pass meets them, shared by the
// pass that measures a value on a stream and the pass that builds it. Internal to the
// codec.
#include <cstddef>
#include <cstdint>

#include "platform/variant/codec.h"

namespace platform::wire {

class DecodeGuard {
 public:
  // `available`: the bytes at hand. `streaming`: more may follow, so a count larger
  // than they can hold means "wait" instead of "malformed".
  DecodeGuard(const DecodeLimits& limits, std::size_t available, bool streaming)
      : limits_(limits), available_(available), streaming_(streaming) {}

  // Every element takes at least one byte, so a count larger than the bytes at hand is
  // refused before anything is reserved for it. Returns false when, on a stream, the
  // value cannot be complete yet; raises when it never can.
  bool claim(std::uint64_t elements);
  // Raises unless a container may open at `depth` containers already open.
  void enter(std::size_t depth) const;
  void checkText(std::uint32_t size) const;
  // Counts `bytes` more of the decoded value's heap; raises past maxDecodedBytes.
  void charge(std::uint64_t bytes);
  std::uint64_t charged() const noexcept { return charged_; }
  bool waitsForMore() const noexcept { return waitsForMore_; }

 private:
  const DecodeLimits& limits_;
  const std::size_t available_;
  const bool streaming_;
  std::uint64_t claimed_ = 0;  // elements announced so far by every container
  std::uint64_t charged_ = 0;  // estimated heap bytes of the value built so far
  bool waitsForMore_ = false;
};

}  // namespace platform::wire
