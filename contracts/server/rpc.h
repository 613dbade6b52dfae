#pragma once
// The frames of a remote call: MessagePack-RPC over TCP, each frame one encoded
// variant (platform/variant/codec.h), back to back on the stream.
//
//   request   [0, msgid, address, params]
//             address "rdmTabPreClie.GetPesqCliente"; params the arguments in order
//   response  [1, msgid, error, result]
//             error  Null on success, else a Portuguese text (unknown method, wrong
//                    arguments, malformed or oversized request, server failure); the
//                    connection stays usable unless the stream itself was unreadable
//             result [return value, params after the call]: the return value is the
//                    method's result envelope (result_envelope.h); the second element
//                    holds every argument as the method left it, so the client writes
//                    the "var" ones back into the caller's variables
#include <cstdint>
#include <string>
#include <vector>

#include "platform/variant/variant.h"

namespace contracts::server {

inline constexpr std::int64_t kRequestType = 0;
inline constexpr std::int64_t kResponseType = 1;

// Limits both sides hold to; a frame over them is refused.
inline constexpr std::size_t kMaxFrameBytes = 64u << 20;
inline constexpr std::size_t kMaxNesting = 16;
inline constexpr std::size_t kMaxStringBytes = 1u << 20;

struct Request {
  std::uint32_t msgid = 0;
  std::string address;
  std::vector<platform::Variant> params;
};

struct Response {
  std::uint32_t msgid = 0;
  std::string error;  // empty on success
  platform::Variant returnValue;
  std::vector<platform::Variant> params;
};

platform::Variant RequestFrame(const Request& request);
platform::Variant ResponseFrame(const Response& response);
// Raise platform::EPacketError with a clear text when the frame has another shape.
Request ReadRequest(const platform::Variant& frame);
Response ReadResponse(const platform::Variant& frame);

}  // namespace contracts::server
