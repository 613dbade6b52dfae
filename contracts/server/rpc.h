#pragma once
// The frames of a remote call, as the application server contract names them. The
// layout and the limits live with the client transport (platform/net/rpc_frame.h), so
// client and server share one implementation:
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
#include "platform/net/rpc_frame.h"

namespace contracts::server {

inline constexpr std::int64_t kRequestType = platform::kRpcRequestType;
inline constexpr std::int64_t kResponseType = platform::kRpcResponseType;

// Limits both sides hold to; a frame over them is refused.
inline constexpr std::size_t kMaxFrameBytes = platform::kRpcMaxFrameBytes;
inline constexpr std::size_t kMaxNesting = platform::kRpcMaxNesting;
inline constexpr std::size_t kMaxStringBytes = platform::kRpcMaxStringBytes;

using Request = platform::RpcRequest;
using Response = platform::RpcResponse;

inline platform::Variant RequestFrame(const Request& request) {
  return platform::RpcRequestFrame(request);
}
inline platform::Variant ResponseFrame(const Response& response) {
  return platform::RpcResponseFrame(response);
}
// Raise platform::EPacketError with a clear text when the frame has another shape.
inline Request ReadRequest(const platform::Variant& frame) { return platform::ReadRpcRequest(frame); }
inline Response ReadResponse(const platform::Variant& frame) {
  return platform::ReadRpcResponse(frame);
}

}  // namespace contracts::server
