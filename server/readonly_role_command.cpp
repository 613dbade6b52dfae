#include "server/readonly_role_command.h"

#include "platform/core/exceptions.h"
#include "server/store/schema.h"
#include "server/store/store.h"
#include "server/store/transaction.h"

namespace server {
namespace {

bool IsRoleName(const std::string& name) {
  if (name.empty() || name.size() > 63 || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

// Runs a statement PostgreSQL itself writes with format(), so names and the password
// are quoted by the server, never pasted into SQL text here.
void RunFormatted(store::Connection& c, const std::string& pattern, const store::Params& values) {
  std::string placeholders;
  for (std::size_t i = 0; i < values.size(); ++i) placeholders += ", CAST($" + std::to_string(i + 1) + " AS TEXT)";
  auto statement = c.queryText("SELECT format(CAST($" + std::to_string(values.size() + 1) + " AS TEXT)" +
                                   placeholders + ")",
                               [&] {
                                 store::Params all = values;
                                 all.emplace_back(pattern);
                                 return all;
                               }());
  c.executeScript(*statement);
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

std::string RunReadOnlyRole(const ReadOnlyRoleOptions& options, const std::string& password) {
  if (!store::Store::IsPostgreSQLUrl(options.database))
    throw platform::Exception("Só o PostgreSQL usa um papel de leitura: com SQLite o host abre o arquivo somente "
                              "para leitura.");
  if (!IsRoleName(options.role))
    throw platform::Exception("Nome de papel inválido: '" + options.role +
                              "' (letras minúsculas sem acento, algarismos e \"_\", até 63, sem começar por algarismo).");
  auto database = store::Store::Open(options.database, store::Store::Mode::Existing);
  auto c = database->connect();
  if (!store::HasSchema(*c))
    throw platform::Exception("O banco de dados " + database->describe() +
                              " não tem as tabelas do sistema; crie-as com appserver init.");
  const std::string& role = options.role;
  const bool exists = c->exists("SELECT 1 FROM pg_roles WHERE rolname = $1", {role});
  store::RunInTransaction(*c, store::TxMode::Write, [&] {
    RunFormatted(*c, exists ? "ALTER ROLE %I LOGIN PASSWORD %L" : "CREATE ROLE %I LOGIN PASSWORD %L", {role, password});
    RunFormatted(*c, "ALTER ROLE %I SET default_transaction_read_only = on", {role});
    RunFormatted(*c, "GRANT CONNECT ON DATABASE %I TO %I", {*c->queryText("SELECT current_database()", {}), role});
    const std::string schema = *c->queryText("SELECT current_schema()", {});
    RunFormatted(*c, "GRANT USAGE ON SCHEMA %I TO %I", {schema, role});
    RunFormatted(*c, "REVOKE ALL ON ALL TABLES IN SCHEMA %I FROM %I", {schema, role});
    // The tables were created with unquoted names, which PostgreSQL keeps in lower case.
    for (const char* table : store::ReadableTables())
      RunFormatted(*c, "GRANT SELECT ON TABLE %I.%I TO %I", {schema, LowerCase(table), role});
  });
  return "Papel " + role + (exists ? " atualizado" : " criado") + ": lê as tabelas do sistema em " +
         database->describe() + " e não grava nada; dê ao host --db postgresql://" + role +
         "@servidor/banco (a senha em PGPASSWORD ou no ~/.pgpass).";
}

}  // namespace server
