#pragma once
// The users who may sign in (USUARIO, server/store/schema.h), as the `appserver user`
// command and the rdmUsuario module manage them.
//
// A login is 1 to 20 characters among a-z, 0-9, ".", "_" and "-", kept in lower case
// (it may be typed in any case); a name 1 to 50 characters. Users are never deleted,
// only disabled, so the history goes on naming them. A user disabled, given another
// role or a new password loses its sessions: its clients must sign in again. Each
// function raises platform::Exception with a Portuguese text for a value that does not
// fit or an unknown user; each write is one transaction.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/access/password_hash.h"
#include "server/access/roles.h"
#include "server/store/connection.h"

namespace server::access {

inline constexpr std::size_t kMaxLoginChars = 20;
inline constexpr std::size_t kMaxUserNameChars = 50;

struct User {
  std::string login;
  std::string name;
  Role role = Role::Consulta;
  bool active = true;
  friend bool operator==(const User&, const User&) = default;
};

// The login as stored; raises when it does not fit the rules.
std::string NormalizedLogin(std::string_view login);

// A new user; raises when the login is taken.
void AddUser(store::Connection& c, const User& user, std::string_view password, HashCost cost);
// Name, role and whether active, of an existing user.
void ChangeUser(store::Connection& c, const User& user);
void ChangePassword(store::Connection& c, std::string_view login, std::string_view password, HashCost cost);
void DisableUser(store::Connection& c, std::string_view login);

// Every user by login.
std::vector<User> ListUsers(store::Connection& c);

struct StoredUser {
  User user;
  std::string hash;
};
// The user with that login (in any case), or nullopt.
std::optional<StoredUser> FindUser(store::Connection& c, std::string_view login);

// The active users whose password hash costs less than interactive (made for tests).
std::vector<std::string> UsersWithTestHashes(store::Connection& c);

}  // namespace server::access
