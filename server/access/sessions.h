#pragma once
// Sessions: what a sign-in gives the client, so that its connections (a new one, one
// reconnected, one to another appserver of the same database) sign in again without
// the password, until the session has gone unused longer than the server's idle limit.
//
// A token is 32 random bytes written as 64 hexadecimal digits. The database keeps only
// its key, the BLAKE2b hash of the token (SESSAOUSUARIO, server/store/schema.h), so
// whoever reads the table cannot resume a session. Times are UTC.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "server/access/users.h"
#include "server/store/connection.h"

namespace server::access {

using SystemTime = std::chrono::system_clock::time_point;

struct Session {
  std::string token;  // what the client gets
  std::string key;    // what the database keeps
};

struct SessionUser {
  std::string key;
  User user;
};

// "yyyy-mm-ddThh:nn:ss" in UTC.
std::string UtcText(SystemTime time);

std::string SessionKey(std::string_view token);

// A new session of the user, last used `now`.
Session OpenSession(store::Connection& c, const std::string& login, SystemTime now);

// The session of `token` when it was last used within `idle` before `now` and its user
// is still active; it is then used at `now`. nullopt otherwise: an unknown token, a
// session that expired (and is removed) or was ended.
std::optional<SessionUser> ResumeSession(store::Connection& c, std::string_view token, SystemTime now,
                                         std::chrono::seconds idle);

// Records a use of the session at `now`; false when it has expired, been ended or its
// user disabled since.
bool TouchSession(store::Connection& c, const std::string& key, SystemTime now, std::chrono::seconds idle);

void EndSession(store::Connection& c, const std::string& key);
// Ends every session of the user, inside the caller's transaction.
void EndSessionsOf(store::Connection& c, const std::string& login);
// Removes every session unused for longer than `idle`.
void RemoveIdleSessions(store::Connection& c, SystemTime now, std::chrono::seconds idle);

}  // namespace server::access
