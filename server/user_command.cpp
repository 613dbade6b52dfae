#include "server/user_command.h"

#include <fmt/format.h>

#include "platform/core/exceptions.h"
#include "server/access/users.h"
#include "server/password_input.h"
#include "server/store/schema.h"
#include "server/store/schema_upgrade.h"
#include "server/store/store.h"

namespace server {
namespace {

access::HashCost CostOf(const UserOptions& options) {
  return options.testHash ? access::HashCost::MinimumForTests : access::HashCost::Interactive;
}

std::string List(store::Connection& c) {
  std::string text = fmt::format("{:<20} {:<8} {:<5} {}", "usuário", "papel", "ativo", "nome");
  for (const access::User& user : access::ListUsers(c))
    text += fmt::format("\n{:<20} {:<8} {:<5} {}", user.login, access::RoleName(user.role), user.active ? "sim" : "não",
                        user.name);
  return text;
}

}  // namespace

std::string RunUser(const UserOptions& options, std::istream& input, bool inputIsTerminal) {
  auto database = store::Store::Open(options.database, store::Store::Mode::Existing);
  auto c = database->connect();
  if (!store::HasBaseSchema(*c))
    throw platform::Exception("O banco de dados " + database->describe() +
                              " não tem as tabelas do sistema; crie-as com appserver init.");
  store::UpgradeSchema(*c);
  if (options.action == "list") return List(*c);
  const std::string login = access::NormalizedLogin(options.login);
  if (options.action == "add") {
    auto role = access::RoleNamed(options.role);
    if (!role) throw platform::Exception("Papel inválido: '" + options.role + "' (" + access::RoleNames() + ").");
    const std::string password = ReadPassword(input, inputIsTerminal, PasswordUse::New);
    access::AddUser(*c, access::User{login, options.name, *role, true}, password, CostOf(options));
    return "Usuário " + login + " (" + options.role + ") criado.";
  }
  if (options.action == "passwd") {
    if (!access::FindUser(*c, login)) throw platform::Exception("Usuário " + login + " não cadastrado.");
    access::ChangePassword(*c, login, ReadPassword(input, inputIsTerminal, PasswordUse::New), CostOf(options));
    return "Senha de " + login + " trocada; suas sessões foram encerradas.";
  }
  if (options.action == "disable") {
    access::DisableUser(*c, login);
    return "Usuário " + login + " desativado; suas sessões foram encerradas.";
  }
  throw platform::Exception("Ação desconhecida: " + options.action);
}

}  // namespace server
