#pragma once
// The calls that sign a connection in, which the application server answers itself,
// before any method (frames as in rpc_frame.h):
//
//   "sessao.Entrar"   [login, password]  -> [session, login, name, role]
//   "sessao.Retomar"  [session]          -> [session, login, name, role]
//   "sessao.Sair"     [session]          -> Null; the session ends and no connection can
//                                           resume it (any connection may end it: the
//                                           session itself is the proof)
//
// A refused sign-in is an error reply saying why, in Portuguese. Until a connection has
// signed in, and again once its session has expired or been ended, the server answers
// every other call with an error reply of code kSignInRequired: the server did not run
// the call, so the client may sign in and send it again.
#include <string>
#include <string_view>

#include "platform/variant/variant.h"

namespace platform {

inline constexpr std::string_view kSignInAddress = "sessao.Entrar";
inline constexpr std::string_view kResumeAddress = "sessao.Retomar";
inline constexpr std::string_view kSignOutAddress = "sessao.Sair";
inline constexpr std::string_view kSignInRequired = "entrar";

// Whether the address is one of the calls above (any of the module "sessao").
bool IsSignInAddress(std::string_view address) noexcept;

// Who a sign-in or resume made the connection.
struct TSignInAnswer {
  std::string Session;
  std::string Login;
  std::string Name;
  std::string Role;
};
Variant SignInAnswerValue(const TSignInAnswer& answer);
// Raises EPacketError when the value has another shape.
TSignInAnswer ReadSignInAnswer(const Variant& value);

}  // namespace platform
