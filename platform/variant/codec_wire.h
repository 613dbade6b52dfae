#pragma once
// Pieces of the variant wire layout shared by the encoder and the decoder (codec.h
// describes the layout). Internal to platform/variant.
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/core/exceptions.h"

namespace platform::wire {

inline constexpr std::int8_t kEmptyExt = 0;     // Empty: ext type 0, no payload
inline constexpr std::int8_t kDateTimeExt = 1;  // DateTime: ext type 1, float64 big-endian
inline constexpr std::size_t kDateTimePayload = 8;

inline constexpr std::string_view kColumnsKey = "columns";
inline constexpr std::string_view kRowsKey = "rows";
inline constexpr std::string_view kChangesKey = "changes";

// Entries of a packet's map: columns and rows, and changes for a delta packet.
inline constexpr std::uint32_t kPacketEntries = 2;
inline constexpr std::uint32_t kDeltaPacketEntries = 3;

// Each column is [name, type, size].
inline constexpr std::uint32_t kColumnFields = 3;
// Each change is [kind, originals or nil].
inline constexpr std::uint32_t kChangeFields = 2;

inline void StoreBigEndian64(char* out, double value) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 7; i >= 0; --i) {
    out[i] = static_cast<char>(bits & 0xff);
    bits >>= 8;
  }
}

inline double LoadBigEndian64(const char* in) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits = (bits << 8) | static_cast<unsigned char>(in[i]);
  return std::bit_cast<double>(bits);
}

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF). Texts from the wire are checked so a bad byte never reaches a screen or
// the browser protocol.
bool IsValidUtf8(std::string_view text) noexcept;

// The three ways decoding fails, as the texts logs and error replies show.
[[noreturn]] inline void Malformed(const std::string& detail) {
  throw EPacketError("Pacote de dados malformado: " + detail);
}
[[noreturn]] inline void Incomplete(const std::string& detail) {
  throw EPacketError("Pacote de dados incompleto: " + detail);
}
[[noreturn]] inline void OverLimit(const std::string& detail) {
  throw EPacketError("Pacote de dados excede o limite: " + detail);
}

}  // namespace platform::wire
