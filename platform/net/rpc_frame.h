#pragma once
// The frames of a remote call: MessagePack-RPC over TCP, each frame one encoded
// variant (platform/variant/codec.h), back to back on the stream.
//
//   request   [0, msgid, address, params], [0, msgid, address, params, condition]
//             or [0, msgid, address, params, condition, call id]
//             address "rdmTabPreClie.GetPesqCliente"; params the arguments in order;
//             condition, when present (Null: none), what the call's change is based
//             on (the values the caller read), so the server applies it only while
//             they hold; a request without one is applied as it is;
//             call id, when present, kRpcCallIdChars hexadecimal digits the client
//             draws at random for the call and keeps when it sends the call again
//             after a lost reply: the server applies a write of one id once and
//             answers its repetitions with the reply it gave (server/store/applied_call.h)
//   response  [1, msgid, error, result]
//             error  Null on success, else a Portuguese text; result then Null, or a
//                    text code that tells the client what to do about the error
//                    (kSignInRequired, sign_in_protocol.h)
//             result [return value, params after the call]: the second element holds
//                    every argument as the method left it, so the client can write the
//                    "var" ones back into the caller's variables
//
// Both sides hold to the same limits; a frame over them is refused.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/codec.h"
#include "platform/variant/variant.h"

namespace platform {

inline constexpr std::int64_t kRpcRequestType = 0;
inline constexpr std::int64_t kRpcResponseType = 1;

inline constexpr std::size_t kRpcMaxFrameBytes = 64u << 20;
inline constexpr std::size_t kRpcMaxNesting = 16;
inline constexpr std::size_t kRpcMaxStringBytes = 1u << 20;
// Values of all arrays and packets of one frame together. Each decoded value costs far
// more memory than its smallest encoding (one byte), so this, not the byte limit,
// bounds what a frame can make the reader allocate.
inline constexpr std::size_t kRpcMaxElements = 4'000'000;

// The decoding limits above, for the codec.
DecodeLimits RpcDecodeLimits() noexcept;

// The length of a call id: 128 random bits in hexadecimal.
inline constexpr std::size_t kRpcCallIdChars = 32;

struct RpcRequest {
  std::uint32_t msgid = 0;
  std::string address;
  std::vector<Variant> params;
  Variant condition{};   // Empty: none
  std::string callId{};  // empty: none
};

struct RpcResponse {
  std::uint32_t msgid = 0;
  std::string error;  // empty on success
  Variant returnValue;
  std::vector<Variant> params;
  std::string errorCode{};  // with an error: empty, or its code
};

// The remote data module a connection's server name designates: the text after the
// last "." ("VQR51200.rdmTabPreClie" -> "rdmTabPreClie"); the whole name without one.
std::string_view RemoteModuleName(std::string_view serverName) noexcept;

Variant RpcRequestFrame(const RpcRequest& request);
Variant RpcResponseFrame(const RpcResponse& response);
// Raise EPacketError with a clear text when the frame has another shape.
RpcRequest ReadRpcRequest(const Variant& frame);
RpcResponse ReadRpcResponse(const Variant& frame);

}  // namespace platform
