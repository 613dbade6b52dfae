#pragma once
// HostSignIn: the host's sign-in to the application server, for itself and for every
// connection of the module, which share its TSignIn (HostConfiguration::signIn).
//
// Start():
//   - with a login and password (host --user NAME, the password in VQR_PASSWORD): signs
//     in at once; a refusal raises platform::ESignInError, which ends the host; a server
//     not reachable yet only puts the sign-in off to the first connection;
//   - without: the sign-in window (sign_in_window.h) opens as soon as the UI loop runs,
//     over the frame, whose menu cannot be used until the server accepts a user and
//     password.
// A session that expires or ends while screens are open brings the window back for the
// same user, with "Cancelar": the call that found it waits and goes on once the user
// signs in again, the screens as they were; cancelled, that call fails like any call the
// server refuses. (A script's kept password signs in again without asking.)
// Finish() ends the session on the server.
#include <memory>

#include "platform/net/sign_in.h"
#include "platform/net/socket_connection.h"

namespace host {

class HostSignIn {
 public:
  // Reads the server and its TLS authority from the host configuration when connecting.
  explicit HostSignIn(std::shared_ptr<platform::TSignIn> signIn);
  ~HostSignIn();
  HostSignIn(const HostSignIn&) = delete;
  HostSignIn& operator=(const HostSignIn&) = delete;

  void Start();
  void Finish();

 private:
  void askAtStart();

  std::shared_ptr<platform::TSignIn> signIn_;
  platform::TSocketConnection connection_;  // the host's own, for signing in and out
};

}  // namespace host
