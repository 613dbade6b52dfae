#include "platform/variant/decode_guard.h"

#include <algorithm>
#include <limits>
#include <string>

#include "platform/variant/codec_wire.h"

namespace platform::wire {

bool DecodeGuard::claim(std::uint64_t elements) {
  if (elements > std::numeric_limits<std::uint64_t>::max() - claimed_)
    OverLimit("contagem de elementos impossível");
  claimed_ += elements;
  if (claimed_ > limits_.maxElements)
    OverLimit(std::to_string(claimed_) + " elementos, máximo " + std::to_string(limits_.maxElements));
  if (claimed_ > limits_.maxTotalBytes)
    OverLimit(std::to_string(claimed_) + " elementos não cabem em " +
              std::to_string(limits_.maxTotalBytes) + " bytes");
  if (claimed_ <= available_) return true;
  if (!streaming_)
    Malformed("contagem de " + std::to_string(claimed_) + " elementos maior que os " +
              std::to_string(available_) + " bytes recebidos");
  waitsForMore_ = true;
  return false;
}

void DecodeGuard::charge(std::uint64_t bytes) {
  if (bytes > limits_.maxDecodedBytes - std::min<std::uint64_t>(charged_, limits_.maxDecodedBytes))
    OverLimit("o valor decodificado ocuparia mais de " + std::to_string(limits_.maxDecodedBytes) +
              " bytes na memória");
  charged_ += bytes;
}

void DecodeGuard::enter(std::size_t depth) const {
  if (depth >= limits_.maxDepth)
    OverLimit("aninhamento com mais de " + std::to_string(limits_.maxDepth) + " níveis");
}

void DecodeGuard::checkText(std::uint32_t size) const {
  if (size > limits_.maxStringLength)
    OverLimit("texto de " + std::to_string(size) + " bytes, máximo " +
              std::to_string(limits_.maxStringLength));
}

}  // namespace platform::wire
