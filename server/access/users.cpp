#include "server/access/users.h"

#include <chrono>

#include "platform/core/exceptions.h"
#include "platform/text/utf8.h"
#include "server/access/sessions.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace server::access {
namespace {

using store::SqlBuilder;
using store::TxMode;

bool LoginChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
}

std::string CheckedName(std::string_view name) {
  const std::size_t length = platform::utf8::Length(name);
  if (length == 0 || length > kMaxUserNameChars)
    throw platform::Exception("Nome do usuário deve ter de 1 a " + std::to_string(kMaxUserNameChars) + " caracteres.");
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20) throw platform::Exception("Nome do usuário com caractere de controle.");
  return std::string(name);
}

std::string Now() { return UtcText(std::chrono::system_clock::now()); }

User ReadUser(const store::Row& row) {
  return User{row.text(0), row.text(1), RoleNamed(row.textView(2)).value_or(Role::Consulta), row.textView(3) == "S"};
}

// The stored user, or a refusal naming the login.
StoredUser RequireUser(store::Connection& c, std::string_view login) {
  auto found = FindUser(c, login);
  if (!found) throw platform::Exception("Usuário " + NormalizedLogin(login) + " não cadastrado.");
  return *found;
}

}  // namespace

std::string NormalizedLogin(std::string_view login) {
  std::string text;
  for (char c : login) text += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  if (text.empty() || text.size() > kMaxLoginChars)
    throw platform::Exception("Usuário deve ter de 1 a " + std::to_string(kMaxLoginChars) + " caracteres.");
  for (char c : text)
    if (!LoginChar(c))
      throw platform::Exception("Usuário deve ter só letras sem acento, algarismos, \".\", \"_\" e \"-\".");
  return text;
}

void AddUser(store::Connection& c, const User& user, std::string_view password, HashCost cost) {
  const std::string login = NormalizedLogin(user.login);
  const std::string name = CheckedName(user.name);
  CheckNewPassword(password);
  const std::string hash = HashPassword(password, cost);
  store::RunInTransaction(c, TxMode::Write, [&] {
    if (FindUser(c, login)) throw platform::Exception("Usuário " + login + " já cadastrado.");
    SqlBuilder sql(c.backend());
    c.execute("INSERT INTO USUARIO (CDUSUARIO, NMUSUARIO, IDPAPEL, IDATIVO, DSHASHSENHA, DTHRSENHA) VALUES (" +
                  sql.textParam(login) + ", " + sql.textParam(name) + ", " + sql.textParam(RoleName(user.role)) + ", " +
                  sql.textParam(user.active ? "S" : "N") + ", " + sql.textParam(hash) + ", " +
                  sql.timestampParam(Now()) + ")",
              sql.params());
  });
}

void ChangeUser(store::Connection& c, const User& user) {
  const std::string name = CheckedName(user.name);
  store::RunInTransaction(c, TxMode::Write, [&] {
    const User before = RequireUser(c, user.login).user;
    c.execute("UPDATE USUARIO SET NMUSUARIO = $1, IDPAPEL = $2, IDATIVO = $3 WHERE CDUSUARIO = $4",
              {name, std::string(RoleName(user.role)), std::string(user.active ? "S" : "N"), before.login});
    if (before.role != user.role || before.active != user.active) EndSessionsOf(c, before.login);
  });
}

void ChangePassword(store::Connection& c, std::string_view login, std::string_view password, HashCost cost) {
  CheckNewPassword(password);
  const std::string hash = HashPassword(password, cost);
  store::RunInTransaction(c, TxMode::Write, [&] {
    const User user = RequireUser(c, login).user;
    SqlBuilder sql(c.backend());
    c.execute("UPDATE USUARIO SET DSHASHSENHA = " + sql.textParam(hash) + ", DTHRSENHA = " +
                  sql.timestampParam(Now()) + " WHERE CDUSUARIO = " + sql.textParam(user.login),
              sql.params());
    EndSessionsOf(c, user.login);
  });
}

void DisableUser(store::Connection& c, std::string_view login) {
  store::RunInTransaction(c, TxMode::Write, [&] {
    const User user = RequireUser(c, login).user;
    c.execute("UPDATE USUARIO SET IDATIVO = 'N' WHERE CDUSUARIO = $1", {user.login});
    EndSessionsOf(c, user.login);
  });
}

std::vector<User> ListUsers(store::Connection& c) {
  std::vector<User> users;
  c.query("SELECT CDUSUARIO, NMUSUARIO, IDPAPEL, IDATIVO FROM USUARIO ORDER BY CDUSUARIO", {},
          [&](const store::Row& row) { users.push_back(ReadUser(row)); });
  return users;
}

std::optional<StoredUser> FindUser(store::Connection& c, std::string_view login) {
  const std::string key = NormalizedLogin(login);
  std::optional<StoredUser> found;
  c.query("SELECT CDUSUARIO, NMUSUARIO, IDPAPEL, IDATIVO, DSHASHSENHA FROM USUARIO WHERE CDUSUARIO = $1", {key},
          [&](const store::Row& row) { found = StoredUser{ReadUser(row), row.text(4)}; });
  return found;
}

std::vector<std::string> UsersWithTestHashes(store::Connection& c) {
  std::vector<std::string> logins;
  c.query("SELECT CDUSUARIO, DSHASHSENHA FROM USUARIO WHERE IDATIVO = 'S' ORDER BY CDUSUARIO", {},
          [&](const store::Row& row) {
            if (BelowInteractiveCost(row.text(1))) logins.push_back(row.text(0));
          });
  return logins;
}

}  // namespace server::access
