#pragma once
// The result envelope every remote method returns: a three-element array
// [ok (Bool), message (String), data]. A success carries its data part (a packet, an
// array, or Empty) and an empty message; a failure carries the text to show (possibly
// an "@" catalog key such as "@PrecoZerNeg") and Empty data. A success of a method
// that answers something beside its data part (its declared aside,
// method_declaration.h) is [ok, message, data, aside]: the data part stays what the
// contract fixes, and a client that does not read the aside meets the same data.
#include <string>

#include "platform/variant/variant.h"

namespace contracts::server {

platform::Variant MakeSuccess(platform::Variant data = {}, platform::Variant aside = {});
platform::Variant MakeFailure(const std::string& message);

struct Envelope {
  bool ok = false;
  std::string message;
  platform::Variant data;
  platform::Variant aside;  // Empty: none
};

// Reads an envelope; raises platform::EVariantError when the value is not one.
Envelope ReadEnvelope(const platform::Variant& result);

}  // namespace contracts::server
