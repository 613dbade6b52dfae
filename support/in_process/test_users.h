#pragma once
// The user the fixtures sign in as (vqrtest::kTestUser, support/app_server_process.h),
// added in process to a database the test or benchmark holds, and connections that
// sign in as it. Header only: link appserver_core to use it.
#include <memory>
#include <string>

#include "platform/net/sign_in.h"
#include "platform/net/socket_connection.h"
#include "server/access/users.h"
#include "support/app_server_process.h"

namespace vqrtest {

// A user of that role, its password hashed at the cost of tests.
inline void AddTestUser(server::store::Connection& db, const std::string& login = kTestUser,
                        server::access::Role role = server::access::Role::Admin,
                        const std::string& password = kTestPassword) {
  server::access::AddUser(db, server::access::User{login, "Pessoa " + login, role, true}, password,
                          server::access::HashCost::MinimumForTests);
}

// Makes `net` sign in with that login and password (kept, as a script's are); returns
// the sign-in it shares, for other connections of the same "program".
inline std::shared_ptr<platform::TSignIn> SignInAs(platform::TSocketConnection& net,
                                                   const std::string& login = kTestUser,
                                                   const std::string& password = kTestPassword) {
  auto signIn = std::make_shared<platform::TSignIn>();
  signIn->SetCredentials(login, password);
  net.SetSignIn(signIn);
  return signIn;
}

}  // namespace vqrtest
