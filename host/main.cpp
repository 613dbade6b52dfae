// host: loads the module and serves its screens to a front end (--stdio; the browser
// front end is added with --web). Every option has an environment-variable fallback.
// Without --user the person signs in through the sign-in window; with it the password
// comes from VQR_PASSWORD, never from the command line.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include <CLI/CLI.hpp>
#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include "contracts/framework/host_configuration.h"
#include "host/host_runner.h"
#include "host/host_sign_in.h"
#include "host/private_folder.h"
#include "host/termination_watch.h"
#include "platform/net/server_list.h"
#include "platform/net/sign_in.h"
#include "platform/ui/application.h"
#include "host/stdio_front_end.h"
#include "host/web_front_end.h"

#ifndef VQR_DEFAULT_WEB_ROOT
#define VQR_DEFAULT_WEB_ROOT "web"
#endif
#ifndef VQR_DEFAULT_REPORTS
#define VQR_DEFAULT_REPORTS "reports"
#endif


int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  spdlog::set_default_logger(spdlog::stderr_color_mt("host"));

  CLI::App app{"Sistema de Vendas: carrega o módulo e atende a interface"};
  std::string server = "127.0.0.1:5151";
  framework::HostConfiguration config;
  host::HostOptions options;
  options.modulePath = host::DefaultModulePath();
  app.add_option("--server", server,
                 "Servidor de aplicação HOST:PORTA, ou vários separados por vírgula: os seguintes atendem quando "
                 "o anterior para")
      ->envname("VQR_SERVER");
  app.add_option("--db", config.database, "Banco das consultas (arquivo SQLite ou URL postgresql://)")
      ->envname("VQR_DB");
  app.add_option("--branch", config.branch, "Filial (padrão: a primeira do banco)")->envname("VQR_BRANCH");
  app.add_option("--module", options.modulePath, "Biblioteca do módulo")->envname("VQR_MODULE");
  app.add_flag("--stdio", options.stdio, "Automação por linhas JSON na entrada e saída padrão");
  std::string web;
  host::WebServerOptions webOptions;
  webOptions.webRoot = VQR_DEFAULT_WEB_ROOT;
  app.add_option("--web", web, "Interface no navegador em ENDEREÇO:PORTA (ex.: 127.0.0.1:8080)")
      ->envname("VQR_WEB");
  config.reportsDir = VQR_DEFAULT_REPORTS;
  app.add_option("--reports", config.reportsDir, "Pasta das definições de relatório (uma subpasta por código)")
      ->envname("VQR_REPORTS");
  app.add_option("--documents", config.documentsDir, "Pasta dos relatórios gerados (padrão: temporária)")
      ->envname("VQR_DOCUMENTS");
  app.add_option("--web-root", webOptions.webRoot, "Pasta da interface web")->envname("VQR_WEB_ROOT");
  std::string user;
  app.add_option("--user", user, "Usuário que entra no sistema sem a janela de entrada (a senha em VQR_PASSWORD)")
      ->envname("VQR_USER");
  app.add_option("--tls-ca", config.tlsAuthority,
                 "Certificado da autoridade (PEM) que assina o do servidor de aplicação: conecta com TLS")
      ->envname("VQR_TLS_CA");
  CLI11_PARSE(app, argc, argv);

  try {
    config.servers = std::make_shared<platform::TServerList>(platform::ParseServerList(server));
  } catch (const platform::EConvertError& e) {
    std::cerr << e.what() << "\n";
    return 2;
  }
  config.serverHost = config.servers->Current().host;
  config.serverPort = config.servers->Current().port;
  if (options.stdio == !web.empty()) {
    std::cerr << "Escolha uma interface: --stdio ou --web ENDEREÇO:PORTA.\n";
    return 2;
  }
  if (!web.empty() && !host::ParseWebAddress(web, webOptions)) {
    std::cerr << "Endereço web inválido: " << web << " (esperado ENDEREÇO:PORTA)\n";
    return 2;
  }
  // Without --documents the reports go to a temporary folder of this host, removed at exit.
  std::unique_ptr<host::PrivateFolder> ownDocuments;
  if (config.documentsDir.empty()) {
    try {
      ownDocuments = std::make_unique<host::PrivateFolder>("vqr-documents", "dos relatórios");
    } catch (const std::exception& e) {
      std::cerr << e.what() << "\n";
      return 1;
    }
    config.documentsDir = ownDocuments->path().string();
  } else {
    std::error_code ec;
    std::filesystem::create_directories(config.documentsDir, ec);
    if (ec) {
      std::cerr << "Não foi possível criar a pasta dos relatórios " << config.documentsDir << ": "
                << ec.message() << "\n";
      return 2;
    }
  }
  config.signIn = std::make_shared<platform::TSignIn>();
  if (!user.empty()) {
    const char* password = std::getenv("VQR_PASSWORD");
    if (!password || !*password) {
      std::cerr << "Com --user, informe a senha na variável de ambiente VQR_PASSWORD.\n";
      return 2;
    }
    config.signIn->SetCredentials(user, password);
  }
  framework::SetHostConfiguration(config);

  // A termination signal ends the UI loop as closing the main window does, so the
  // module's windows close and the temporary folders go.
  host::TerminationWatch termination([](int) {
    platform::Application().PostTask([] { platform::Application().Terminate(); });
  });
  host::HostSignIn signIn(config.signIn);
  try {
    signIn.Start();
  } catch (const platform::ESignInError& e) {
    std::cerr << "Entrada no sistema recusada: " << e.what() << "\n";
    return 1;
  }
  host::HostRunner runner(options);
  std::unique_ptr<host::StdioFrontEnd> stdio;
  std::unique_ptr<host::WebFrontEnd> browser;
  if (options.stdio) {
    stdio = std::make_unique<host::StdioFrontEnd>();
    stdio->start();
  } else {
    webOptions.token = host::NewSessionToken();
    webOptions.documentsDir = config.documentsDir;
    browser = std::make_unique<host::WebFrontEnd>(webOptions);
    try {
      browser->start();
    } catch (const std::exception& e) {
      std::cerr << e.what() << "\n";
      return 1;
    }
    std::cout << "Sistema disponível em " << browser->url() << std::endl;
  }
  runner.Start();
  runner.Run();
  runner.Shutdown();
  signIn.Finish();
  return 0;
}
