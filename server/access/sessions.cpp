#include "server/access/sessions.h"

#include <sodium.h>

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <array>
#include <ctime>

#include "platform/core/exceptions.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace server::access {
namespace {

using store::SqlBuilder;
using store::TxMode;

std::string Hex(const unsigned char* bytes, std::size_t size) {
  std::string text(size * 2 + 1, '\0');
  sodium_bin2hex(text.data(), text.size(), bytes, size);
  text.pop_back();
  return text;
}

std::string NewToken() {
  if (sodium_init() < 0) throw platform::Exception("Não foi possível iniciar a biblioteca de criptografia (libsodium).");
  std::array<unsigned char, 32> bytes;
  randombytes_buf(bytes.data(), bytes.size());
  return Hex(bytes.data(), bytes.size());
}

std::string Limit(SystemTime now, std::chrono::seconds idle) { return UtcText(now - idle); }

// Marks the session used, within the caller's transaction; the number of rows changed.
std::int64_t Use(store::Connection& c, const std::string& key, SystemTime now, std::chrono::seconds idle) {
  SqlBuilder sql(c.backend());
  const std::string statement =
      "UPDATE SESSAOUSUARIO SET DTHRULTUSO = " + sql.timestampParam(UtcText(now)) +
      " WHERE CDSESSAO = " + sql.textParam(key) + " AND DTHRULTUSO >= " + sql.timestampParam(Limit(now, idle)) +
      " AND CDUSUARIO IN (SELECT U.CDUSUARIO FROM USUARIO U WHERE U.IDATIVO = 'S')";
  return c.execute(statement, sql.params());
}

}  // namespace

std::string UtcText(SystemTime time) {
  return fmt::format("{:%Y-%m-%dT%H:%M:%S}", fmt::gmtime(std::chrono::system_clock::to_time_t(time)));
}

std::string SessionKey(std::string_view token) {
  std::array<unsigned char, 32> hash;
  crypto_generichash(hash.data(), hash.size(), reinterpret_cast<const unsigned char*>(token.data()), token.size(),
                     nullptr, 0);
  return Hex(hash.data(), hash.size());
}

Session OpenSession(store::Connection& c, const std::string& login, SystemTime now) {
  Session session;
  session.token = NewToken();
  session.key = SessionKey(session.token);
  store::RunInTransaction(c, TxMode::Write, [&] {
    SqlBuilder sql(c.backend());
    const std::string when = UtcText(now);
    c.execute("INSERT INTO SESSAOUSUARIO (CDSESSAO, CDUSUARIO, DTHRINICIO, DTHRULTUSO) VALUES (" +
                  sql.textParam(session.key) + ", " + sql.textParam(login) + ", " + sql.timestampParam(when) + ", " +
                  sql.timestampParam(when) + ")",
              sql.params());
  });
  return session;
}

std::optional<SessionUser> ResumeSession(store::Connection& c, std::string_view token, SystemTime now,
                                         std::chrono::seconds idle) {
  // Anything but 64 hexadecimal digits names no session.
  if (token.size() != 64 || token.find_first_not_of("0123456789abcdef") != std::string_view::npos) return std::nullopt;
  const std::string key = SessionKey(token);
  return store::RunInTransaction(c, TxMode::Write, [&]() -> std::optional<SessionUser> {
    if (Use(c, key, now, idle) == 0) {
      c.execute("DELETE FROM SESSAOUSUARIO WHERE CDSESSAO = $1", {key});
      return std::nullopt;
    }
    std::optional<SessionUser> found;
    c.query("SELECT U.CDUSUARIO, U.NMUSUARIO, U.IDPAPEL FROM SESSAOUSUARIO S JOIN USUARIO U ON U.CDUSUARIO = "
            "S.CDUSUARIO WHERE S.CDSESSAO = $1",
            {key}, [&](const store::Row& row) {
              found = SessionUser{key, User{row.text(0), row.text(1), RoleNamed(row.textView(2)).value_or(Role::Consulta), true}};
            });
    return found;
  });
}

bool TouchSession(store::Connection& c, const std::string& key, SystemTime now, std::chrono::seconds idle) {
  return store::RunInTransaction(c, TxMode::Write, [&] { return Use(c, key, now, idle) > 0; });
}

void EndSession(store::Connection& c, const std::string& key) {
  store::RunInTransaction(c, TxMode::Write, [&] { c.execute("DELETE FROM SESSAOUSUARIO WHERE CDSESSAO = $1", {key}); });
}

void EndSessionsOf(store::Connection& c, const std::string& login) {
  c.execute("DELETE FROM SESSAOUSUARIO WHERE CDUSUARIO = $1", {login});
}

void RemoveIdleSessions(store::Connection& c, SystemTime now, std::chrono::seconds idle) {
  store::RunInTransaction(c, TxMode::Write, [&] {
    SqlBuilder sql(c.backend());
    c.execute("DELETE FROM SESSAOUSUARIO WHERE DTHRULTUSO < " + sql.timestampParam(Limit(now, idle)), sql.params());
  });
}

}  // namespace server::access
