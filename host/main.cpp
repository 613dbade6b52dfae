// host: loads the module and serves its screens to a front end (--stdio; the browser
// front end is added with --web). Every option has an environment-variable fallback.
#include <csignal>
#include <iostream>

#include <CLI/CLI.hpp>
#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include "framework/host_configuration.h"
#include "host/host_runner.h"
#include "host/stdio_front_end.h"

#ifndef VQR_DEFAULT_REPORTS
#define VQR_DEFAULT_REPORTS "reports"
#endif

namespace {

// "HOST:PORT" into the configuration; false when malformed.
bool parseServer(const std::string& text, framework::HostConfiguration& config) {
  auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
  try {
    std::size_t used = 0;
    int port = std::stoi(text.substr(colon + 1), &used);
    if (used != text.size() - colon - 1 || port <= 0 || port > 65535) return false;
    config.serverHost = text.substr(0, colon);
    config.serverPort = port;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  std::ios::sync_with_stdio(false);
  spdlog::set_default_logger(spdlog::stderr_color_mt("host"));

  CLI::App app{"Sistema de Vendas: carrega o módulo e atende a interface"};
  std::string server = "127.0.0.1:5151";
  framework::HostConfiguration config;
  config.reportsDir = VQR_DEFAULT_REPORTS;
  host::HostOptions options;
  options.modulePath = host::DefaultModulePath();
  app.add_option("--server", server, "Servidor de aplicação HOST:PORTA")->envname("VQR_SERVER");
  app.add_option("--db", config.database, "Banco das consultas (arquivo SQLite ou URL postgresql://)")
      ->envname("VQR_DB");
  app.add_option("--branch", config.branch, "Filial (padrão: a primeira do banco)")->envname("VQR_BRANCH");
  app.add_option("--reports", config.reportsDir, "Pasta das definições de relatório")
      ->envname("VQR_REPORTS");
  app.add_option("--module", options.modulePath, "Biblioteca do módulo")->envname("VQR_MODULE");
  app.add_flag("--stdio", options.stdio, "Automação por linhas JSON na entrada e saída padrão");
  CLI11_PARSE(app, argc, argv);

  if (!parseServer(server, config)) {
    std::cerr << "Endereço do servidor inválido: " << server << " (esperado HOST:PORTA)\n";
    return 2;
  }
  if (!options.stdio) {
    std::cerr << "Nenhuma interface escolhida: use --stdio.\n";
    return 2;
  }
  framework::SetHostConfiguration(config);

  host::HostRunner runner(options);
  host::StdioFrontEnd stdio;
  stdio.start();
  runner.Start();
  runner.Run();
  runner.Shutdown();
  return 0;
}
