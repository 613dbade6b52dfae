// appserver: the application server. `init` creates a database (and demo data);
// `serve` answers the remote data modules over TCP.
#include <CLI/CLI.hpp>
#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include <iostream>

#include "server/init_command.h"
#include "server/serve_command.h"

int main(int argc, char** argv) {
  // Logs go to standard error; standard output carries only the commands' results.
  spdlog::set_default_logger(spdlog::stderr_color_mt("appserver"));

  CLI::App app{"Servidor de aplicação dos preços especiais por cliente"};
  app.require_subcommand(1);

  server::InitOptions init;
  CLI::App* initCommand = app.add_subcommand("init", "Cria o esquema do banco de dados (e dados de demonstração)");
  initCommand->add_option("--db", init.database, "Arquivo SQLite ou URL postgresql://...")->required();
  CLI::Option* demo = initCommand->add_flag("--demo", init.demo, "Preenche com dados de demonstração");
  initCommand->add_option("--customers", init.demoOptions.customers, "Número de clientes da demonstração")
      ->needs(demo)
      ->check(CLI::Range(std::size_t{0}, std::size_t{999'999}));
  initCommand->add_option("--products", init.demoOptions.products, "Número de produtos (folhas) da demonstração")
      ->needs(demo)
      ->check(CLI::Range(std::size_t{0}, server::demo::MaxDemoProducts()));
  initCommand->add_option("--seed", init.demoOptions.seed, "Semente dos dados de demonstração")->needs(demo);
  initCommand->add_flag("--force", init.force, "Recria um banco de dados que já existe, apagando seus dados");

  server::ServeOptions serve;
  CLI::App* serveCommand = app.add_subcommand("serve", "Atende os módulos remotos de dados até ser encerrado");
  serveCommand->add_option("--db", serve.database, "Arquivo SQLite ou URL postgresql://...")->required();
  serveCommand->add_option("--listen", serve.listen, "Endereço de escuta host:porta")->capture_default_str();
  serveCommand->add_option("--threads", serve.threads, "Chamadas atendidas ao mesmo tempo")
      ->capture_default_str()
      ->check(CLI::Range(1u, 256u));
  serveCommand->add_option("--idle-timeout", serve.idleTimeoutSeconds, "Segundos até fechar uma conexão ociosa")
      ->capture_default_str()
      ->check(CLI::Range(1u, 86'400u));
  serveCommand
      ->add_option("--frame-timeout", serve.frameTimeoutSeconds,
                   "Segundos para uma chamada chegar inteira, contados do seu primeiro byte")
      ->capture_default_str()
      ->check(CLI::Range(1u, 3'600u));
  serveCommand->add_option("--max-connections", serve.maxConnections, "Conexões abertas ao mesmo tempo")
      ->capture_default_str()
      ->check(CLI::Range(std::size_t{1}, std::size_t{65'535}));
  serveCommand
      ->add_option("--max-connections-per-address", serve.maxConnectionsPerAddress,
                   "Conexões abertas ao mesmo tempo de um mesmo endereço")
      ->capture_default_str()
      ->check(CLI::Range(std::size_t{1}, std::size_t{65'535}));
  serveCommand
      ->add_option("--memory-budget", serve.memoryBudgetMiB,
                   "MiB para as chamadas em recepção, somadas todas as conexões")
      ->capture_default_str()
      ->check(CLI::Range(std::size_t{1}, std::size_t{1'048'576}));

  CLI11_PARSE(app, argc, argv);

  try {
    if (initCommand->parsed()) std::cout << server::RunInit(init) << std::endl;
    if (serveCommand->parsed()) server::RunServe(serve);
  } catch (const std::exception& e) {
    spdlog::error("{}", e.what());
    return 1;
  }
  return 0;
}
