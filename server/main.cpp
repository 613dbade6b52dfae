// appserver: the application server. `init` creates a database (and demo data, and a
// self-signed TLS pair); `serve` answers the remote data modules over TCP; `user`
// manages who may sign in; `readonly-role` makes the PostgreSQL role of the hosts'
// read-only queries.
#include <CLI/CLI.hpp>
#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include <iostream>

#include "server/init_command.h"
#include "server/password_input.h"
#include "server/readonly_role_command.h"
#include "server/serve_command.h"
#include "server/user_command.h"

namespace {

// A numeric option whose default the help shows and whose value must lie in [lowest, highest].
template <class T>
void AddBounded(CLI::App* command, const char* name, T& value, const char* help, T lowest, T highest) {
  command->add_option(name, value, help)->capture_default_str()->check(CLI::Range(lowest, highest));
}

}  // namespace

int main(int argc, char** argv) {
  // Logs go to standard error; standard output carries only the commands' results.
  spdlog::set_default_logger(spdlog::stderr_color_mt("appserver"));

  CLI::App app{"Servidor de aplicação dos preços especiais por cliente"};
  app.require_subcommand(1);

  server::InitOptions init;
  CLI::App* initCommand = app.add_subcommand("init", "Cria o esquema do banco de dados (e dados de demonstração)");
  initCommand->add_option("--db", init.database, "Arquivo SQLite ou URL postgresql://...");
  CLI::Option* demo = initCommand->add_flag("--demo", init.demo, "Preenche com dados de demonstração");
  initCommand->add_option("--customers", init.demoOptions.customers, "Número de clientes da demonstração")
      ->needs(demo)
      ->check(CLI::Range(std::size_t{0}, std::size_t{999'999}));
  initCommand->add_option("--products", init.demoOptions.products, "Número de produtos (folhas) da demonstração")
      ->needs(demo)
      ->check(CLI::Range(std::size_t{0}, server::demo::MaxDemoProducts()));
  initCommand->add_option("--seed", init.demoOptions.seed, "Semente dos dados de demonstração")->needs(demo);
  initCommand->add_flag("--force", init.force,
                        "Recria um banco de dados que já existe, apagando seus dados (e substitui o par TLS)");
  initCommand->add_option("--tls-cert", init.tls.certificateFile, "Grava aqui um certificado TLS autoassinado (PEM)");
  initCommand->add_option("--tls-key", init.tls.keyFile, "Grava aqui a chave privada do certificado (PEM)");
  initCommand->add_option("--tls-name", init.tls.names,
                          "Nome ou endereço do servidor no certificado (repetível; padrão: localhost, 127.0.0.1, ::1 "
                          "e o nome da máquina)");

  server::ServeOptions serve;
  CLI::App* serveCommand = app.add_subcommand("serve", "Atende os módulos remotos de dados até ser encerrado");
  serveCommand->add_option("--db", serve.database, "Arquivo SQLite ou URL postgresql://...")->required();
  serveCommand->add_option("--listen", serve.listen, "Endereço de escuta host:porta")->capture_default_str();
  AddBounded(serveCommand, "--threads", serve.threads,
             "Leituras e gravações atendidas ao mesmo tempo, cada uma (sem --read-threads ou --write-threads)", 1u,
             256u);
  AddBounded(serveCommand, "--read-threads", serve.readThreads, "Leituras atendidas ao mesmo tempo", 1u, 256u);
  AddBounded(serveCommand, "--write-threads", serve.writeThreads, "Gravações atendidas ao mesmo tempo", 1u, 256u);
  AddBounded(serveCommand, "--idle-timeout", serve.idleTimeoutSeconds, "Segundos até fechar uma conexão ociosa", 1u,
             86'400u);
  AddBounded(serveCommand, "--frame-timeout", serve.frameTimeoutSeconds,
             "Segundos para uma chamada chegar inteira, contados do seu primeiro byte", 1u, 3'600u);
  AddBounded(serveCommand, "--max-connections", serve.maxConnections, "Conexões abertas ao mesmo tempo", std::size_t{1},
             std::size_t{65'535});
  AddBounded(serveCommand, "--max-connections-per-address", serve.maxConnectionsPerAddress,
             "Conexões abertas ao mesmo tempo de um mesmo endereço", std::size_t{1}, std::size_t{65'535});
  AddBounded(serveCommand, "--memory-budget", serve.memoryBudgetMiB,
             "MiB para as chamadas em recepção, somadas todas as conexões", std::size_t{1}, std::size_t{1'048'576});
  AddBounded(serveCommand, "--session-idle", serve.sessionIdleSeconds, "Segundos sem chamadas até a sessão expirar", 1u,
             604'800u);
  AddBounded(serveCommand, "--sign-in-attempts", serve.signInAttempts,
             "Senhas erradas seguidas (por usuário ou endereço) até bloquear a entrada", 1u, 1'000u);
  AddBounded(serveCommand, "--sign-in-lock", serve.signInLockSeconds, "Segundos de bloqueio da entrada", 1u, 86'400u);
  serveCommand->add_option("--tls-cert", serve.tlsCertificate, "Certificado TLS do servidor (PEM)");
  serveCommand->add_option("--tls-key", serve.tlsKey, "Chave privada do certificado TLS (PEM)");
  serveCommand->add_flag("--insecure", serve.insecure,
                         "Aceita escutar fora do loopback sem TLS (senhas e preços abertos na rede)");

  server::UserOptions user;
  CLI::App* userCommand = app.add_subcommand("user", "Usuários que podem entrar no sistema");
  userCommand->require_subcommand(1);
  auto userAction = [&](const char* name, const char* description, bool login) {
    CLI::App* action = userCommand->add_subcommand(name, description);
    action->add_option("--db", user.database, "Arquivo SQLite ou URL postgresql://...")->required();
    if (login) action->add_option("login", user.login, "Usuário (letras, algarismos, . _ -)")->required();
    action->callback([&user, name] { user.action = name; });
    return action;
  };
  CLI::App* userAdd = userAction("add", "Cria um usuário; a senha vem da entrada padrão", true);
  userAdd->add_option("--name", user.name, "Nome do usuário")->required();
  userAdd->add_option("--role", user.role, "Papel: consulta, precos, reajuste ou admin")->required();
  CLI::App* userPasswd = userAction("passwd", "Troca a senha (da entrada padrão) e encerra as sessões", true);
  for (CLI::App* action : {userAdd, userPasswd})
    action->add_flag("--test-hash", user.testHash,
                     "Hash de senha de custo mínimo, só para bancos de teste (o servidor avisa ao iniciar)");
  userAction("disable", "Desativa um usuário e encerra suas sessões", true);
  userAction("list", "Lista os usuários", false);

  server::ReadOnlyRoleOptions readOnly;
  CLI::App* readOnlyCommand = app.add_subcommand(
      "readonly-role", "Cria no PostgreSQL o papel somente leitura das consultas do host; a senha vem da entrada padrão");
  readOnlyCommand->add_option("--db", readOnly.database, "URL postgresql://... de um usuário que pode criar papéis")
      ->required();
  readOnlyCommand->add_option("--role", readOnly.role, "Nome do papel")->required();

  CLI11_PARSE(app, argc, argv);

  try {
    if (initCommand->parsed()) std::cout << server::RunInit(init) << std::endl;
    if (serveCommand->parsed()) server::RunServe(serve);
    if (userCommand->parsed())
      std::cout << server::RunUser(user, std::cin, server::StandardInputIsTerminal()) << std::endl;
    if (readOnlyCommand->parsed()) {
      const std::string password =
          server::ReadPassword(std::cin, server::StandardInputIsTerminal(), server::PasswordUse::New);
      std::cout << server::RunReadOnlyRole(readOnly, password) << std::endl;
    }
  } catch (const std::exception& e) {
    spdlog::error("{}", e.what());
    return 1;
  }
  return 0;
}
