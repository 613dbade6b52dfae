#pragma once
// `appserver user add|passwd|disable|list`: the users of a database, managed on the
// server's own machine (server/access/users.h). The password of `add` and `passwd`
// comes from standard input (password_input.h), never from the command line.
//
//   add LOGIN --name NAME --role ROLE   a new active user
//   passwd LOGIN                        a new password; the user's sessions end
//   disable LOGIN                       the user can no longer sign in; its sessions end
//   list                                every user: login, role, active, name
//
// `testHash` hashes the password at the lowest cost libsodium allows, for test
// databases only (server/access/password_hash.h).
#include <istream>
#include <string>

namespace server {

struct UserOptions {
  std::string database;
  std::string action;  // "add", "passwd", "disable", "list"
  std::string login;
  std::string name;
  std::string role;
  bool testHash = false;
};

// Returns what to print; raises platform::Exception (or store::StoreError) otherwise.
std::string RunUser(const UserOptions& options, std::istream& input, bool inputIsTerminal);

}  // namespace server
